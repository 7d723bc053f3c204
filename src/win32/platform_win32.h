#pragma once
// The operating system for the program: message boxes, dialogs, files in
// the ANSI code page, the shell, and the message pump that the command
// runner calls while it waits.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "win32/hand_over.h"

namespace velquin::win32 {

class Renderer;
class IcmpEchoes;
class NotifyArea;
class TcpConnects;

// Writes the bytes to a temporary file of a name of its own in the
// target's folder, flushed to the disk, that then replaces the target in
// one step: a failed write leaves the old file as it was.
platform::IoResult replaceFile(const std::string& path, const std::string& bytes);

class Win32Platform : public platform::Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;
  // The main window: owner of boxes and dialogs. Every window attached
  // (the main window and the about box) handles the keyboard messages of
  // its own controls before they are dispatched.
  void attach(Renderer* main);
  void attachWindow(Renderer* window);
  HWND owner() const;

  void showMessage(const std::string& text) override;
  bool askYesNo(const std::string& caption, const std::string& text) override;
  bool openDialog(platform::FileDialog& dialog) override;
  bool saveDialog(platform::FileDialog& dialog) override;
  void shellOpen(const std::string& target,
                 const std::string& ownerWindow = "") override;
  int screenDpi() override;
  platform::WorkArea workArea(int x, int y) override;
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
  platform::AnsiBytes ansiBytes() override;
  std::string ansiToUtf8(std::string_view bytes) override;
  void pumpMessages(int waitMs) override;
  void closeMainWindow() override;
  bool quitting() override { return quitting_; }
  long long localTimeMs() override;

  // --- Time, a chooser list, rights and the program's own restart.
  int64_t steadyMs() override;
  platform::ListChoice chooseFromList(const std::vector<std::string>& items,
                                      const std::string& nearControl,
                                      int highlighted) override;
  bool elevated() override;
  ElevatedStart startElevated(const std::string& arguments,
                              const std::string& folder,
                              std::string& error) override;
  void alertUser() override;
  std::string offerText(const std::string& text) override;
  std::optional<bool> offerTaken() override;
  std::optional<std::string> takeOffer(const std::string& channel) override;
  // The folder's lock across instances: folder_lock.cpp.
  std::unique_ptr<FolderLock> lockFolder(const std::string& folder,
                                         int waitMs) override;
  // Echo requests: icmp_win32.cpp.
  std::string resolveHost(const std::string& host) override;
  HostLookup hostLookup() override;
  uint64_t sendEcho(const std::string& address, int ttl, int timeoutMs) override;
  std::vector<EchoAnswer> takeEchoAnswers() override;
  void cancelEchoes() override;
  // The notification area: tray_icon.cpp.
  bool showTrayIcon(const TrayIcon& icon) override;
  bool trayBalloon(const std::string& text) override;
  void removeTrayIcon() override;
  // Files written as the program runs: log_files.cpp.
  platform::IoResult makeFolders(const std::string& path) override;
  platform::IoResult appendFile(const std::string& path, const std::string& bytes) override;
  bool chooseFolder(const std::string& title, std::string& folder,
                    const std::string& ownerWindow) override;
  // TCP connections to a port: tcp_probe_win32.cpp.
  uint64_t sendConnect(const std::string& address, int port, int timeoutMs) override;
  std::vector<ConnectAnswer> takeConnectAnswers() override;
  void cancelConnects() override;
  // The machine's connections: connections_win32.cpp.
  bool readEndpoints(std::vector<Endpoint>& out, std::string& error) override;
  uint64_t processStarted(uint32_t pid) override;
  std::string processImage(uint32_t pid) override;
  CloseOutcome closeConnection(const Endpoint& e, std::string& error) override;
  HostLookup addressLookup() override;
  void showInFolder(const std::string& path) override;

  // The main window is closing for good (also set by WM_QUIT in a pump).
  void setQuitting() { quitting_ = true; }
  // Translates and dispatches one message as the main loop does.
  void dispatch(MSG& msg);
  // The message loop of the program; returns the exit code.
  int run();

 private:
  bool fileDialog(platform::FileDialog& dialog, bool save);

  bool busy() const;  // a handler of some window is on the stack

  Renderer* main_ = nullptr;
  std::vector<Renderer*> windows_;
  bool quitting_ = false;
  std::shared_ptr<IcmpEchoes> echoes_;
  std::shared_ptr<TcpConnects> connects_;
  int exitCode_ = 0;
  TextOffer offer_;  // for the elevated restart
  BackgroundServe serving_;  // the offer, once the elevated start is made
  std::unique_ptr<NotifyArea> tray_;  // made when first shown
};

}  // namespace velquin::win32
