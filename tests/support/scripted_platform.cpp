#include "support/scripted_platform.h"

#include <iconv.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

namespace velquin::test {

namespace {

// Converts with iconv; bad sequences become the stand-in ('?' unless
// given) and set *lossy.
std::string convert(const char* to, const char* from, std::string_view in,
                    bool* lossy, const char* standIn = "?") {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv");
  std::string out;
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  char buf[4096];
  while (left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, dst - buf);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      if (lossy) *lossy = true;
      out += standIn;
      // Skip one character: a UTF-8 sequence as far as it goes (a broken
      // one never takes the byte that breaks it), or one byte otherwise.
      size_t skip = 1;
      if (std::string_view(from) == "UTF-8") {
        auto c = static_cast<unsigned char>(*src);
        const size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        while (skip < len && skip < left &&
               (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80)
          ++skip;
      }
      src += skip;
      left -= skip;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string toCp932(const std::string& utf8) {
  return convert("CP932", "UTF-8", utf8, nullptr);
}

std::string fromCp932(std::string_view bytes) {
  return convert("UTF-8", "CP932", bytes, nullptr);
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

ScriptedPlatform::ScriptedPlatform() {
  char tmpl[] = "/tmp/velquin-test-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp");
  folder = tmpl;
}

ScriptedPlatform::~ScriptedPlatform() {
  std::error_code ec;
  // Folders made read-only by a test must become writable to be removed.
  for (auto& e : std::filesystem::recursive_directory_iterator(folder, ec))
    std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(folder, ec);
}

void ScriptedPlatform::showMessage(const std::string& text) {
  messages.push_back(text);
  if (onMessage) onMessage(text);
}

bool ScriptedPlatform::askYesNo(const std::string& caption,
                                const std::string& text) {
  questions.push_back(caption + "|" + text);
  if (yesNoAnswers.empty()) return false;
  bool a = yesNoAnswers.front();
  yesNoAnswers.pop_front();
  return a;
}

bool ScriptedPlatform::openDialog(platform::FileDialog& dialog) {
  dialogsShown.push_back(dialog);
  if (dialogAnswers.empty()) return false;
  std::string a = dialogAnswers.front();
  dialogAnswers.pop_front();
  if (a.empty()) return false;
  dialog.fileName = a;
  return true;
}

bool ScriptedPlatform::saveDialog(platform::FileDialog& dialog) {
  if (!openDialog(dialog)) return false;
  // As the system's dialog does: a name typed without an extension gets the
  // default one; a name with any extension stays as typed.
  const std::string& name = dialog.fileName;
  const size_t part = name.find_last_of("\\/");
  const bool hasExtension = name.find('.', part == std::string::npos ? 0 : part + 1) != std::string::npos;
  if (!dialog.defaultExtension.empty() && !hasExtension) dialog.fileName += "." + dialog.defaultExtension;
  return true;
}

void ScriptedPlatform::shellOpen(const std::string& target,
                                 const std::string& ownerWindow) {
  opened.push_back(target);
  openedBy.push_back(ownerWindow.empty() ? "frmMain" : ownerWindow);
}

platform::DriveType ScriptedPlatform::driveType(const std::string&) {
  return drive;
}

std::string ScriptedPlatform::currentFolder() { return folder; }

// The program builds Windows paths ("folder\Data\a.txt"); the tests run on
// POSIX, so backslashes become slashes at the file system.
static std::string posixPath(std::string p) {
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

platform::IoResult ScriptedPlatform::makeFolders(const std::string& path) {
  if (!failWrites.empty()) return {false, failWrites};
  std::error_code e;
  std::filesystem::create_directories(posixPath(path), e);
  if (e) return {false, e.message()};
  return {};
}

platform::IoResult ScriptedPlatform::appendFile(const std::string& path,
                                                const std::string& bytes) {
  if (!failWrites.empty()) return {false, failWrites};
  std::ofstream out(posixPath(path), std::ios::binary | std::ios::app);
  out << bytes;
  out.flush();
  if (!out) return {false, "ファイル " + path + " に書き込めません。"};
  ++appends;
  return {};
}

bool ScriptedPlatform::chooseFolder(const std::string& title, std::string& folder,
                                    const std::string& ownerWindow) {
  (void)title;
  (void)ownerWindow;
  folderChoosers.push_back(folder);
  if (chosenFolders.empty()) return false;
  const std::string answer = chosenFolders.front();
  chosenFolders.pop_front();
  if (answer.empty()) return false;
  folder = answer;
  return true;
}

platform::IoResult ScriptedPlatform::readFile(const std::string& path,
                                              std::string& bytes) {
  const std::filesystem::path p = posixPath(path);
  for (const std::string& name : unreadable)
    if (p == std::filesystem::path(folder) / name)
      return {false, "別のプロセスが使用中のため、プロセスはファイルにアクセスできません。"};
  std::ifstream in(p, std::ios::binary);
  if (!in) {
    std::error_code ec;
    const bool missing = !std::filesystem::exists(p, ec) && !ec;
    return {false, "ファイルを開けません。", missing};
  }
  std::ostringstream s;
  s << in.rdbuf();
  bytes = s.str();
  return {};
}

platform::IoResult ScriptedPlatform::readTextFile(const std::string& path,
                                                  std::string& text) {
  std::string bytes;
  platform::IoResult r = readFile(path, bytes);
  if (r.ok) text = convert("UTF-8", ansi(), bytes, nullptr);
  return r;
}

platform::IoResult ScriptedPlatform::writeFile(const std::string& path,
                                               const std::string& bytes) {
  if (beforeWrite) std::exchange(beforeWrite, nullptr)(path);
  const std::string target = posixPath(path);
  std::string tmp = target + ".velquin-tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return {false, "ファイル " + path + " を作成できません。"};
    out << bytes;
    out.flush();
    if (!out) {
      out.close();
      std::remove(tmp.c_str());
      return {false, "ファイル " + path + " を作成できません。"};
    }
  }
  if (std::rename(tmp.c_str(), target.c_str()) != 0) {
    std::remove(tmp.c_str());
    return {false, "ファイル " + path + " を作成できません。"};
  }
  return {};
}

platform::IoResult ScriptedPlatform::writeTextFile(const std::string& path,
                                                   const std::string& text,
                                                   bool* lossy) {
  return writeFile(path, convert(ansi(), "UTF-8", text, lossy));
}

platform::IoResult ScriptedPlatform::renameFile(const std::string& from,
                                                const std::string& to) {
  if (std::rename(posixPath(from).c_str(), posixPath(to).c_str()) != 0)
    return {false, "ファイルの名前を変更できません。"};
  return {};
}

platform::AnsiBytes ScriptedPlatform::ansiBytes() {
  // UTF-8 shows a broken sequence as U+FFFD, as Windows converts it.
  if (utf8Ansi) return {.utf8 = true, .standIn = "\uFFFD"};
  // Shift-JIS: lead bytes 0x81-0x9F and 0xE0-0xFC, trail bytes 0x40-0x7E
  // and 0x80-0xFC; the stand-in is the code page's own middle dot.
  platform::AnsiBytes b;
  for (int c = 0; c < 256; ++c) {
    b.lead[c] = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    b.trail[c] = (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
  }
  b.standIn = "・";
  return b;
}

std::string ScriptedPlatform::ansiToUtf8(std::string_view bytes) {
  if (utf8Ansi) return convert("UTF-8", "UTF-8", bytes, nullptr, "\uFFFD");
  return convert("UTF-8", "CP932", bytes, nullptr);
}

void ScriptedPlatform::pumpMessages(int waitMs) {
  ++pumps;
  pumpWaits.push_back(waitMs);
  if (!duringPump.empty()) {
    auto f = std::move(duringPump.front());
    duringPump.pop_front();
    f();
  } else if (waitMs > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void ScriptedPlatform::closeMainWindow() { ++closeRequests; }

platform::ListChoice ScriptedPlatform::chooseFromList(
    const std::vector<std::string>& items, const std::string&, int highlighted) {
  listsShown.push_back(items);
  listsLit.push_back(highlighted);
  if (listAnswers.empty()) return {};
  const platform::ListChoice pick = listAnswers.front();
  listAnswers.pop_front();
  return pick;
}

void ScriptedPlatform::setLocalTime(const std::string& text) {
  // Days of the Gregorian calendar from 1601-01-01.
  const int y = std::stoi(text.substr(0, 4)), m = std::stoi(text.substr(5, 2));
  const int d = std::stoi(text.substr(8, 2));
  const int yy = m <= 2 ? y - 1 : y;
  const long long era = yy / 400, yoe = yy - era * 400;
  const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long long days = era * 146097 + doe - 584694;
  const long long seconds = std::stoi(text.substr(11, 2)) * 3600LL +
                            std::stoi(text.substr(14, 2)) * 60 +
                            std::stoi(text.substr(17, 2));
  clock = (days * 86400 + seconds) * 1000;
}

std::string ScriptedPlatform::offerText(const std::string& text) {
  if (offerFails) return {};
  const std::string name = "channel" + std::to_string(offers.size() + 1);
  offers[name] = text;
  return name;
}

std::optional<bool> ScriptedPlatform::offerTaken() {
  if (offerOutcome && !*offerOutcome) offers.clear();  // withdrawn
  return offerOutcome;
}

namespace {

class ScriptedLock : public platform::Platform::FolderLock {
 public:
  ScriptedLock(std::set<std::string>& held, std::string folder)
      : held_(held), folder_(std::move(folder)) {
    held_.insert(folder_);
  }
  ~ScriptedLock() override { held_.erase(folder_); }

 private:
  std::set<std::string>& held_;
  std::string folder_;
};

}  // namespace

std::unique_ptr<platform::Platform::FolderLock> ScriptedPlatform::lockFolder(
    const std::string& folder, int waitMs) {
  lockWaits.push_back(waitMs);
  if (heldLocks.contains(folder) && whileLockWaits)
    std::exchange(whileLockWaits, nullptr)();
  if (heldLocks.contains(folder)) return nullptr;
  return std::make_unique<ScriptedLock>(heldLocks, folder);
}

std::optional<std::string> ScriptedPlatform::takeOffer(const std::string& channel) {
  auto it = offers.find(channel);
  if (it == offers.end()) return std::nullopt;
  std::string text = std::move(it->second);
  offers.erase(it);
  return text;
}

platform::Platform::ElevatedStart ScriptedPlatform::startElevated(
    const std::string& arguments, const std::string& folder,
    std::string& error) {
  elevatedStarts.push_back(folder + "|" + arguments);
  if (elevatedAnswer == ElevatedStart::Failed) error = "scripted failure";
  // No instance was started to take what was offered: it is withdrawn.
  if (elevatedAnswer != ElevatedStart::Started) offers.clear();
  return elevatedAnswer;
}

namespace {

std::string resolveBy(const std::map<std::string, std::string>& names, const std::string& host) {
  if (auto it = names.find(host); it != names.end()) return it->second;
  return host.find_first_not_of("0123456789.") == std::string::npos ||
                 host.find(':') != std::string::npos
             ? host
             : "";
}

}  // namespace

std::string ScriptedPlatform::resolveHost(const std::string& host) { return resolveBy(names, host); }

platform::Platform::HostLookup ScriptedPlatform::hostLookup() {
  return [names = names, gate = lookups](const std::string& host) {
    std::unique_lock<std::mutex> hold(gate->lock);
    ++gate->waiting;
    gate->changed.notify_all();
    gate->changed.wait(hold, [&] { return !gate->held; });
    --gate->waiting;
    ++gate->finished;
    gate->changed.notify_all();
    return resolveBy(names, host);
  };
}

void ScriptedPlatform::LookupGate::hold(bool on) {
  std::lock_guard<std::mutex> guard(lock);
  held = on;
  changed.notify_all();
}

bool ScriptedPlatform::LookupGate::awaitWaiting(int n) {
  std::unique_lock<std::mutex> guard(lock);
  return changed.wait_for(guard, std::chrono::seconds(10), [&] { return waiting >= n; });
}

bool ScriptedPlatform::LookupGate::awaitFinished(int n) {
  std::unique_lock<std::mutex> guard(lock);
  return changed.wait_for(guard, std::chrono::seconds(10), [&] { return finished >= n; });
}

uint64_t ScriptedPlatform::sendEcho(const std::string& address, int ttl, int timeoutMs) {
  if (refuseEchoes) return 0;
  const SentEcho e{echoesSent.size() + 1, address, ttl, timeoutMs, clockMs};
  echoesSent.push_back(e);
  echoesOut.push_back(e);
  return e.id;
}

std::vector<platform::Platform::EchoAnswer> ScriptedPlatform::takeEchoAnswers() {
  std::vector<EchoAnswer> out;
  if (!answerEcho) return out;
  std::erase_if(echoesOut, [&](const SentEcho& e) {
    std::optional<EchoAnswer> a = answerEcho(e);
    if (!a) return false;
    a->id = e.id;
    out.push_back(*a);
    return true;
  });
  return out;
}

void ScriptedPlatform::cancelEchoes() {
  ++echoCancels;
  echoesOut.clear();
}

uint64_t ScriptedPlatform::sendConnect(const std::string& address, int port, int timeoutMs) {
  if (refuseConnects) return 0;
  const SentConnect c{connectsSent.size() + 1, address, port, timeoutMs, clockMs};
  connectsSent.push_back(c);
  connectsOut.push_back(c);
  return c.id;
}

std::vector<platform::Platform::ConnectAnswer> ScriptedPlatform::takeConnectAnswers() {
  std::vector<ConnectAnswer> out;
  if (!answerConnect) return out;
  std::erase_if(connectsOut, [&](const SentConnect& c) {
    std::optional<ConnectAnswer> a = answerConnect(c);
    if (!a) return false;
    a->id = c.id;
    out.push_back(*a);
    return true;
  });
  return out;
}

void ScriptedPlatform::cancelConnects() {
  ++connectCancels;
  connectsOut.clear();
}

bool ScriptedPlatform::readEndpoints(std::vector<Endpoint>& out, std::string& error) {
  if (endpointsUnreadable) {
    error = "テーブルを読めません";
    return false;
  }
  out.insert(out.end(), endpoints.begin(), endpoints.end());
  return true;
}

uint64_t ScriptedPlatform::processStarted(uint32_t pid) {
  ++processQuestions;
  const auto it = processes.find(pid);
  return it == processes.end() ? 0 : it->second.started;
}

std::string ScriptedPlatform::processImage(uint32_t pid) {
  ++processQuestions;
  const auto it = processes.find(pid);
  return it == processes.end() ? "" : it->second.image;
}

platform::Platform::CloseOutcome ScriptedPlatform::closeConnection(const Endpoint& e,
                                                                   std::string& error) {
  if (closeAnswer == CloseOutcome::Closed) closed.push_back(e);
  if (closeAnswer == CloseOutcome::Failed) error = "パラメーターが間違っています。";
  if (closeAnswer == CloseOutcome::Refused) error = "アクセスが拒否されました。";
  return closeAnswer;
}

platform::Platform::HostLookup ScriptedPlatform::addressLookup() {
  return [names = addressNames, gate = lookups](const std::string& address) {
    std::unique_lock<std::mutex> hold(gate->lock);
    ++gate->waiting;
    gate->changed.notify_all();
    gate->changed.wait(hold, [&] { return !gate->held; });
    --gate->waiting;
    ++gate->finished;
    gate->changed.notify_all();
    const auto it = names.find(address);
    return it == names.end() ? std::string() : it->second;
  };
}

}  // namespace velquin::test
