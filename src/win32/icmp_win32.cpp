// Echo requests through the system's ICMP functions, which need no
// administrator rights: each request is sent with an event of its own and
// collected once the event is set, so none of them blocks the window.
// Their libraries load at the first use: most runs never send one.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "monitor/echo_reply.h"
#include "win32/platform_win32.h"
#include "win32/system_library.h"
#include "win32/text.h"

namespace velquin::win32 {

namespace {

using platform::Platform;

// The IPv6 reply as the system writes it. Its address block is packed in
// the system's headers; mingw-w64's IPV6_ADDRESS_EX is not, which would put
// the address two bytes off and read the scope from the padding.
#pragma pack(push, 1)
struct Echo6Address {
  USHORT port;
  ULONG flowInfo;
  USHORT address[8];
  ULONG scope;
};
#pragma pack(pop)
struct Echo6Reply {
  Echo6Address address;
  ULONG status;
  unsigned int roundTrip;
};

// The replies are read from their bytes by the portable reader: its offsets
// must be the system's.
static_assert(sizeof(Echo6Address) == 26);
static_assert(offsetof(Echo6Address, address) == monitor::kEcho6Address);
static_assert(offsetof(Echo6Address, scope) == monitor::kEcho6Scope);
static_assert(offsetof(Echo6Reply, status) == monitor::kEcho6Status);
static_assert(offsetof(Echo6Reply, roundTrip) == monitor::kEcho6Time);
static_assert(sizeof(Echo6Reply) == monitor::kEcho6Read);
static_assert(offsetof(ICMP_ECHO_REPLY, Address) == monitor::kEcho4Address);
static_assert(offsetof(ICMP_ECHO_REPLY, Status) == monitor::kEcho4Status);
static_assert(offsetof(ICMP_ECHO_REPLY, RoundTripTime) == monitor::kEcho4Time);
static_assert(monitor::kIpSuccess == IP_SUCCESS &&
              monitor::kIpDestNetUnreachable == IP_DEST_NET_UNREACHABLE &&
              monitor::kIpDestHostUnreachable == IP_DEST_HOST_UNREACHABLE &&
              monitor::kIpDestProtUnreachable == IP_DEST_PROT_UNREACHABLE &&
              monitor::kIpDestPortUnreachable == IP_DEST_PORT_UNREACHABLE &&
              monitor::kIpReqTimedOut == IP_REQ_TIMED_OUT &&
              monitor::kIpTtlExpiredTransit == IP_TTL_EXPIRED_TRANSIT &&
              monitor::kIpTtlExpiredReassem == IP_TTL_EXPIRED_REASSEM &&
              monitor::kIpBadDestination == IP_BAD_DESTINATION &&
              monitor::kIpDestScopeMismatch == IP_DEST_SCOPE_MISMATCH);

struct Functions {
  decltype(&IcmpCreateFile) create4 = nullptr;
  decltype(&Icmp6CreateFile) create6 = nullptr;
  decltype(&IcmpCloseHandle) close = nullptr;
  decltype(&IcmpSendEcho2) send4 = nullptr;
  decltype(&Icmp6SendEcho2) send6 = nullptr;
  decltype(&IcmpParseReplies) parse4 = nullptr;
  decltype(&Icmp6ParseReplies) parse6 = nullptr;
  decltype(&GetAddrInfoW) getAddrInfo = nullptr;
  decltype(&FreeAddrInfoW) freeAddrInfo = nullptr;
  decltype(&GetNameInfoW) getNameInfo = nullptr;
  decltype(&InetPtonW) ptoN = nullptr;
  decltype(&InetNtopW) ntoP = nullptr;

  Functions() {
    constexpr const wchar_t* ip = L"iphlpapi.dll";
    create4 = systemFunction<decltype(create4)>(ip, "IcmpCreateFile");
    create6 = systemFunction<decltype(create6)>(ip, "Icmp6CreateFile");
    close = systemFunction<decltype(close)>(ip, "IcmpCloseHandle");
    send4 = systemFunction<decltype(send4)>(ip, "IcmpSendEcho2");
    send6 = systemFunction<decltype(send6)>(ip, "Icmp6SendEcho2");
    parse4 = systemFunction<decltype(parse4)>(ip, "IcmpParseReplies");
    parse6 = systemFunction<decltype(parse6)>(ip, "Icmp6ParseReplies");
    constexpr const wchar_t* ws = L"ws2_32.dll";
    getAddrInfo = systemFunction<decltype(getAddrInfo)>(ws, "GetAddrInfoW");
    freeAddrInfo = systemFunction<decltype(freeAddrInfo)>(ws, "FreeAddrInfoW");
    getNameInfo = systemFunction<decltype(getNameInfo)>(ws, "GetNameInfoW");
    ptoN = systemFunction<decltype(ptoN)>(ws, "InetPtonW");
    ntoP = systemFunction<decltype(ntoP)>(ws, "InetNtopW");
    auto startup = systemFunction<decltype(&WSAStartup)>(ws, "WSAStartup");
    WSADATA data;
    if (!startup || startup(MAKEWORD(2, 2), &data) != 0) getAddrInfo = nullptr;
  }
};

Functions& functions() {
  static Functions f;
  return f;
}

// The numeric text of an address. A reply's address is written by the
// program's own formatting, which needs no request to the system's
// resolver (one a reply adds up over hundreds of hosts).
std::string numeric(const sockaddr* a, int size) {
  Functions& f = functions();
  wchar_t text[INET6_ADDRSTRLEN + 16] = {};
  if (f.ntoP && a->sa_family == AF_INET) {
    auto* in = reinterpret_cast<const sockaddr_in*>(a);
    if (f.ntoP(AF_INET, &in->sin_addr, text, ARRAYSIZE(text))) return narrow(text);
  }
  if (!f.getNameInfo ||
      f.getNameInfo(a, size, text, ARRAYSIZE(text), nullptr, 0, NI_NUMERICHOST) != 0)
    return "";
  return narrow(text);
}

// A numeric address read as the system reads it, without its resolver:
// IPv4 first, then IPv6 (with a zone, through the resolver, which alone
// reads one). False when it is neither.
bool readAddress(const std::string& address, bool& v6, IPAddr& to4, sockaddr_in6& to6) {
  Functions& f = functions();
  const std::wstring text = widen(address);
  if (f.ptoN) {
    in_addr a4{};
    if (f.ptoN(AF_INET, text.c_str(), &a4) == 1) {
      v6 = false;
      to4 = a4.S_un.S_addr;
      return true;
    }
    if (address.find('%') == std::string::npos) {
      in6_addr a6{};
      if (f.ptoN(AF_INET6, text.c_str(), &a6) != 1) return false;
      v6 = true;
      to6 = {};
      to6.sin6_family = AF_INET6;
      to6.sin6_addr = a6;
      return true;
    }
  }
  if (!f.getAddrInfo) return false;
  ADDRINFOW hints{};
  hints.ai_flags = AI_NUMERICHOST;
  ADDRINFOW* found = nullptr;
  if (f.getAddrInfo(text.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
  v6 = found->ai_family == AF_INET6;
  if (v6)
    to6 = *reinterpret_cast<const sockaddr_in6*>(found->ai_addr);
  else
    to4 = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.S_un.S_addr;
  f.freeAddrInfo(found);
  return true;
}

}  // namespace

// The requests still out. A request's reply buffer stays ours until the
// system sets its event, even after the user stopped: a request that was
// ended waits here, unseen, until the system is done with it.
class IcmpEchoes {
 public:
  ~IcmpEchoes() {
    cancel();
    // A request the system is not yet done with keeps its buffer and its
    // event for good: the system may still write into them, and the
    // program's end is not held up waiting for it (up to its time-out).
    for (auto& r : ended_)
      if (WaitForSingleObject(r->event, 0) != WAIT_OBJECT_0) static_cast<void>(r.release());
  }

  uint64_t send(const std::string& address, int ttl, int timeoutMs) {
    Functions& f = functions();
    bool v6 = false;
    sockaddr_in6 to6{};
    IPAddr to4 = 0;
    if (!readAddress(address, v6, to4, to6)) return 0;
    HANDLE icmp = handle(v6);
    if (icmp == INVALID_HANDLE_VALUE) return 0;

    auto r = std::make_unique<Request>();
    r->v6 = v6;
    r->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!r->event) return 0;
    // 32 bytes of data, as ping sends by default.
    static char data[] = "abcdefghijklmnopqrstuvwabcdefghi";
    constexpr WORD dataSize = sizeof data - 1;
    r->buffer.resize((v6 ? sizeof(Echo6Reply) : sizeof(ICMP_ECHO_REPLY)) + dataSize + 8 +
                     64);  // room for the system's status block and options
    IP_OPTION_INFORMATION options{};
    options.Ttl = static_cast<UCHAR>(std::clamp(ttl, 1, 255));
    const DWORD size = static_cast<DWORD>(r->buffer.size());
    const DWORD timeout = static_cast<DWORD>(std::max(timeoutMs, 1));
    DWORD sent;
    if (v6) {
      sockaddr_in6 from{};
      from.sin6_family = AF_INET6;
      sent = f.send6 ? f.send6(icmp, r->event, nullptr, nullptr, &from, &to6, data, dataSize,
                               &options, r->buffer.data(), size, timeout)
                     : 0;
    } else {
      sent = f.send4 ? f.send4(icmp, r->event, nullptr, nullptr, to4, data, dataSize,
                               &options, r->buffer.data(), size, timeout)
                     : 0;
    }
    // Sent without waiting: 0 and ERROR_IO_PENDING. Some systems answer at
    // once: the event is set then too.
    if (sent == 0 && GetLastError() != ERROR_IO_PENDING) return 0;
    r->id = next_++;
    out_.push_back(std::move(r));
    return out_.back()->id;
  }

  std::vector<Platform::EchoAnswer> take() {
    std::vector<Platform::EchoAnswer> answers;
    std::erase_if(ended_, [](const auto& r) { return WaitForSingleObject(r->event, 0) == WAIT_OBJECT_0; });
    std::erase_if(out_, [&](const auto& r) {
      if (WaitForSingleObject(r->event, 0) != WAIT_OBJECT_0) return false;
      answers.push_back(answer(*r));
      return true;
    });
    return answers;
  }

  void cancel() {
    // The requests sent through a handle are ended by cancelling its I/O,
    // then the handle is closed. Where the system takes neither as an end
    // (Wine refuses the cancel and lets each request run to its time-out),
    // it still writes into the request's buffer when that comes, and only
    // then sets its event.
    Functions& f = functions();
    for (HANDLE* h : {&icmp4_, &icmp6_})
      if (*h != INVALID_HANDLE_VALUE) {
        CancelIoEx(*h, nullptr);
        f.close(*h);
        *h = INVALID_HANDLE_VALUE;
      }
    for (auto& r : out_)
      if (WaitForSingleObject(r->event, 0) != WAIT_OBJECT_0) ended_.push_back(std::move(r));
    out_.clear();
  }

 private:
  struct Request {
    uint64_t id = 0;
    bool v6 = false;
    HANDLE event = nullptr;
    std::vector<unsigned char> buffer;
    ~Request() {
      if (event) CloseHandle(event);
    }
  };

  HANDLE handle(bool v6) {
    Functions& f = functions();
    HANDLE& h = v6 ? icmp6_ : icmp4_;
    if (h == INVALID_HANDLE_VALUE) {
      auto create = v6 ? f.create6 : f.create4;
      if (create && f.close) h = create();
    }
    return h;
  }

  Platform::EchoAnswer answer(Request& r) {
    Functions& f = functions();
    Platform::EchoAnswer a;
    a.id = r.id;
    const DWORD size = static_cast<DWORD>(r.buffer.size());
    const auto parse = r.v6 ? f.parse6 : f.parse4;
    // No reply in the buffer: the outcome is the last error.
    if (!parse || parse(r.buffer.data(), size) == 0) {
      a.status = monitor::echoStatus(GetLastError());
      return a;
    }
    const monitor::EchoReply reply = monitor::readEchoReply(r.buffer, r.v6);
    a.status = reply.status;
    a.ms = reply.ms;
    if (std::all_of(reply.address.begin(), reply.address.end(), [](uint8_t b) { return b == 0; }))
      return a;
    if (r.v6) {
      sockaddr_in6 from{};
      from.sin6_family = AF_INET6;
      std::copy(reply.address.begin(), reply.address.end(), from.sin6_addr.s6_addr);
      from.sin6_scope_id = reply.scope;
      a.from = numeric(reinterpret_cast<const sockaddr*>(&from), sizeof from);
    } else {
      sockaddr_in from{};
      from.sin_family = AF_INET;
      std::copy_n(reply.address.begin(), 4, reinterpret_cast<uint8_t*>(&from.sin_addr));
      a.from = numeric(reinterpret_cast<const sockaddr*>(&from), sizeof from);
    }
    return a;
  }

  HANDLE icmp4_ = INVALID_HANDLE_VALUE;
  HANDLE icmp6_ = INVALID_HANDLE_VALUE;
  std::vector<std::unique_ptr<Request>> out_;
  std::vector<std::unique_ptr<Request>> ended_;
  uint64_t next_ = 1;
};

static std::string lookUpHost(const std::string& host) {
  Functions& f = functions();
  if (!f.getAddrInfo || host.empty()) return "";
  ADDRINFOW hints{};
  hints.ai_family = AF_UNSPEC;
  ADDRINFOW* found = nullptr;
  if (f.getAddrInfo(widen(host).c_str(), nullptr, &hints, &found) != 0 || !found) return "";
  const ADDRINFOW* pick = nullptr;
  for (const ADDRINFOW* a = found; a; a = a->ai_next)
    if (a->ai_family == AF_INET || (a->ai_family == AF_INET6 && !pick)) {
      pick = a;
      if (a->ai_family == AF_INET) break;
    }
  std::string address =
      pick ? numeric(pick->ai_addr, static_cast<int>(pick->ai_addrlen)) : std::string();
  f.freeAddrInfo(found);
  return address;
}

std::string Win32Platform::resolveHost(const std::string& host) { return lookUpHost(host); }

platform::Platform::HostLookup Win32Platform::hostLookup() {
  // The system's functions only: nothing of this object.
  return [](const std::string& host) { return lookUpHost(host); };
}

uint64_t Win32Platform::sendEcho(const std::string& address, int ttl, int timeoutMs) {
  if (!echoes_) echoes_ = std::make_shared<IcmpEchoes>();
  return echoes_->send(address, ttl, timeoutMs);
}

std::vector<platform::Platform::EchoAnswer> Win32Platform::takeEchoAnswers() {
  return echoes_ ? echoes_->take() : std::vector<EchoAnswer>();
}

void Win32Platform::cancelEchoes() {
  if (echoes_) echoes_->cancel();
}

}  // namespace velquin::win32
