// Echo requests through the system's ICMP functions, which need no
// administrator rights: each request is sent with an event of its own and
// collected once the event is set, so none of them blocks the window.
// Their libraries load at the first use: most runs never send one.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "win32/platform_win32.h"
#include "win32/system_library.h"
#include "win32/text.h"

namespace velquin::win32 {

namespace {

using platform::Platform;

// The IPv6 reply as the system writes it.
struct Echo6Reply {
  IPV6_ADDRESS_EX address;
  ULONG status;
  unsigned int roundTrip;
};

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

Platform::EchoStatus statusOf(ULONG status) {
  switch (status) {
    case IP_SUCCESS: return Platform::EchoStatus::Reply;
    case IP_TTL_EXPIRED_TRANSIT:
    case IP_TTL_EXPIRED_REASSEM: return Platform::EchoStatus::TtlExpired;
    case IP_DEST_NET_UNREACHABLE:
    case IP_DEST_HOST_UNREACHABLE:
    case IP_DEST_PROT_UNREACHABLE:
    case IP_DEST_PORT_UNREACHABLE:
    // (IPv6's own names of these are the same numbers.)
    case IP_DEST_SCOPE_MISMATCH:
    case IP_BAD_DESTINATION: return Platform::EchoStatus::Unreachable;
    case IP_REQ_TIMED_OUT: return Platform::EchoStatus::TimedOut;
    default: return Platform::EchoStatus::Failed;
  }
}

}  // namespace

// The requests still out. A request's reply buffer stays ours until the
// system sets its event, even after the user stopped: a request that was
// ended waits here, unseen, until the system is done with it.
class IcmpEchoes {
 public:
  ~IcmpEchoes() {
    cancel();
    // The system may still write into the buffers of ended requests: wait
    // for them (no longer than their time-outs), else leave them be.
    std::vector<HANDLE> events;
    for (const auto& r : ended_) events.push_back(r->event);
    for (size_t i = 0; i < events.size(); i += MAXIMUM_WAIT_OBJECTS) {
      const DWORD n = static_cast<DWORD>(std::min<size_t>(MAXIMUM_WAIT_OBJECTS, events.size() - i));
      if (WaitForMultipleObjects(n, events.data() + i, TRUE, 5000) == WAIT_TIMEOUT) {
        for (auto& r : ended_) r.release();
        return;
      }
    }
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
    // Closing the handles ends the requests sent through them.
    Functions& f = functions();
    for (HANDLE* h : {&icmp4_, &icmp6_})
      if (*h != INVALID_HANDLE_VALUE) {
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
    if (r.v6) {
      if (!f.parse6 || f.parse6(r.buffer.data(), size) == 0) {
        a.status = statusOf(GetLastError());
        return a;
      }
      const auto* reply = reinterpret_cast<const Echo6Reply*>(r.buffer.data());
      a.status = statusOf(reply->status);
      a.ms = static_cast<int32_t>(reply->roundTrip);
      sockaddr_in6 from{};
      from.sin6_family = AF_INET6;
      memcpy(&from.sin6_addr, reply->address.sin6_addr, sizeof from.sin6_addr);
      from.sin6_scope_id = reply->address.sin6_scope_id;
      a.from = numeric(reinterpret_cast<const sockaddr*>(&from), sizeof from);
    } else {
      if (!f.parse4 || f.parse4(r.buffer.data(), size) == 0) {
        a.status = statusOf(GetLastError());
        return a;
      }
      const auto* reply = reinterpret_cast<const ICMP_ECHO_REPLY*>(r.buffer.data());
      a.status = statusOf(reply->Status);
      a.ms = static_cast<int32_t>(reply->RoundTripTime);
      sockaddr_in from{};
      from.sin_family = AF_INET;
      from.sin_addr.S_un.S_addr = reply->Address;
      a.from = numeric(reinterpret_cast<const sockaddr*>(&from), sizeof from);
    }
    if (a.status != Platform::EchoStatus::Reply && a.status != Platform::EchoStatus::TtlExpired)
      a.ms = 0;
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
