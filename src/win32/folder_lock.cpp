// The lock that the instances of the program hold while they replace a
// file of their own in a folder: a mutex of the session named after the
// folder's path as the file system compares it (full, long names, upper
// case), so that "c:\tools\" and "C:\TOOLS" are one lock. Its access is
// given to the user by name, so that an instance running as administrator
// and one that does not open the same mutex.

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <vector>

#include "win32/platform_win32.h"
#include "win32/text.h"

namespace velquin::win32 {

namespace {

std::wstring comparablePath(const std::string& folder) {
  std::wstring path = widen(folder);
  if (DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr)) {
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (n > 0 && n < full.size()) path.assign(full.data(), n);
  }
  if (DWORD n = GetLongPathNameW(path.c_str(), nullptr, 0)) {
    std::wstring longer(n, L'\0');
    n = GetLongPathNameW(path.c_str(), longer.data(), n);
    if (n > 0 && n < longer.size()) path.assign(longer.data(), n);
  }
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  if (!path.empty()) CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  return path;
}

std::wstring lockName(const std::string& folder) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a of the UTF-16 units
  for (wchar_t c : comparablePath(folder)) {
    h ^= static_cast<uint16_t>(c);
    h *= 1099511628211ull;
  }
  wchar_t name[48];
  std::swprintf(name, 48, L"Local\\Velquin-folder-%016llx",
                static_cast<unsigned long long>(h));
  return name;
}

constexpr DWORD kUse = SYNCHRONIZE | MUTEX_MODIFY_STATE;

// The mutex of that name, made with access for this user alone, or opened
// as made by another instance of the user's.
HANDLE userMutex(const std::wstring& name) {
  std::vector<BYTE> user;
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size))
      user.clear();
    CloseHandle(token);
  }
  SECURITY_DESCRIPTOR sd;
  SECURITY_ATTRIBUTES sa{sizeof sa, &sd, FALSE};
  std::vector<BYTE> acl;
  bool secured = false;
  if (!user.empty()) {
    PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    acl.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid));
    auto* list = reinterpret_cast<ACL*>(acl.data());
    secured = InitializeAcl(list, static_cast<DWORD>(acl.size()), ACL_REVISION) &&
              AddAccessAllowedAce(list, ACL_REVISION, kUse | READ_CONTROL, sid) &&
              InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
              SetSecurityDescriptorDacl(&sd, TRUE, list, FALSE);
  }
  return CreateMutexExW(secured ? &sa : nullptr, name.c_str(), 0, kUse);
}

class MutexLock : public platform::Platform::FolderLock {
 public:
  explicit MutexLock(HANDLE mutex) : mutex_(mutex) {}
  ~MutexLock() override {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 private:
  HANDLE mutex_;
};

}  // namespace

std::unique_ptr<platform::Platform::FolderLock> Win32Platform::lockFolder(
    const std::string& folder, int waitMs) {
  HANDLE mutex = userMutex(lockName(folder));
  if (!mutex) return nullptr;
  // An instance that ended while it held the lock left it abandoned: the
  // file is whole all the same, since it is only ever replaced in one step.
  const DWORD r = WaitForSingleObject(mutex, static_cast<DWORD>(std::max(waitMs, 0)));
  if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) return std::make_unique<MutexLock>(mutex);
  CloseHandle(mutex);
  return nullptr;
}

}  // namespace velquin::win32
