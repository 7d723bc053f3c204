// TCP connections to a port, for the monitor's port rows. Each is a
// non-blocking socket whose connect event the system's thread pool waits
// for, so the window's thread never waits: the pool's callback reads the
// outcome, takes the time with the performance counter and closes the
// socket at once with a reset (linger 0), which leaves no local port in
// TIME_WAIT however often a row probes. One SYN a probe: a refusal is told
// at the first reset, not after the system's retries. No raw socket, no
// administrator's rights. The socket library loads at the first use.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "win32/platform_win32.h"
#include "win32/system_library.h"
#include "win32/text.h"

namespace velquin::win32 {

namespace {

using platform::Platform;
using Status = Platform::ConnectStatus;

struct Sockets {
  decltype(&::socket) open = nullptr;
  decltype(&::connect) connect = nullptr;
  decltype(&::closesocket) close = nullptr;
  decltype(&::setsockopt) setOption = nullptr;
  decltype(&::WSAIoctl) ioctl = nullptr;
  decltype(&::WSAEventSelect) eventSelect = nullptr;
  decltype(&::WSAEnumNetworkEvents) networkEvents = nullptr;
  decltype(&::WSAGetLastError) lastError = nullptr;
  decltype(&::GetAddrInfoW) getAddrInfo = nullptr;
  decltype(&::FreeAddrInfoW) freeAddrInfo = nullptr;
  bool ready = false;

  Sockets() {
    constexpr const wchar_t* ws = L"ws2_32.dll";
    open = systemFunction<decltype(open)>(ws, "socket");
    connect = systemFunction<decltype(connect)>(ws, "connect");
    close = systemFunction<decltype(close)>(ws, "closesocket");
    setOption = systemFunction<decltype(setOption)>(ws, "setsockopt");
    ioctl = systemFunction<decltype(ioctl)>(ws, "WSAIoctl");
    eventSelect = systemFunction<decltype(eventSelect)>(ws, "WSAEventSelect");
    networkEvents = systemFunction<decltype(networkEvents)>(ws, "WSAEnumNetworkEvents");
    lastError = systemFunction<decltype(lastError)>(ws, "WSAGetLastError");
    getAddrInfo = systemFunction<decltype(getAddrInfo)>(ws, "GetAddrInfoW");
    freeAddrInfo = systemFunction<decltype(freeAddrInfo)>(ws, "FreeAddrInfoW");
    auto startup = systemFunction<decltype(&::WSAStartup)>(ws, "WSAStartup");
    WSADATA data;
    ready = open && connect && close && setOption && ioctl && eventSelect && networkEvents &&
            lastError && getAddrInfo && freeAddrInfo && startup &&
            startup(MAKEWORD(2, 2), &data) == 0;
  }
};

Sockets& sockets() {
  static Sockets s;
  return s;
}

// Closed with a reset: the connection leaves nothing behind.
void closeAtOnce(SOCKET s) {
  Sockets& f = sockets();
  linger l{1, 0};
  f.setOption(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
  f.close(s);
}

Status statusOf(int error) {
  switch (error) {
    case 0: return Status::Accepted;
    case WSAECONNREFUSED: return Status::Refused;
    case WSAETIMEDOUT: return Status::TimedOut;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
    case WSAEADDRNOTAVAIL: return Status::Unreachable;
    default: return Status::Failed;
  }
}

int64_t counterFrequency() {
  static const int64_t f = [] {
    LARGE_INTEGER q;
    QueryPerformanceFrequency(&q);
    return static_cast<int64_t>(q.QuadPart);
  }();
  return f;
}

}  // namespace

class TcpConnects {
 public:
  ~TcpConnects() { cancel(); }

  uint64_t send(const std::string& address, int port, int timeoutMs) {
    Sockets& f = sockets();
    if (!f.ready || port < 1 || port > 65535) return 0;
    // The numeric address and the port as the system reads them (an IPv6
    // zone included), never a name.
    ADDRINFOW hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* found = nullptr;
    if (f.getAddrInfo(widen(address).c_str(), std::to_wstring(port).c_str(), &hints, &found) != 0 ||
        !found)
      return 0;
    auto r = std::make_unique<Request>();
    r->owner = this;
    r->id = next_++;
    r->socket = f.open(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
    r->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    r->wait = CreateThreadpoolWait(&TcpConnects::ended, r.get(), nullptr);
    if (r->socket == INVALID_SOCKET || !r->event || !r->wait ||
        f.eventSelect(r->socket, r->event, FD_CONNECT) != 0) {
      f.freeAddrInfo(found);
      return 0;
    }
    // One SYN, waited for the whole time-out: a reset ends the attempt at
    // once instead of the system asking again.
    TCP_INITIAL_RTO_PARAMETERS rto{static_cast<USHORT>(std::clamp(timeoutMs, 1, 65534)),
                                   TCP_INITIAL_RTO_NO_SYN_RETRANSMISSIONS};
    DWORD none = 0;
    f.ioctl(r->socket, SIO_TCP_INITIAL_RTO, &rto, sizeof rto, nullptr, 0, &none, nullptr,
            nullptr);
    QueryPerformanceCounter(&r->start);
    const int result =
        f.connect(r->socket, found->ai_addr, static_cast<int>(found->ai_addrlen));
    const int error = result == 0 ? 0 : f.lastError();
    f.freeAddrInfo(found);
    const uint64_t id = r->id;
    if (result != 0 && error != WSAEWOULDBLOCK) {
      // Told at once (no route): answered at the next look.
      std::lock_guard<std::mutex> hold(lock_);
      done_.push_back({id, statusOf(error), 0});
      closeAtOnce(r->socket);
      r->socket = INVALID_SOCKET;
      finished_.push_back(std::move(r));
      return id;
    }
    FILETIME due;
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>(-static_cast<LONGLONG>(std::max(timeoutMs, 1)) * 10'000);
    due.dwLowDateTime = ticks.LowPart;
    due.dwHighDateTime = ticks.HighPart;
    Request* waiting = r.get();
    {
      std::lock_guard<std::mutex> hold(lock_);
      out_[id] = std::move(r);
    }
    SetThreadpoolWait(waiting->wait, waiting->event, &due);
    return id;
  }

  std::vector<Platform::ConnectAnswer> take() {
    std::vector<Platform::ConnectAnswer> answers;
    std::vector<std::unique_ptr<Request>> over;
    {
      std::lock_guard<std::mutex> hold(lock_);
      answers.swap(done_);
      over.swap(finished_);
    }
    // Their callbacks have given their answers; what is left of them is
    // released here, once each callback is through.
    for (auto& r : over)
      if (r->wait) WaitForThreadpoolWaitCallbacks(r->wait, FALSE);
    return answers;
  }

  void cancel() {
    std::unordered_map<uint64_t, std::unique_ptr<Request>> out;
    {
      std::lock_guard<std::mutex> hold(lock_);
      out.swap(out_);
    }
    // A callback that already runs finishes first; one still to come never
    // runs. Its socket is then closed here, with a reset like the others.
    for (auto& [id, r] : out) {
      SetThreadpoolWait(r->wait, nullptr, nullptr);
      WaitForThreadpoolWaitCallbacks(r->wait, TRUE);
    }
    std::lock_guard<std::mutex> hold(lock_);
    done_.clear();
    finished_.clear();
  }

 private:
  struct Request {
    TcpConnects* owner = nullptr;
    uint64_t id = 0;
    SOCKET socket = INVALID_SOCKET;
    HANDLE event = nullptr;
    PTP_WAIT wait = nullptr;
    LARGE_INTEGER start{};
    ~Request() {
      if (socket != INVALID_SOCKET) closeAtOnce(socket);
      if (wait) CloseThreadpoolWait(wait);
      if (event) CloseHandle(event);
    }
  };

  // On a thread of the pool: the connection was accepted or failed, or
  // its time ran out.
  static void CALLBACK ended(PTP_CALLBACK_INSTANCE, void* context, PTP_WAIT, TP_WAIT_RESULT result) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    auto* r = static_cast<Request*>(context);
    Platform::ConnectAnswer a{r->id, Status::TimedOut, 0};
    if (result == WAIT_OBJECT_0) {
      WSANETWORKEVENTS events{};
      if (sockets().networkEvents(r->socket, r->event, &events) == 0 &&
          (events.lNetworkEvents & FD_CONNECT))
        a.status = statusOf(events.iErrorCode[FD_CONNECT_BIT]);
      else
        a.status = Status::Failed;
    }
    if (a.status == Status::Accepted)
      a.us = (now.QuadPart - r->start.QuadPart) * 1'000'000 / counterFrequency();
    closeAtOnce(r->socket);
    r->socket = INVALID_SOCKET;
    TcpConnects& owner = *r->owner;
    std::lock_guard<std::mutex> hold(owner.lock_);
    const auto it = owner.out_.find(r->id);
    if (it == owner.out_.end()) return;  // cancelled meanwhile
    owner.done_.push_back(a);
    owner.finished_.push_back(std::move(it->second));
    owner.out_.erase(it);
  }

  std::mutex lock_;
  std::unordered_map<uint64_t, std::unique_ptr<Request>> out_;  // being made
  std::vector<Platform::ConnectAnswer> done_;
  std::vector<std::unique_ptr<Request>> finished_;  // answered, to release
  uint64_t next_ = 1;
};

uint64_t Win32Platform::sendConnect(const std::string& address, int port, int timeoutMs) {
  if (!connects_) connects_ = std::make_shared<TcpConnects>();
  return connects_->send(address, port, timeoutMs);
}

std::vector<platform::Platform::ConnectAnswer> Win32Platform::takeConnectAnswers() {
  return connects_ ? connects_->take() : std::vector<ConnectAnswer>();
}

void Win32Platform::cancelConnects() {
  if (connects_) connects_->cancel();
}

}  // namespace velquin::win32
