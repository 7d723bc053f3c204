#include "win32/hand_over.h"

#include <cstdint>
#include <utility>

#include "win32/system_library.h"

namespace velquin::win32 {

namespace {

constexpr size_t kNameDigits = 32;    // 128 random bits in hexadecimal
// Edit1 takes up to 2^31 characters; no one types, or pastes, a command
// line of more than this.
constexpr uint32_t kLongest = 64u << 20;

std::wstring pipePath(const std::string& pipe) {
  return L"\\\\.\\pipe\\Velquin-" + std::wstring(pipe.begin(), pipe.end());
}

// A channel's name: the pipe's 32 hexadecimal digits, a dot, and the id of
// the process that serves it.
struct Channel {
  std::string pipe;
  DWORD server = 0;
};

std::optional<Channel> parseName(const std::string& name) {
  const size_t dot = name.find('.');
  if (dot != kNameDigits) return std::nullopt;
  Channel c{name.substr(0, dot)};
  for (char ch : c.pipe)
    if (!((ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f'))) return std::nullopt;
  const std::string id = name.substr(dot + 1);
  if (id.empty() || id.size() > 10) return std::nullopt;
  uint64_t n = 0;
  for (char ch : id) {
    if (ch < '0' || ch > '9') return std::nullopt;
    n = n * 10 + static_cast<uint64_t>(ch - '0');
  }
  if (n == 0 || n > 0xFFFFFFFFu) return std::nullopt;
  c.server = static_cast<DWORD>(n);
  return c;
}

// Random bytes from the system's generator for secrets.
bool randomBytes(unsigned char* out, ULONG n) {
  using GenRandom = LONG(WINAPI*)(void*, PUCHAR, ULONG, ULONG);
  constexpr ULONG kSystemPreferred = 0x00000002;  // BCRYPT_USE_SYSTEM_PREFERRED_RNG
  if (const auto gen = systemFunction<GenRandom>(L"bcrypt.dll", "BCryptGenRandom"))
    return gen(nullptr, out, n, kSystemPreferred) >= 0;
  return false;
}

// Waits for the event until the deadline; false when the time is up, or
// the process or stop (those given) came first. Messages that other threads
// send to this one's windows are handled meanwhile, so that no one waits on
// us; nothing the user does is.
bool waitFor(HANDLE event, HANDLE process, HANDLE stop, ULONGLONG deadline) {
  HANDLE handles[3] = {event};
  DWORD count = 1;
  if (process) handles[count++] = process;
  if (stop) handles[count++] = stop;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    const DWORD r = MsgWaitForMultipleObjectsEx(
        count, handles, static_cast<DWORD>(deadline - now), QS_SENDMESSAGE, 0);
    if (r == WAIT_OBJECT_0) return true;
    if (r == WAIT_OBJECT_0 + count) {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      continue;
    }
    return false;
  }
}

// One overlapped operation on the handle, waited for until the deadline;
// an operation still pending then is cancelled. The bytes moved, or -1.
template <typename Start>
long long overlapped(HANDLE h, HANDLE process, HANDLE stop, ULONGLONG deadline,
                     Start start) {
  OVERLAPPED ov{};
  ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!ov.hEvent) return -1;
  DWORD moved = 0;
  long long result = -1;
  if (start(&ov)) {
    if (GetOverlappedResult(h, &ov, &moved, FALSE)) result = moved;
  } else if (GetLastError() == ERROR_IO_PENDING) {
    if (!waitFor(ov.hEvent, process, stop, deadline)) CancelIo(h);
    if (GetOverlappedResult(h, &ov, &moved, TRUE)) result = moved;
  }
  CloseHandle(ov.hEvent);
  return result;
}

// The length at the head of a message.
uint32_t lengthOf(const std::string& message) {
  const auto* b = reinterpret_cast<const unsigned char*>(message.data());
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

// Waits for a client of the pipe until the deadline.
bool connectClient(HANDLE pipe, HANDLE process, HANDLE stop, ULONGLONG deadline) {
  OVERLAPPED ov{};
  ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!ov.hEvent) return false;
  bool connected = ConnectNamedPipe(pipe, &ov) != FALSE;
  const DWORD err = GetLastError();
  // A client that came before the call is connected already.
  if (!connected && err == ERROR_PIPE_CONNECTED) connected = true;
  if (!connected && err == ERROR_IO_PENDING) {
    if (!waitFor(ov.hEvent, process, stop, deadline)) CancelIo(pipe);
    DWORD none = 0;
    connected = GetOverlappedResult(pipe, &ov, &none, TRUE) != FALSE;
  }
  CloseHandle(ov.hEvent);
  return connected;
}

}  // namespace

std::string TextOffer::open(const std::string& text) {
  close();
  if (text.size() > kLongest) return {};
  unsigned char bits[kNameDigits / 2];
  if (!randomBytes(bits, sizeof bits)) return {};
  std::string pipe;
  for (unsigned char b : bits) {
    pipe += "0123456789abcdef"[b >> 4];
    pipe += "0123456789abcdef"[b & 15];
  }
  // The first and only instance of the name: a pipe that someone else made
  // under it first is never used. No client from another machine.
  pipe_ = CreateNamedPipeW(pipePath(pipe).c_str(),
                           PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE |
                               FILE_FLAG_OVERLAPPED,
                           PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT |
                               PIPE_REJECT_REMOTE_CLIENTS,
                           1, static_cast<DWORD>(text.size() + 4), 16, 0, nullptr);
  if (pipe_ == INVALID_HANDLE_VALUE) return {};
  const auto n = static_cast<uint32_t>(text.size());
  message_.assign({static_cast<char>(n & 0xFF), static_cast<char>(n >> 8 & 0xFF),
                   static_cast<char>(n >> 16 & 0xFF), static_cast<char>(n >> 24)});
  message_ += text;
  return pipe + "." + std::to_string(GetCurrentProcessId());
}

TextOffer& TextOffer::operator=(TextOffer&& other) noexcept {
  if (this != &other) {
    close();
    std::swap(pipe_, other.pipe_);
    std::swap(message_, other.message_);
  }
  return *this;
}

void TextOffer::close() {
  if (pipe_ != INVALID_HANDLE_VALUE) CloseHandle(pipe_);
  pipe_ = INVALID_HANDLE_VALUE;
  // The text is not left behind in freed memory.
  SecureZeroMemory(message_.data(), message_.size());
  message_.clear();
}

bool TextOffer::serveTo(HANDLE process, DWORD ms, HANDLE stop) {
  const DWORD pid = process ? GetProcessId(process) : 0;
  bool served = false;
  const ULONGLONG deadline = GetTickCount64() + ms;
  while (isOpen() && pid != 0 && !served && GetTickCount64() < deadline) {
    if (!connectClient(pipe_, process, stop, deadline)) break;
    ULONG client = 0;
    if (GetNamedPipeClientProcessId(pipe_, &client) && client == pid) {
      const long long sent = overlapped(pipe_, process, stop, deadline, [&](OVERLAPPED* ov) {
        return WriteFile(pipe_, message_.data(), static_cast<DWORD>(message_.size()),
                         nullptr, ov) != FALSE;
      });
      // Closing the channel before the reader has taken everything would
      // throw away what is still in it: wait until the reader lets go (a
      // read on this side then ends with the pipe broken).
      char none;
      overlapped(pipe_, nullptr, stop, deadline, [&](OVERLAPPED* ov) {
        return ReadFile(pipe_, &none, 1, nullptr, ov) != FALSE;
      });
      served = sent == static_cast<long long>(message_.size());
    }
    // Anyone else is put off with nothing, and the channel waits again.
    DisconnectNamedPipe(pipe_);
    if (served) break;
  }
  close();
  return served;
}

void BackgroundServe::start(TextOffer offer, HANDLE process, DWORD ms) {
  stop();
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  state_ = std::make_shared<std::atomic<int>>(0);
  thread_ = std::thread([offer = std::move(offer), process, ms, stop = stop_,
                         state = state_]() mutable {
    const bool read = offer.serveTo(process, ms, stop);
    if (process) CloseHandle(process);
    state->store(read ? 1 : 2);
  });
}

std::optional<bool> BackgroundServe::result() const {
  if (!state_) return false;
  const int s = state_->load();
  if (s == 0) return std::nullopt;
  return s == 1;
}

void BackgroundServe::stop() {
  if (stop_) SetEvent(stop_);
  if (thread_.joinable()) thread_.join();
  if (stop_) CloseHandle(stop_);
  stop_ = nullptr;
}

std::optional<std::string> takeOffer(const std::string& name, DWORD ms) {
  const std::optional<Channel> channel = parseName(name);
  if (!channel) return std::nullopt;
  const std::wstring path = pipePath(channel->pipe);
  const ULONGLONG deadline = GetTickCount64() + ms;
  HANDLE pipe;
  for (;;) {
    pipe = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT |
                           SECURITY_IDENTIFICATION,
                       nullptr);
    if (pipe != INVALID_HANDLE_VALUE) break;
    const ULONGLONG now = GetTickCount64();
    if (GetLastError() != ERROR_PIPE_BUSY || now >= deadline) return std::nullopt;
    WaitNamedPipeW(path.c_str(), static_cast<DWORD>(deadline - now));
  }
  // Not a byte is read from a pipe that someone else made under the name.
  ULONG server = 0;
  if (!GetNamedPipeServerProcessId(pipe, &server) || server != channel->server) {
    CloseHandle(pipe);
    return std::nullopt;
  }
  std::string got;
  std::string buf(65536, '\0');
  for (;;) {
    const long long n = overlapped(pipe, nullptr, nullptr, deadline, [&](OVERLAPPED* ov) {
      return ReadFile(pipe, buf.data(), static_cast<DWORD>(buf.size()), nullptr, ov) != FALSE;
    });
    if (n <= 0) break;  // the end, or a failure
    got.append(buf.data(), static_cast<size_t>(n));
    if (got.size() > kLongest + 4) break;
    if (got.size() >= 4 && got.size() >= 4 + static_cast<size_t>(lengthOf(got)))
      break;
  }
  CloseHandle(pipe);
  std::optional<std::string> text;
  if (got.size() >= 4 && got.size() == 4 + static_cast<size_t>(lengthOf(got)))
    text = got.substr(4);
  SecureZeroMemory(got.data(), got.size());
  SecureZeroMemory(buf.data(), buf.size());
  return text;
}

}  // namespace velquin::win32
