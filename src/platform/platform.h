#pragma once
// Everything the program asks of the operating system. The Win32 layer
// implements it for real; the tests use a scripted one.

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velquin::platform {

enum class DriveType { Unknown, NoRoot, Removable, Fixed, Remote, CdRom, RamDisk };

struct FileDialog {
  std::string title;          // "" = the system's own
  std::string filter;         // "Name|*.ext|Name|*.ext"
  int filterIndex = 1;        // 1-based, as the dialog counts
  std::string initialFolder;  // "" = the system's choice
  std::string fileName;       // proposed and, after the dialog, chosen name
  bool askBeforeReplace = false;
  // Save dialogs: added by the dialog (with its dot) to a name typed
  // without an extension, before it asks about replacing the file, so the
  // question is about the file that is written. "" adds nothing.
  std::string defaultExtension;
};


// A rectangle on the desktop, in the screen's pixels.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ScreenRect&) const = default;
};

// A monitor's work area (the screen less task bars), and whether it holds
// the point that it was asked for.
struct WorkArea {
  ScreenRect rect;
  bool holds = false;
};

// Of the work areas given, the one that holds the point (x, y), or else the
// one nearest to it (holds false). No area at all: an empty one.
inline WorkArea workAreaAt(const std::vector<ScreenRect>& areas, int x, int y) {
  WorkArea best;
  long long bestDistance = -1;
  for (const ScreenRect& a : areas) {
    const long long right = static_cast<long long>(a.left) + a.width;
    const long long bottom = static_cast<long long>(a.top) + a.height;
    if (x >= a.left && x < right && y >= a.top && y < bottom) return {a, true};
    // Distance to the nearest pixel of the area, squared.
    const long long dx = x < a.left ? a.left - x : x >= right ? x - right + 1 : 0;
    const long long dy = y < a.top ? a.top - y : y >= bottom ? y - bottom + 1 : 0;
    const long long d = dx * dx + dy * dy;
    if (bestDistance < 0 || d < bestDistance) {
      best = {a, false};
      bestDistance = d;
    }
  }
  return best;
}

// The bytes of the ANSI code page: lead bytes start a two-byte character
// whose second byte must be a trail byte. A UTF-8 code page has neither and
// is taken by UTF-8's own rules.
struct AnsiBytes {
  bool utf8 = false;
  std::array<bool, 256> lead{};
  std::array<bool, 256> trail{};
  std::string standIn;  // UTF-8 of the code page's stand-in character
};

// Outcome of a file operation; message is the system's own wording.
struct IoResult {
  bool ok = true;
  std::string message;
  bool missing = false;  // failed because there is no such file or folder
};

// "YYYY/MM/DD hh:mm:ss" of a local time in milliseconds since 1601-01-01
// (the Gregorian calendar throughout).
inline std::string dateTimeText(long long ms) {
  const long long dayMs = 86400000LL;
  long long days = ms / dayMs;
  long long inDay = ms % dayMs;
  if (inDay < 0) {
    inDay += dayMs;
    --days;
  }
  // Days from 1601-01-01 to a civil date, counted in eras of 400 years
  // from 0000-03-01, where the leap day falls at the end of a year.
  const long long z = days + 584694;  // 1601-01-01 is day 584694 of era 0
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long d = doy - (153 * mp + 2) / 5 + 1;
  const long long m = mp < 10 ? mp + 3 : mp - 9;
  const long long y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  const long long s = inDay / 1000;
  char text[40];
  std::snprintf(text, sizeof text, "%04lld/%02lld/%02lld %02lld:%02lld:%02lld",
                y, m, d, s / 3600, s / 60 % 60, s % 60);
  return text;
}

// What the user did with a chooser list: the item chosen, or the item to
// delete (the Delete key, or "削除" on the item's context menu); index -1
// when the list was closed without either.
struct ListChoice {
  int index = -1;
  bool remove = false;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Modal message boxes owned by the main window.
  virtual void showMessage(const std::string& text) = 0;
  virtual bool askYesNo(const std::string& caption, const std::string& text) = 0;

  // File dialogs: true and dialog.fileName set when the user confirms.
  virtual bool openDialog(FileDialog& dialog) = 0;
  virtual bool saveDialog(FileDialog& dialog) = 0;

  // The shell's Open verb on a file or web address, owned by the window of
  // that name ("" = the main window); the result is ignored.
  virtual void shellOpen(const std::string& target,
                         const std::string& ownerWindow = "") = 0;

  // Dots per inch of the system: the scale that windows open at, and the
  // one that a program unaware of display scaling is shown at.
  virtual int screenDpi() = 0;
  // The work area of the monitor whose work area holds the point, or else
  // of the nearest one.
  virtual WorkArea workArea(int x, int y) = 0;

  virtual DriveType driveType(const std::string& root) = 0;
  virtual std::string currentFolder() = 0;

  // Text files in the system ANSI code page; text is UTF-8 in memory.
  virtual IoResult readTextFile(const std::string& path, std::string& text) = 0;
  // Writes through a temporary file in the target's folder that then
  // replaces the target, so a failed write leaves the old file untouched.
  // lossy is set when the code page cannot represent some character.
  virtual IoResult writeTextFile(const std::string& path,
                                 const std::string& text, bool* lossy) = 0;

  // Files of the program's own, as bytes with no conversion (its UTF-8
  // state file). Writing replaces the file in one step, as above.
  virtual IoResult readFile(const std::string& path, std::string& bytes) = 0;
  virtual IoResult writeFile(const std::string& path,
                             const std::string& bytes) = 0;
  // Renames a file, replacing any file of the new name.
  virtual IoResult renameFile(const std::string& from,
                              const std::string& to) = 0;
  // The lock that instances of the program hold, one at a time, while they
  // read, merge and replace a file of their own in the folder (however the
  // folder's path is written); nothing when another one held it for all of
  // waitMs. Released when the object goes.
  class FolderLock {
   public:
    virtual ~FolderLock() = default;
  };
  virtual std::unique_ptr<FolderLock> lockFolder(const std::string& folder,
                                                 int waitMs) = 0;

  // Child output: how the ANSI code page uses each byte value, and the
  // conversion of whole characters of it.
  virtual AnsiBytes ansiBytes() = 0;
  virtual std::string ansiToUtf8(std::string_view bytes) = 0;

  // Handles every pending window message, then waits until a message
  // arrives or waitMs milliseconds pass (0: do not wait).
  virtual void pumpMessages(int waitMs) = 0;
  // Asks the main window to close, by the same path as its close box.
  virtual void closeMainWindow() = 0;
  // True once the main window has been asked to close for good.
  virtual bool quitting() = 0;

  // The local wall-clock time in milliseconds (since 1601-01-01), for the
  // time at which each line of output arrived.
  virtual long long localTimeMs() = 0;
  // --- Time, a chooser list, rights and the program's own restart.
  // Milliseconds from a fixed moment; never goes back.
  virtual int64_t steadyMs() = 0;
  // The local date and time, "YYYY/MM/DD hh:mm:ss", from the same clock.
  std::string localTimeText() { return dateTimeText(localTimeMs()); }
  // A short list shown below the named control of the main window, chosen
  // from with the keyboard or the mouse, the item at highlighted (0-based)
  // lit first. A tab in an item puts what follows it in a column of its
  // own at the right.
  virtual ListChoice chooseFromList(const std::vector<std::string>& items,
                                    const std::string& nearControl,
                                    int highlighted) = 0;
  // True when the program runs with the administrator's rights.
  virtual bool elevated() = 0;
  enum class ElevatedStart { Started, Cancelled, Failed };
  // Asks the shell to run this program's own file elevated in the folder,
  // with the arguments; error holds the system's message on Failed. A text
  // offered before is served to the process started, and to no other, once,
  // in the background after a start (offerTaken tells how it went); without
  // a start it is withdrawn at once.
  virtual ElevatedStart startElevated(const std::string& arguments,
                                      const std::string& folder,
                                      std::string& error) = 0;
  // --- Handing a text to the next instance of the program without putting
  // it on a command line, where every process could read it: a channel that
  // holds it in memory only, with a name no one can guess. The name (what
  // goes on the command line), or "" when no channel could be made.
  virtual std::string offerText(const std::string& text) = 0;
  // After a start: nothing while the process started may still take the
  // text; then true when it took it whole, false when it ended or let the
  // time go by without (the offer is withdrawn then).
  virtual std::optional<bool> offerTaken() = 0;
  // In the new instance: the text offered on the channel of that name, or
  // nothing when its offerer is gone, the channel is served by another
  // process than the one that the name gives, or it fails.
  virtual std::optional<std::string> takeOffer(const std::string& channel) = 0;
  // --- Telling the user of an event while they may look elsewhere: the
  // main window's taskbar button flashes until the window is activated, and
  // the system's warning sound plays once.
  virtual void alertUser() = 0;

  // --- Echo requests (ICMP) to hosts, sent without waiting for their
  // answers, which are collected later; no administrator rights needed.
  // The numeric address of a name or an address (an IPv4 one first), or ""
  // when it does not resolve. It may wait for the name's server.
  virtual std::string resolveHost(const std::string& host) = 0;
  // The same lookup as a function that holds what it needs itself: a
  // thread may go on with it after this object is gone (a lookup still
  // waiting for its server when the program ends is left to finish alone).
  using HostLookup = std::function<std::string(const std::string&)>;
  virtual HostLookup hostLookup() = 0;
  enum class EchoStatus { Reply, TtlExpired, Unreachable, TimedOut, Failed };
  struct EchoAnswer {
    uint64_t id = 0;
    EchoStatus status = EchoStatus::Failed;
    // Round trip in milliseconds as the system measured it (Reply and
    // TtlExpired), and the address that answered ("" for none).
    int32_t ms = 0;
    std::string from;
  };
  // Sends an echo request to a numeric address, with the TTL given, that
  // times out after timeoutMs: its id (never 0), or 0 when it could not be
  // sent at all.
  virtual uint64_t sendEcho(const std::string& address, int ttl, int timeoutMs) = 0;
  // The answers that came since the last call, each request's once: a
  // reply, a router's word on the way, or the time running out.
  virtual std::vector<EchoAnswer> takeEchoAnswers() = 0;
  // Ends every request still out at once; none of them is answered after.
  virtual void cancelEchoes() = 0;

  // --- The program's icon in the notification area, while something runs
  // that the user may leave alone: its colour tells how things stand, its
  // tip says more, a click on it and the items of its menu run their
  // handlers. It comes back by itself when the shell restarts.
  enum class TrayLevel { Fine, Loss, Down };
  struct TrayIcon {
    TrayLevel level = TrayLevel::Fine;
    std::string tip;
    std::function<void()> onClick;
    std::vector<std::pair<std::string, std::function<void()>>> menu;  // caption, handler
  };
  // Shows the icon, or changes it: false when the shell refused it.
  virtual bool showTrayIcon(const TrayIcon& icon) = 0;
  // A balloon from the icon (a notification on newer systems): false when
  // no icon shows or the shell refused it.
  virtual bool trayBalloon(const std::string& text) = 0;
  virtual void removeTrayIcon() = 0;

  // --- Files written as the program runs (the monitor's log).
  // Makes the folder and every folder above it that is missing.
  virtual IoResult makeFolders(const std::string& path) = 0;
  // Appends the bytes to the file (made when missing) and flushes them to
  // the disk before it returns.
  virtual IoResult appendFile(const std::string& path, const std::string& bytes) = 0;
  // The system's folder chooser, owned by the window of that name, lit at
  // folder: true and folder set when the user chose one.
  virtual bool chooseFolder(const std::string& title, std::string& folder,
                            const std::string& ownerWindow) = 0;
  // --- TCP connections to a port, opened without waiting on the caller's
  // thread and closed with a reset as soon as they are accepted (no local
  // port is left waiting): what a service's answer takes.
  enum class ConnectStatus { Accepted, Refused, TimedOut, Unreachable, Failed };
  struct ConnectAnswer {
    uint64_t id = 0;
    ConnectStatus status = ConnectStatus::Failed;
    // Accepted: the time from the connection's start until it was
    // accepted, in microseconds.
    int64_t us = 0;
  };
  // Opens a connection to the port of a numeric address (IPv4 or IPv6)
  // that gives up after timeoutMs: its id (never 0), or 0 when it could not
  // be started at all.
  virtual uint64_t sendConnect(const std::string& address, int port, int timeoutMs) = 0;
  // The outcomes that came since the last call, each connection's once.
  virtual std::vector<ConnectAnswer> takeConnectAnswers() = 0;
  // Ends every connection still being made; none of them is answered after.
  virtual void cancelConnects() = 0;
  // --- The machine's connections: the system's tables of TCP and UDP
  // endpoints with the process that owns each, read without running any
  // command and without administrator rights.
  enum class Transport : uint8_t { Tcp, Tcp6, Udp, Udp6 };
  struct Endpoint {
    Transport transport = Transport::Tcp;
    // The TCP state as the system numbers it (1 closed ... 12 the control
    // block deleted); 0 for UDP.
    uint8_t state = 0;
    uint16_t localPort = 0;
    uint16_t remotePort = 0;  // 0 and no address for UDP
    uint32_t pid = 0;
    // Addresses in network order; IPv4 in the first four bytes.
    std::array<uint8_t, 16> local{};
    std::array<uint8_t, 16> remote{};
  };
  // Every endpoint now, or false with the system's message.
  virtual bool readEndpoints(std::vector<Endpoint>& out, std::string& error) = 0;
  // When the process of that id started, as a number that a later process
  // of the same id never shares; 0 when the system does not tell.
  virtual uint64_t processStarted(uint32_t pid) = 0;
  // The full path of the process's program file, "" when it cannot be read.
  virtual std::string processImage(uint32_t pid) = 0;
  // Ends a TCP connection over IPv4 at once. Refused: the system lets only
  // an administrator do it.
  enum class CloseOutcome { Closed, Refused, Failed };
  virtual CloseOutcome closeConnection(const Endpoint& e, std::string& error) = 0;
  // The name of a numeric address, "" when it has none; a function that a
  // thread may go on with after this object is gone, as hostLookup.
  virtual HostLookup addressLookup() = 0;
  // The shell's folder window with the file selected in it.
  virtual void showInFolder(const std::string& path) = 0;
};

}  // namespace velquin::platform
