// The machine's connections for the platform: the system's tables of TCP
// and UDP endpoints with their owning processes, the processes' files, the
// close of a TCP connection and the names of remote addresses.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <shlobj.h>
#include <tcpmib.h>
#include <udpmib.h>

#include <cstring>
#include <vector>

#include "win32/ole_on_demand.h"
#include "win32/platform_win32.h"
#include "win32/system_library.h"
#include "win32/text.h"

namespace velquin::win32 {

namespace {

using Endpoint = platform::Platform::Endpoint;
using Transport = platform::Platform::Transport;

struct TableFunctions {
  decltype(&GetExtendedTcpTable) tcp = nullptr;
  decltype(&GetExtendedUdpTable) udp = nullptr;
  decltype(&SetTcpEntry) setTcp = nullptr;
  decltype(&GetNameInfoW) getNameInfo = nullptr;
  decltype(&InetPtonW) ptoN = nullptr;
  decltype(&ILCreateFromPathW) pathItem = nullptr;
  decltype(&ILFree) freeItem = nullptr;
  decltype(&SHOpenFolderAndSelectItems) showItem = nullptr;

  TableFunctions() {
    constexpr const wchar_t* ip = L"iphlpapi.dll";
    tcp = systemFunction<decltype(tcp)>(ip, "GetExtendedTcpTable");
    udp = systemFunction<decltype(udp)>(ip, "GetExtendedUdpTable");
    setTcp = systemFunction<decltype(setTcp)>(ip, "SetTcpEntry");
    constexpr const wchar_t* ws = L"ws2_32.dll";
    getNameInfo = systemFunction<decltype(getNameInfo)>(ws, "GetNameInfoW");
    ptoN = systemFunction<decltype(ptoN)>(ws, "InetPtonW");
    constexpr const wchar_t* shell = L"shell32.dll";
    pathItem = systemFunction<decltype(pathItem)>(shell, "ILCreateFromPathW");
    freeItem = systemFunction<decltype(freeItem)>(shell, "ILFree");
    showItem = systemFunction<decltype(showItem)>(shell, "SHOpenFolderAndSelectItems");
    auto startup = systemFunction<decltype(&WSAStartup)>(ws, "WSAStartup");
    WSADATA data;
    if (!startup || startup(MAKEWORD(2, 2), &data) != 0) getNameInfo = nullptr;
  }
};

TableFunctions& tables() {
  static TableFunctions f;
  return f;
}

uint16_t port(DWORD networkOrder) {
  return static_cast<uint16_t>((networkOrder & 0xFF) << 8 | (networkOrder >> 8 & 0xFF));
}

void copy4(DWORD address, std::array<uint8_t, 16>& to) { std::memcpy(to.data(), &address, 4); }

// One of the system's tables, asked again while it grows between the
// question of its size and the reading.
template <typename Read>
bool readTable(std::vector<unsigned char>& buffer, Read read, std::string& error) {
  DWORD size = static_cast<DWORD>(buffer.size());
  for (int tries = 0; tries < 8; ++tries) {
    const DWORD r = read(buffer.empty() ? nullptr : buffer.data(), &size);
    if (r == NO_ERROR) return true;
    if (r != ERROR_INSUFFICIENT_BUFFER) {
      error = systemMessage(r);
      return false;
    }
    buffer.resize(size + size / 8 + 256);
    size = static_cast<DWORD>(buffer.size());
  }
  error = systemMessage(ERROR_INSUFFICIENT_BUFFER);
  return false;
}

}  // namespace

bool Win32Platform::readEndpoints(std::vector<Endpoint>& out, std::string& error) {
  TableFunctions& f = tables();
  if (!f.tcp || !f.udp) {
    error = systemMessage(ERROR_PROC_NOT_FOUND);
    return false;
  }
  static thread_local std::vector<unsigned char> buffer;
  auto tcp = [&](ULONG family) {
    return readTable(buffer, [&](void* b, DWORD* size) {
      return f.tcp(b, size, FALSE, family, TCP_TABLE_OWNER_PID_ALL, 0);
    }, error);
  };
  auto udp = [&](ULONG family) {
    return readTable(buffer, [&](void* b, DWORD* size) {
      return f.udp(b, size, FALSE, family, UDP_TABLE_OWNER_PID, 0);
    }, error);
  };
  if (!tcp(AF_INET)) return false;
  {
    const auto* t = reinterpret_cast<const MIB_TCPTABLE_OWNER_PID*>(buffer.data());
    for (DWORD i = 0; i < t->dwNumEntries; ++i) {
      const MIB_TCPROW_OWNER_PID& r = t->table[i];
      Endpoint e;
      e.transport = Transport::Tcp;
      e.state = static_cast<uint8_t>(r.dwState);
      copy4(r.dwLocalAddr, e.local);
      copy4(r.dwRemoteAddr, e.remote);
      e.localPort = port(r.dwLocalPort);
      e.remotePort = port(r.dwRemotePort);
      e.pid = r.dwOwningPid;
      out.push_back(e);
    }
  }
  if (tcp(AF_INET6)) {
    const auto* t = reinterpret_cast<const MIB_TCP6TABLE_OWNER_PID*>(buffer.data());
    for (DWORD i = 0; i < t->dwNumEntries; ++i) {
      const MIB_TCP6ROW_OWNER_PID& r = t->table[i];
      Endpoint e;
      e.transport = Transport::Tcp6;
      e.state = static_cast<uint8_t>(r.dwState);
      std::memcpy(e.local.data(), r.ucLocalAddr, 16);
      std::memcpy(e.remote.data(), r.ucRemoteAddr, 16);
      e.localPort = port(r.dwLocalPort);
      e.remotePort = port(r.dwRemotePort);
      e.pid = r.dwOwningPid;
      out.push_back(e);
    }
  }
  if (!udp(AF_INET)) return false;
  {
    const auto* t = reinterpret_cast<const MIB_UDPTABLE_OWNER_PID*>(buffer.data());
    for (DWORD i = 0; i < t->dwNumEntries; ++i) {
      const MIB_UDPROW_OWNER_PID& r = t->table[i];
      Endpoint e;
      e.transport = Transport::Udp;
      copy4(r.dwLocalAddr, e.local);
      e.localPort = port(r.dwLocalPort);
      e.pid = r.dwOwningPid;
      out.push_back(e);
    }
  }
  // A machine without IPv6 has no such tables: that is no failure.
  if (udp(AF_INET6)) {
    const auto* t = reinterpret_cast<const MIB_UDP6TABLE_OWNER_PID*>(buffer.data());
    for (DWORD i = 0; i < t->dwNumEntries; ++i) {
      const MIB_UDP6ROW_OWNER_PID& r = t->table[i];
      Endpoint e;
      e.transport = Transport::Udp6;
      std::memcpy(e.local.data(), r.ucLocalAddr, 16);
      e.localPort = port(r.dwLocalPort);
      e.pid = r.dwOwningPid;
      out.push_back(e);
    }
  }
  error.clear();
  return true;
}

uint64_t Win32Platform::processStarted(uint32_t pid) {
  HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!p) return 0;
  FILETIME created{}, exited{}, kernel{}, user{};
  uint64_t at = 0;
  if (GetProcessTimes(p, &created, &exited, &kernel, &user))
    at = static_cast<uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
  CloseHandle(p);
  return at;
}

std::string Win32Platform::processImage(uint32_t pid) {
  HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!p) return "";
  std::wstring path(MAX_PATH, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  BOOL ok = QueryFullProcessImageNameW(p, 0, path.data(), &size);
  if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    path.assign(32768, L'\0');
    size = static_cast<DWORD>(path.size());
    ok = QueryFullProcessImageNameW(p, 0, path.data(), &size);
  }
  CloseHandle(p);
  if (!ok) return "";
  path.resize(size);
  return narrow(path);
}

platform::Platform::CloseOutcome Win32Platform::closeConnection(const Endpoint& e,
                                                                std::string& error) {
  TableFunctions& f = tables();
  if (!f.setTcp) {
    error = systemMessage(ERROR_PROC_NOT_FOUND);
    return CloseOutcome::Failed;
  }
  MIB_TCPROW row{};
  row.dwState = MIB_TCP_STATE_DELETE_TCB;
  std::memcpy(&row.dwLocalAddr, e.local.data(), 4);
  std::memcpy(&row.dwRemoteAddr, e.remote.data(), 4);
  row.dwLocalPort = static_cast<DWORD>((e.localPort & 0xFF) << 8 | e.localPort >> 8);
  row.dwRemotePort = static_cast<DWORD>((e.remotePort & 0xFF) << 8 | e.remotePort >> 8);
  const DWORD r = f.setTcp(&row);
  if (r == NO_ERROR) return CloseOutcome::Closed;
  error = systemMessage(r);
  // The system answers 317 (no message of that number) for a caller that
  // is not an administrator, as well as "access denied".
  return r == ERROR_ACCESS_DENIED || r == 317 ? CloseOutcome::Refused : CloseOutcome::Failed;
}

platform::Platform::HostLookup Win32Platform::addressLookup() {
  return [](const std::string& address) -> std::string {
    TableFunctions& f = tables();
    if (!f.getNameInfo || !f.ptoN) return "";
    sockaddr_storage a{};
    int size = 0;
    const std::wstring text = widen(address);
    auto* in4 = reinterpret_cast<sockaddr_in*>(&a);
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&a);
    if (f.ptoN(AF_INET, text.c_str(), &in4->sin_addr) == 1) {
      in4->sin_family = AF_INET;
      size = sizeof *in4;
    } else if (f.ptoN(AF_INET6, text.c_str(), &in6->sin6_addr) == 1) {
      in6->sin6_family = AF_INET6;
      size = sizeof *in6;
    } else {
      return "";
    }
    wchar_t name[NI_MAXHOST] = {};
    if (f.getNameInfo(reinterpret_cast<sockaddr*>(&a), size, name, NI_MAXHOST, nullptr, 0,
                      NI_NAMEREQD) != 0)
      return "";
    return narrow(name);
  };
}

void Win32Platform::showInFolder(const std::string& path) {
  TableFunctions& f = tables();
  if (!f.pathItem || !f.freeItem || !f.showItem) return;
  needOle();  // the folder's window is the shell's, reached through COM
  PIDLIST_ABSOLUTE item = f.pathItem(widen(path).c_str());
  if (!item) return;
  f.showItem(item, 0, nullptr, 0);
  f.freeItem(item);
}

}  // namespace velquin::win32
