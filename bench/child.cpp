// The benchmark's child process:
//   velquin_bench_child lines <bytes>   writes that many bytes of numbered
//                                       text lines to its standard output,
//                                       as fast as the pipe takes them;
//   velquin_bench_child silent <ms>     prints nothing and ends after ms;
//   velquin_bench_child file <path>     writes the file to its standard
//                                       output in blocks of 64 KB;
//   velquin_bench_child echo <word>     prints the word and a line break;
//   velquin_bench_child late <ms>       prints nothing for ms, then the
//                                       performance counter's reading as it
//                                       writes ("at <count>"), then waits a
//                                       second more before it ends.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// One line of 80 bytes, CR LF included, numbered so that a line lost or
// doubled would change the text.
void appendLine(std::string& out, unsigned long n) {
  char line[96];
  std::snprintf(line, sizeof line,
                "%08lu the quick brown fox jumps over the lazy dog 0123456789 "
                "abcdefghijklm\r\n",
                n);
  out += line;
}

bool writeAll(HANDLE out, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    if (!WriteFile(out, bytes.data() + done,
                   static_cast<DWORD>(bytes.size() - done), &n, nullptr))
      return false;
    done += n;
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const unsigned long long amount = std::wcstoull(argv[2], nullptr, 10);
  if (std::wcscmp(argv[1], L"silent") == 0) {
    Sleep(static_cast<DWORD>(amount));
    return 0;
  }
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (std::wcscmp(argv[1], L"late") == 0) {
    Sleep(static_cast<DWORD>(amount));
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const bool written = writeAll(out, "at " + std::to_string(now.QuadPart) + "\r\n");
    Sleep(1000);
    return written ? 0 : 1;
  }
  if (std::wcscmp(argv[1], L"echo") == 0) {
    char word[256];
    const int n = WideCharToMultiByte(CP_ACP, 0, argv[2], -1, word, sizeof word - 2,
                                      nullptr, nullptr);
    if (n <= 0) return 1;
    return writeAll(out, std::string(word) + "\r\n") ? 0 : 1;
  }
  if (std::wcscmp(argv[1], L"file") == 0) {
    HANDLE in = CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE) return 1;
    std::string block(64 * 1024, '\0');
    DWORD got = 0;
    while (ReadFile(in, block.data(), static_cast<DWORD>(block.size()), &got, nullptr) &&
           got > 0)
      if (!writeAll(out, block.substr(0, got))) return 1;
    CloseHandle(in);
    return 0;
  }
  if (std::wcscmp(argv[1], L"lines") != 0) return 2;

  std::string block;
  unsigned long long written = 0;
  unsigned long n = 0;
  while (written < amount) {
    block.clear();
    while (block.size() < 64 * 1024) appendLine(block, ++n);
    if (block.size() > amount - written)
      block.resize(static_cast<size_t>(amount - written));
    if (!writeAll(out, block)) return 1;
    written += block.size();
  }
  return 0;
}
