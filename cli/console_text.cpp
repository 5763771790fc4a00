#include "console_text.h"

#ifdef _WIN32
#include <windows.h>
#include <io.h>

#include <string>
#endif

namespace {

bool write_bytes(std::FILE* out, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

}  // namespace

#ifdef _WIN32

namespace {

// The console behind `out`, or null for a pipe, a file or the null device
// (a character device, but no console: it has no console mode).
HANDLE console_of(std::FILE* out) {
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(out)));
  DWORD mode;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

bool write_text(std::FILE* out, std::string_view text) {
  const HANDLE console = console_of(out);
  if (console == nullptr) return write_bytes(out, text);
  // What the stream still holds comes first.
  if (std::fflush(out) != 0) return false;
  const int size = static_cast<int>(text.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');  // never more units than bytes
  wide.resize(
      static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &wide[0], size)));
  if (wide.empty() && size != 0) return write_bytes(out, text);
  // The lines are short (kVisibleLineSize): one write each, however old the console.
  for (std::size_t at = 0; at < wide.size();) {
    DWORD written = 0;
    const DWORD rest = static_cast<DWORD>(wide.size() - at);
    if (!WriteConsoleW(console, wide.data() + at, rest, &written, nullptr) || written == 0)
      return false;
    at += written;
  }
  return true;
}

#else

bool write_text(std::FILE* out, std::string_view text) { return write_bytes(out, text); }

#endif
