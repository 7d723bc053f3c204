// A command file loaded, saved and run: every line comes back from the save
// as it was loaded, in CR LF, and the run handles each line as its first
// two characters say: "//" skipped, ">>" the results so far saved into Data
// under the rest of the line, anything else handed to the runner, until an
// empty command or a file that cannot be written ends the batch.
//
// The runner is replaced by one that only records the command line and
// echoes it, as a command that prints nothing leaves it: the lines here are
// random, and must never start real programs.
#include <string>
#include <vector>

#include "program.h"
#include "results/data_page.h"
#include "support/memory_platform.h"

using namespace velquin;

namespace {

constexpr const char* kEmptyCommand = "データを入力設定して下さい。";

std::string withCrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemoryPlatform os;
  static Program program(os);
  static std::vector<std::string> ran;
  app::TfrmMain& main = program.main();
  static const bool ready = [&] {
    main.FormCreate();
    form::Action run = *main.form().findAction("Act_btnDO");
    run.execute = [&edit1 = main["Edit1"], &memo0 = main["Memo0"]] {
      const std::string& line = edit1.text();
      if (line.empty()) return os.showMessage(kEmptyCommand);
      ran.push_back(line);
      memo0.setText(line + "\r\n");
    };
    main.form().addAction(run);
    return true;
  }();
  (void)ready;

  const std::string folder = std::string(os.kFolder) + "\\Data\\";
  const std::string text =
      os.ansiToUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<std::string> lines = fuzz::splitLines(text);
  os.files = {{folder + "commands.txt", text}};
  os.dialogAnswers = {folder + "commands.txt", folder + "saved.txt"};
  main.form().execute("Act_fileOpen");
  main["btnSaveT"].onClick();
  if (os.files[folder + "saved.txt"] != withCrLf(lines))
    fuzz::fail("the command file saved otherwise than loaded");

  os.messages.clear();
  os.written.clear();
  main["Memo1"].setText("");
  main.form().execute("Act_file_Do");

  // What the run must have done, line by line.
  if (lines.empty()) lines.emplace_back();
  std::vector<std::string> runs;
  std::vector<std::pair<std::string, std::string>> saves;
  std::string gathered, message;
  for (const std::string& line : lines) {
    if (line.starts_with("//")) continue;
    if (line.starts_with(">>")) {
      if (fuzz::MemoryPlatform::badName(line.substr(2))) {
        message = "ファイル " + folder + line.substr(2) + " を作成できません。";
        break;
      }
      saves.emplace_back(folder + line.substr(2), gathered);
      gathered.clear();
      continue;
    }
    if (line.empty()) {
      message = kEmptyCommand;
      break;
    }
    runs.push_back(line);
    gathered += std::string(results::kResultSeparator) + line + "\r\n";
  }
  if (ran != runs) fuzz::fail("the commands run are not the command lines");
  if (os.written != saves)
    fuzz::fail("the files written are not the save lines with the results gathered");
  if (os.messages != std::vector<std::string>(!message.empty(), message))
    fuzz::fail("a message other than the one that ends the batch");
  if (main["Memo1"].text() != gathered) fuzz::fail("results gathered after the last save");

  // Nothing of this input outlives it, so that the fuzzer's leak check
  // looks at the program alone.
  ran.clear();
  os.files.clear();
  os.messages.clear();
  os.written.clear();
  return 0;
}
