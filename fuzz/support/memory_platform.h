#pragma once
// The operating system as the fuzz targets see it: files held in memory,
// dialogs that answer from a queue, message boxes recorded, and the two
// kinds of ANSI code page the decoder knows: Shift-JIS (code page 932) and
// UTF-8. Conversions go character by character, as the system's do, so a
// character is converted the same wherever a run of text was cut around it.

#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace velquin::fuzz {

// A property did not hold: says which on stderr and ends the run, so that
// the fuzzer keeps the input.
[[noreturn]] void fail(const char* what);

// Code page 932: its lead and trail bytes and its stand-in "・".
platform::AnsiBytes shiftJisBytes();
std::string shiftJisToUtf8(std::string_view bytes);
// UTF-8 as the system reads it: each ill-formed part (the longest start of
// a well-formed sequence, or else one byte) becomes one U+FFFD.
std::string utf8ToUtf8(std::string_view bytes);
inline bool validUtf8(std::string_view s) { return utf8ToUtf8(s) == s; }

// The lines of a text as a user counts them: CR LF, a lone CR and a lone
// LF each end one; a break at the very end starts no further line.
std::vector<std::string> splitLines(std::string_view text);

class MemoryPlatform : public platform::Platform {
 public:
  explicit MemoryPlatform(bool utf8CodePage = false) : utf8_(utf8CodePage) {}

  static constexpr const char* kFolder = "C:\\Velquin";

  std::map<std::string, std::string> files;  // path -> text (UTF-8)
  std::vector<std::string> messages;
  std::deque<std::string> dialogAnswers;    // "" = the user cancels
  // Every file written, path and text, in order.
  std::vector<std::pair<std::string, std::string>> written;

  // A file name that Windows refuses: empty, or holding a character that
  // names cannot have.
  static bool badName(std::string_view name);

  void showMessage(const std::string& text) override { messages.push_back(text); }
  bool askYesNo(const std::string&, const std::string&) override { return false; }
  bool openDialog(platform::FileDialog& dialog) override;
  bool saveDialog(platform::FileDialog& dialog) override { return openDialog(dialog); }
  void shellOpen(const std::string&, const std::string&) override {}
  int screenDpi() override { return 96; }
  platform::WorkArea workArea(int x, int y) override {
    return platform::workAreaAt({{0, 0, 1280, 984}}, x, y);
  }
  platform::DriveType driveType(const std::string&) override {
    return platform::DriveType::Fixed;
  }
  std::string currentFolder() override { return kFolder; }
  platform::IoResult readTextFile(const std::string& path, std::string& text) override;
  platform::IoResult writeTextFile(const std::string& path, const std::string& text,
                                   bool* lossy) override;
  // The program's own files as bytes, in the same map.
  platform::IoResult readFile(const std::string& path, std::string& bytes) override {
    return readTextFile(path, bytes);
  }
  platform::IoResult writeFile(const std::string& path, const std::string& bytes) override {
    return writeTextFile(path, bytes, nullptr);
  }
  platform::IoResult renameFile(const std::string& from, const std::string& to) override;
  // One process: the lock is always free.
  std::unique_ptr<FolderLock> lockFolder(const std::string&, int) override {
    return std::make_unique<FolderLock>();
  }
  platform::AnsiBytes ansiBytes() override;
  std::string ansiToUtf8(std::string_view bytes) override;
  void pumpMessages(int) override {}
  void closeMainWindow() override {}
  bool quitting() override { return false; }
  // A clock that moves a millisecond at every reading.
  long long localTimeMs() override { return ++clock_; }
  int64_t steadyMs() override { return clock_; }
  platform::ListChoice chooseFromList(const std::vector<std::string>&,
                                      const std::string&, int) override {
    return {};
  }
  bool elevated() override { return false; }
  ElevatedStart startElevated(const std::string&, const std::string&,
                              std::string&) override {
    return ElevatedStart::Cancelled;
  }
  void alertUser() override {}
  std::string offerText(const std::string&) override { return {}; }
  std::optional<bool> offerTaken() override { return false; }
  std::optional<std::string> takeOffer(const std::string&) override {
    return std::nullopt;
  }
  // No name resolves and no echo request goes out.
  std::string resolveHost(const std::string&) override { return ""; }
  HostLookup hostLookup() override {
    return [](const std::string&) { return std::string(); };
  }
  uint64_t sendEcho(const std::string&, int, int) override { return 0; }
  std::vector<EchoAnswer> takeEchoAnswers() override { return {}; }
  void cancelEchoes() override {}
  bool showTrayIcon(const TrayIcon&) override { return false; }
  bool trayBalloon(const std::string&) override { return false; }
  void removeTrayIcon() override {}
  platform::IoResult makeFolders(const std::string&) override { return {}; }
  platform::IoResult appendFile(const std::string&, const std::string&) override { return {false, "", false}; }
  bool chooseFolder(const std::string&, std::string&, const std::string&) override { return false; }
  uint64_t sendConnect(const std::string&, int, int) override { return 0; }
  std::vector<ConnectAnswer> takeConnectAnswers() override { return {}; }
  void cancelConnects() override {}
  // The connections: the endpoints a test put, no process known, no close.
  std::vector<Endpoint> endpoints;
  bool readEndpoints(std::vector<Endpoint>& out, std::string&) override {
    out.insert(out.end(), endpoints.begin(), endpoints.end());
    return true;
  }
  uint64_t processStarted(uint32_t) override { return 0; }
  std::string processImage(uint32_t) override { return ""; }
  CloseOutcome closeConnection(const Endpoint&, std::string&) override {
    return CloseOutcome::Refused;
  }
  HostLookup addressLookup() override {
    return [](const std::string&) { return std::string(); };
  }
  void showInFolder(const std::string&) override {}

 private:
  bool utf8_;
  long long clock_ = 0;
};

}  // namespace velquin::fuzz
