// A client of the accessibility interface in a process of its own, as a
// screen reader is: it asks a window for its accessible object and writes
// what the object answers, one item a line, to a file (UTF-8):
//   velquin_acc_tool <window> <file>
// role, name, state, value (the S_OK answers), then focus and selection as
// "<result> <variant type>" in hexadecimal. <window> is the handle in decimal.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {
std::string utf8(BSTR s) {
  if (!s) return "(null)";
  const int n = WideCharToMultiByte(CP_UTF8, 0, s, static_cast<int>(SysStringLen(s)), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s, static_cast<int>(SysStringLen(s)), out.data(), n, nullptr,
                      nullptr);
  return out;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(argv[1], nullptr, 10)));
  if (FAILED(CoInitialize(nullptr))) return 3;
  IAccessible* acc = nullptr;
  const HRESULT got = AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&acc));
  FILE* f = _wfopen(argv[2], L"wb");
  if (!f) return 1;
  if (FAILED(got) || !acc) {
    std::fprintf(f, "object %08lx\n", static_cast<unsigned long>(got));
    fclose(f);
    return 4;
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  VARIANT v{};
  BSTR s = nullptr;
  std::string out;
  if (acc->get_accRole(self, &v) == S_OK) out += "role " + std::to_string(v.lVal) + "\n";
  if (acc->get_accName(self, &s) == S_OK) out += "name " + utf8(s) + "\n";
  SysFreeString(s);
  s = nullptr;
  if (acc->get_accState(self, &v) == S_OK) out += "state " + std::to_string(v.lVal) + "\n";
  if (acc->get_accValue(self, &s) == S_OK) out += "value " + utf8(s) + "\n";
  SysFreeString(s);
  char line[64];
  VariantInit(&v);
  HRESULT hr = acc->get_accFocus(&v);
  std::snprintf(line, sizeof line, "focus %08lx %u\n", static_cast<unsigned long>(hr), v.vt);
  out += line;
  VariantClear(&v);
  hr = acc->get_accSelection(&v);
  std::snprintf(line, sizeof line, "selection %08lx %u\n", static_cast<unsigned long>(hr), v.vt);
  out += line;
  VariantClear(&v);
  acc->Release();
  fwrite(out.data(), 1, out.size(), f);
  fclose(f);
  CoUninitialize();
  return 0;
}
