#pragma once
// A platform for the native tests: message boxes are recorded and answered
// from a script, dialogs answer from a script, files are real files in the
// code page 932 (converted with iconv), and the message pump runs whatever
// the test queued as the user's actions during a wait.

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velquin::test {

class ScriptedPlatform : public platform::Platform {
 public:
  ScriptedPlatform();
  ~ScriptedPlatform() override;

  // What the program showed and asked.
  std::vector<std::string> messages;
  std::vector<std::string> questions;  // "caption|text"
  std::vector<platform::FileDialog> dialogsShown;
  std::vector<std::string> opened;     // shell Open targets
  std::vector<std::string> openedBy;   // and the window that owned each
  int closeRequests = 0;

  // Answers, taken in order; an empty queue answers No / Cancel.
  std::deque<bool> yesNoAnswers;
  std::deque<std::string> dialogAnswers;  // "" = the user cancels

  // The system's ANSI code page: Shift-JIS, or UTF-8 when set (files and
  // child output alike).
  bool utf8Ansi = false;

  // Start folder: a fresh temporary folder, removed at the end.
  std::string folder;
  // Files (by their name in the folder) that exist but cannot be read, as
  // while another program holds them locked.
  std::vector<std::string> unreadable;
  platform::DriveType drive = platform::DriveType::Fixed;
  // The screen: its dots per inch and the monitors' work areas.
  int dpi = 96;
  std::vector<platform::ScreenRect> monitors{{0, 0, 1280, 984}};

  // Run at each message pump, one per pump; lets a test act as the user
  // while a command runs. pumps counts every call.
  std::deque<std::function<void()>> duringPump;
  long pumps = 0;
  std::vector<int> pumpWaits;  // the wait asked of each call
  bool quit = false;

  // Called with each message as it is shown, while the program waits.
  std::function<void(const std::string&)> onMessage;
  void showMessage(const std::string& text) override;
  bool askYesNo(const std::string& caption, const std::string& text) override;
  bool openDialog(platform::FileDialog& dialog) override;
  bool saveDialog(platform::FileDialog& dialog) override;
  void shellOpen(const std::string& target,
                 const std::string& ownerWindow = "") override;
  int screenDpi() override { return dpi; }
  platform::WorkArea workArea(int x, int y) override {
    return platform::workAreaAt(monitors, x, y);
  }
  platform::DriveType driveType(const std::string& root) override;
  std::string currentFolder() override;
  platform::IoResult readTextFile(const std::string& path,
                                  std::string& text) override;
  platform::IoResult writeTextFile(const std::string& path,
                                   const std::string& text,
                                   bool* lossy) override;
  platform::IoResult readFile(const std::string& path,
                              std::string& bytes) override;
  platform::IoResult writeFile(const std::string& path,
                               const std::string& bytes) override;
  platform::IoResult renameFile(const std::string& from,
                                const std::string& to) override;
  // Run once at the next writeFile, with its path, before anything is
  // written: another window's doing between this one's read and its write.
  std::function<void(const std::string&)> beforeWrite;
  // The folders' locks: the program's own while it holds them, and those a
  // test holds as another instance would. A wait for a held lock runs
  // whileLockWaits once (the other instance may let go meanwhile), then
  // gives up. lockWaits: the wait asked each time.
  std::set<std::string> heldLocks;
  std::function<void()> whileLockWaits;
  std::vector<int> lockWaits;
  std::unique_ptr<FolderLock> lockFolder(const std::string& folder,
                                         int waitMs) override;
  platform::AnsiBytes ansiBytes() override;
  std::string ansiToUtf8(std::string_view bytes) override;
  void pumpMessages(int waitMs) override;
  void closeMainWindow() override;
  bool quitting() override { return quit; }

  // The local clock, set by the test; each reading adds clockStep.
  long long clock = 0;
  long long clockStep = 0;
  long long localTimeMs() override { return (clock += clockStep) - clockStep; }
  // Sets the clock to a local time written "YYYY/MM/DD hh:mm:ss".
  void setLocalTime(const std::string& text);

  // --- Time, a chooser list, rights and the program's own restart.
  // The clock stands still unless a test moves it.
  int64_t clockMs = 0;
  std::vector<std::vector<std::string>> listsShown;
  std::vector<int> listsLit;  // the item lit first in each list shown
  // An empty queue answers Escape.
  std::deque<platform::ListChoice> listAnswers;
  bool isElevated = false;
  ElevatedStart elevatedAnswer = ElevatedStart::Cancelled;
  std::vector<std::string> elevatedStarts;  // "folder|arguments"
  int64_t steadyMs() override { return clockMs; }
  platform::ListChoice chooseFromList(const std::vector<std::string>& items,
                                      const std::string& nearControl,
                                      int highlighted) override;
  bool elevated() override { return isElevated; }
  ElevatedStart startElevated(const std::string& arguments,
                              const std::string& folder,
                              std::string& error) override;
  int alerts = 0;  // times the user was alerted
  void alertUser() override { ++alerts; }
  // Texts offered to the next instance, by channel name, until it takes
  // them or the elevated start that was to serve them ends without a start.
  std::map<std::string, std::string> offers;
  bool offerFails = false;  // no channel can be made
  // How the hand-over after a start stands: nothing while the new instance
  // may still take it; false withdraws the offers.
  std::optional<bool> offerOutcome = true;
  std::optional<bool> offerTaken() override;
  std::string offerText(const std::string& text) override;
  std::optional<std::string> takeOffer(const std::string& channel) override;

  // --- Echo requests: names resolve by the table (an address resolves to
  // itself), and each request still out is answered when the program
  // collects answers, by the test's rule (none: the request stays out).
  std::map<std::string, std::string> names;  // name -> address
  // The lookups of hostLookup(): each reads the table as it was when the
  // function was made, and while the gate is held, waits (a name server
  // that keeps it waiting). The gate is the lookups' own: it stays while
  // one waits, whatever else is gone.
  struct LookupGate {
    std::mutex lock;
    std::condition_variable changed;
    bool held = false;
    int waiting = 0;   // lookups waiting at the gate now
    int finished = 0;  // lookups that returned
    void hold(bool on);
    // Until n lookups wait at the gate (false after 10 s).
    bool awaitWaiting(int n);
    bool awaitFinished(int n);
  };
  std::shared_ptr<LookupGate> lookups = std::make_shared<LookupGate>();
  struct SentEcho {
    uint64_t id = 0;
    std::string address;
    int ttl = 0;
    int timeoutMs = 0;
    int64_t at = 0;  // clockMs when sent
  };
  std::vector<SentEcho> echoesSent;  // every request, in the order sent
  std::vector<SentEcho> echoesOut;   // those not answered yet
  std::function<std::optional<EchoAnswer>(const SentEcho&)> answerEcho;
  bool refuseEchoes = false;  // sendEcho fails
  int echoCancels = 0;
  std::string resolveHost(const std::string& host) override;
  HostLookup hostLookup() override;
  uint64_t sendEcho(const std::string& address, int ttl, int timeoutMs) override;
  std::vector<EchoAnswer> takeEchoAnswers() override;
  void cancelEchoes() override;

  // --- The notification area: the icon as last shown (none: not shown),
  // every balloon, and how often the icon was removed.
  std::optional<TrayIcon> tray;
  std::vector<std::string> balloons;
  int trayRemovals = 0;
  bool refuseTray = false;  // the shell refuses the icon
  bool showTrayIcon(const TrayIcon& icon) override {
    if (refuseTray) return false;
    tray = icon;
    return true;
  }
  bool trayBalloon(const std::string& text) override {
    if (!tray) return false;
    balloons.push_back(text);
    return true;
  }
  void removeTrayIcon() override {
    if (tray) ++trayRemovals;
    tray.reset();
  }

  // --- Files written as the program runs: real files beneath the folder;
  // while failWrites holds a reason, every append and folder made fails
  // with it. chosenFolders answer the folder chooser ("": cancelled).
  std::string failWrites;
  int appends = 0;
  std::deque<std::string> chosenFolders;
  std::vector<std::string> folderChoosers;  // the folder each was lit at
  platform::IoResult makeFolders(const std::string& path) override;
  platform::IoResult appendFile(const std::string& path, const std::string& bytes) override;
  bool chooseFolder(const std::string& title, std::string& folder,
                    const std::string& ownerWindow) override;
  // --- TCP connections: each still being made is answered when the
  // program collects answers, by the test's rule (none: it stays out).
  struct SentConnect {
    uint64_t id = 0;
    std::string address;
    int port = 0;
    int timeoutMs = 0;
    int64_t at = 0;  // clockMs when started
  };
  std::vector<SentConnect> connectsSent;  // every connection, in order
  std::vector<SentConnect> connectsOut;   // those not answered yet
  std::function<std::optional<ConnectAnswer>(const SentConnect&)> answerConnect;
  bool refuseConnects = false;  // sendConnect fails
  int connectCancels = 0;
  uint64_t sendConnect(const std::string& address, int port, int timeoutMs) override;
  std::vector<ConnectAnswer> takeConnectAnswers() override;
  void cancelConnects() override;
  // --- The machine's connections, as the test sets them: the system's
  // tables at the next reading (unreadable: the reading fails), the
  // processes by id, each with its start and its file ("" cannot be read),
  // and how a close goes.
  std::vector<Endpoint> endpoints;
  bool endpointsUnreadable = false;
  struct ScriptedProcess {
    uint64_t started = 0;
    std::string image;
  };
  std::map<uint32_t, ScriptedProcess> processes;
  int processQuestions = 0;  // processStarted and processImage calls
  CloseOutcome closeAnswer = CloseOutcome::Closed;
  std::vector<Endpoint> closed;  // every connection the program closed
  std::map<std::string, std::string> addressNames;  // address -> name
  std::vector<std::string> shownInFolder;
  bool readEndpoints(std::vector<Endpoint>& out, std::string& error) override;
  uint64_t processStarted(uint32_t pid) override;
  std::string processImage(uint32_t pid) override;
  CloseOutcome closeConnection(const Endpoint& e, std::string& error) override;
  HostLookup addressLookup() override;
  void showInFolder(const std::string& path) override { shownInFolder.push_back(path); }

 private:
  const char* ansi() const { return utf8Ansi ? "UTF-8" : "CP932"; }
};

// Code page 932 <-> UTF-8 for the tests' own checks.
std::string toCp932(const std::string& utf8);
std::string fromCp932(std::string_view bytes);
std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

}  // namespace velquin::test
