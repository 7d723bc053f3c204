// The channel of the elevated restart on its own, both ends in this
// process: every text comes back exactly, once, and only to the process
// that it was offered to.
#include <gtest/gtest.h>
#include <windows.h>

#include <future>
#include <optional>
#include <string>

#include "win32/hand_over.h"

namespace velquin::test {
namespace {

std::string longText() {
  std::string s;
  while (s.size() < 3000000) s += "net user 山田 \"pa ss\\\" %PATH% ^& C:\\\r\n";
  return s;
}

TEST(HandOver, EveryTextComesBackExactlyOnce) {
  const std::string texts[] = {
      "net user bob Secr3t /add",
      R"(net user "bob" "a \" b\\" C:\)",
      "echo %USERNAME%&& set x=%%",
      "net user bob\r\nSecr3t\r\n",
      "net user 山田 パスワード /add",
      std::string("a\0b", 3),
      longText(),
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 30));
    win32::TextOffer offer;
    const std::string name = offer.open(text);
    ASSERT_EQ(name, name.substr(0, 32) + "." + std::to_string(GetCurrentProcessId()));
    auto taken = std::async(std::launch::async,
                            [&] { return win32::takeOffer(name, 10000); });
    EXPECT_TRUE(offer.serveTo(GetCurrentProcess(), 10000));
    const std::optional<std::string> got = taken.get();
    ASSERT_TRUE(got.has_value());
    EXPECT_TRUE(*got == text) << got->size() << " bytes of " << text.size();
    EXPECT_FALSE(offer.isOpen());
    EXPECT_FALSE(win32::takeOffer(name, 200).has_value());
  }
}

TEST(HandOver, AnotherProcessOrAWrongNameGetsNothing) {
  win32::TextOffer first, second;
  const std::string a = first.open("net user bob Secr3t");
  const std::string b = second.open("x");
  EXPECT_NE(a, b);
  // Offered to a process that is not this one: this one, reading, gets
  // nothing, and the offer is gone when the time is up.
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  wchar_t cmd[] = L"cmd.exe /c ping -n 3 127.0.0.1 >nul";
  ASSERT_TRUE(CreateProcessW(nullptr, cmd, nullptr, nullptr, FALSE,
                             CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi));
  auto taken = std::async(std::launch::async,
                          [&] { return win32::takeOffer(a, 5000); });
  EXPECT_FALSE(first.serveTo(pi.hProcess, 1500));
  EXPECT_FALSE(taken.get().has_value());
  TerminateProcess(pi.hProcess, 0);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // Names that are not the channel's own shape are not even tried.
  for (const std::string& name : {std::string(), std::string("-"), b.substr(1),
                                  std::string("..\\..\\") + b.substr(6)})
    EXPECT_FALSE(win32::takeOffer(name, 200).has_value()) << name;
}

// The reader takes the text only from the process that the name gives:
// a pipe of that name served by any other (one made once the offerer's was
// gone) gives nothing, not a byte read.
TEST(HandOver, TheTextIsTakenOnlyFromTheProcessTheNameGives) {
  win32::TextOffer offer;
  const std::string name = offer.open("net user bob Secr3t");
  const std::string pipe = name.substr(0, name.find('.') + 1);
  for (DWORD other : {GetCurrentProcessId() + 4, DWORD{4}}) {
    auto taken = std::async(std::launch::async, [&] {
      return win32::takeOffer(pipe + std::to_string(other), 5000);
    });
    offer.serveTo(GetCurrentProcess(), 1500);
    EXPECT_FALSE(taken.get().has_value()) << other;
    offer.open("net user bob Secr3t");
  }
  // Names whose process part is not one.
  for (const std::string& bad : {pipe, pipe + "0", pipe + "x1", pipe + "99999999999",
                                 name.substr(0, 32)})
    EXPECT_FALSE(win32::takeOffer(bad, 200).has_value()) << bad;
}

// Served on a thread of its own: the offerer learns how it went when it
// asks, and calls off a serve at once when it goes.
TEST(HandOver, ABackgroundServeTellsWhetherTheTextWasRead) {
  for (bool read : {true, false}) {
    SCOPED_TRACE(read ? "read" : "never read");
    win32::TextOffer offer;
    const std::string name = offer.open("net user 山田 Secr3t");
    HANDLE self = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(),
                                GetCurrentProcess(), &self, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    win32::BackgroundServe serve;
    serve.start(std::move(offer), self, read ? 10000 : 700);
    EXPECT_FALSE(offer.isOpen());
    EXPECT_FALSE(serve.result().has_value());
    if (read) EXPECT_EQ(win32::takeOffer(name, 5000), "net user 山田 Secr3t");
    for (int i = 0; i < 200 && !serve.result(); ++i) Sleep(25);
    EXPECT_EQ(serve.result(), std::optional<bool>(read));
  }
  // Gone with the window: called off at once, not after its minute.
  win32::TextOffer offer;
  const std::string name = offer.open("x");
  HANDLE self = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(),
                              GetCurrentProcess(), &self, 0, FALSE, DUPLICATE_SAME_ACCESS));
  {
    win32::BackgroundServe serve;
    serve.start(std::move(offer), self, 60000);
  }
  EXPECT_FALSE(win32::takeOffer(name, 200).has_value());
}

}  // namespace
}  // namespace velquin::test
