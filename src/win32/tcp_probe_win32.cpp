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
#include <cstring>
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
    sockaddr_storage to{};
    int length = 0;
    if (!addressOf(address, to, length)) return 0;
    // In the network's byte order (the socket library loads only at the
    // first use, so not through its own function).
    const auto inOrder = static_cast<u_short>((port >> 8) | ((port & 0xFF) << 8));
    if (to.ss_family == AF_INET6)
      reinterpret_cast<sockaddr_in6&>(to).sin6_port = inOrder;
    else
      reinterpret_cast<sockaddr_in&>(to).sin_port = inOrder;
    Slot* slot = freeSlot();
    if (!slot) return 0;
    slot->socket = f.open(to.ss_family, SOCK_STREAM, IPPROTO_TCP);
    ResetEvent(slot->event);
    if (slot->socket == INVALID_SOCKET ||
        f.eventSelect(slot->socket, slot->event, FD_CONNECT) != 0) {
      release(slot);
      return 0;
    }
    slot->id = next_++;
    // One SYN, waited for the whole time-out: a reset ends the attempt at
    // once instead of the system asking again.
    TCP_INITIAL_RTO_PARAMETERS rto{static_cast<USHORT>(std::clamp(timeoutMs, 1, 65534)),
                                   TCP_INITIAL_RTO_NO_SYN_RETRANSMISSIONS};
    DWORD none = 0;
    if (rtoKnown_ &&
        f.ioctl(slot->socket, SIO_TCP_INITIAL_RTO, &rto, sizeof rto, nullptr, 0, &none, nullptr,
                nullptr) != 0 &&
        f.lastError() == WSAEOPNOTSUPP)
      rtoKnown_ = false;  // a system without the option is not asked again
    QueryPerformanceCounter(&slot->start);
    const int result = f.connect(slot->socket, reinterpret_cast<const sockaddr*>(&to), length);
    const int error = result == 0 ? 0 : f.lastError();
    const uint64_t id = slot->id;
    if (result != 0 && error != WSAEWOULDBLOCK) {
      // Told at once (no route): answered at the next look.
      std::lock_guard<std::mutex> hold(lock_);
      done_.push_back({id, statusOf(error), 0});
      release(slot);
      return id;
    }
    FILETIME due;
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>(-static_cast<LONGLONG>(std::max(timeoutMs, 1)) * 10'000);
    due.dwLowDateTime = ticks.LowPart;
    due.dwHighDateTime = ticks.HighPart;
    {
      std::lock_guard<std::mutex> hold(lock_);
      out_[id] = slot;
    }
    SetThreadpoolWait(slot->wait, slot->event, &due);
    return id;
  }

  std::vector<Platform::ConnectAnswer> take() {
    std::vector<Platform::ConnectAnswer> answers;
    std::vector<Slot*> over;
    {
      std::lock_guard<std::mutex> hold(lock_);
      answers.swap(done_);
      over.swap(answered_);
    }
    // Their callbacks have given their answers; once each is through, its
    // slot serves the next connection.
    for (Slot* slot : over) {
      WaitForThreadpoolWaitCallbacks(slot->wait, FALSE);
      free_.push_back(slot);
    }
    return answers;
  }

  void cancel() {
    std::unordered_map<uint64_t, Slot*> out;
    {
      std::lock_guard<std::mutex> hold(lock_);
      out.swap(out_);
      answered_.clear();  // every slot is waited for and let go below
      done_.clear();
    }
    // A callback that already runs finishes first; one still to come never
    // runs. Its socket is then closed here, with a reset like the others.
    for (auto& [id, slot] : out) {
      SetThreadpoolWait(slot->wait, nullptr, nullptr);
      WaitForThreadpoolWaitCallbacks(slot->wait, TRUE);
      release(slot);
    }
    // Every slot is free now: a stopped monitor holds no event or wait.
    for (auto& slot : slots_) {
      WaitForThreadpoolWaitCallbacks(slot->wait, TRUE);
      CloseThreadpoolWait(slot->wait);
      CloseHandle(slot->event);
    }
    slots_.clear();
    free_.clear();
  }

 private:
  // A connection's event and the pool's wait on it, made once and used by
  // one connection after another: a row that probes every second makes
  // neither anew.
  struct Slot {
    TcpConnects* owner = nullptr;
    HANDLE event = nullptr;
    PTP_WAIT wait = nullptr;
    uint64_t id = 0;
    SOCKET socket = INVALID_SOCKET;
    LARGE_INTEGER start{};
  };

  Slot* freeSlot() {
    if (!free_.empty()) {
      Slot* slot = free_.back();
      free_.pop_back();
      return slot;
    }
    auto slot = std::make_unique<Slot>();
    slot->owner = this;
    slot->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    slot->wait = slot->event ? CreateThreadpoolWait(&TcpConnects::ended, slot.get(), nullptr)
                             : nullptr;
    if (!slot->wait) {
      if (slot->event) CloseHandle(slot->event);
      return nullptr;
    }
    slots_.push_back(std::move(slot));
    return slots_.back().get();
  }

  // The slot back among the free ones, its socket closed with a reset.
  void release(Slot* slot) {
    if (slot->socket != INVALID_SOCKET) closeAtOnce(slot->socket);
    slot->socket = INVALID_SOCKET;
    free_.push_back(slot);
  }

  // The numeric address as the system reads it (an IPv6 zone included),
  // never a name; read once for each address a row probes.
  bool addressOf(const std::string& address, sockaddr_storage& to, int& length) {
    auto known = addresses_.find(address);
    if (known == addresses_.end()) {
      Sockets& f = sockets();
      ADDRINFOW hints{};
      hints.ai_flags = AI_NUMERICHOST;
      hints.ai_socktype = SOCK_STREAM;
      hints.ai_protocol = IPPROTO_TCP;
      ADDRINFOW* found = nullptr;
      if (f.getAddrInfo(widen(address).c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
      Address a{};
      a.length = static_cast<int>(std::min<size_t>(found->ai_addrlen, sizeof a.to));
      std::memcpy(&a.to, found->ai_addr, static_cast<size_t>(a.length));
      f.freeAddrInfo(found);
      // The rows' addresses are few; a list that somehow grows past them
      // starts again rather than growing for days.
      if (addresses_.size() >= 65536) addresses_.clear();
      known = addresses_.emplace(address, a).first;
    }
    to = known->second.to;
    length = known->second.length;
    return true;
  }

  // On a thread of the pool: the connection was accepted or failed, or
  // its time ran out.
  static void CALLBACK ended(PTP_CALLBACK_INSTANCE, void* context, PTP_WAIT, TP_WAIT_RESULT result) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    auto* slot = static_cast<Slot*>(context);
    Platform::ConnectAnswer a{slot->id, Status::TimedOut, 0};
    if (result == WAIT_OBJECT_0) {
      WSANETWORKEVENTS events{};
      if (sockets().networkEvents(slot->socket, slot->event, &events) == 0 &&
          (events.lNetworkEvents & FD_CONNECT))
        a.status = statusOf(events.iErrorCode[FD_CONNECT_BIT]);
      else
        a.status = Status::Failed;
    }
    if (a.status == Status::Accepted)
      a.us = (now.QuadPart - slot->start.QuadPart) * 1'000'000 / counterFrequency();
    closeAtOnce(slot->socket);
    slot->socket = INVALID_SOCKET;
    TcpConnects& owner = *slot->owner;
    std::lock_guard<std::mutex> hold(owner.lock_);
    const auto it = owner.out_.find(slot->id);
    if (it == owner.out_.end()) return;  // cancelled meanwhile
    owner.done_.push_back(a);
    owner.answered_.push_back(slot);
    owner.out_.erase(it);
  }

  struct Address {
    sockaddr_storage to;
    int length;
  };

  // The window's thread alone: the slots, the free ones, the addresses.
  std::vector<std::unique_ptr<Slot>> slots_;
  std::vector<Slot*> free_;
  std::unordered_map<std::string, Address> addresses_;
  uint64_t next_ = 1;
  bool rtoKnown_ = true;  // the system takes the initial time-out option
  // Shared with the pool's callbacks.
  std::mutex lock_;
  std::unordered_map<uint64_t, Slot*> out_;  // being made
  std::vector<Platform::ConnectAnswer> done_;
  std::vector<Slot*> answered_;  // answered, their callbacks perhaps still running
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
