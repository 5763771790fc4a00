#include "platform/code_page.h"

#include <windows.h>

#include "platform/output_files.h"

namespace platform {

namespace {

std::string convert(UINT code_page, DWORD flags, const std::wstring& wide) {
  const int length = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(code_page, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(code_page, flags, wide.data(), length, &narrow[0], size, nullptr, nullptr);
  return narrow;
}

std::wstring convert_back(UINT code_page, const std::string& narrow) {
  const int length = static_cast<int>(narrow.size());
  const int size = MultiByteToWideChar(code_page, 0, narrow.data(), length, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(code_page, 0, narrow.data(), length, &wide[0], size);
  return wide;
}

}  // namespace

bool to_code_page(unsigned code_page, const std::wstring& wide, std::string& narrow) {
  narrow.clear();
  if (wide.empty()) return true;
  const bool utf8 = code_page == CP_UTF8 || (code_page == CP_ACP && GetACP() == CP_UTF8);
  // Without WC_NO_BEST_FIT_CHARS an 8-bit code page takes the look-alike;
  // with it, the default character '?'. UTF-8 takes no such flag: it has
  // every character and only a lone surrogate becomes U+FFFD.
  narrow = convert(code_page, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide);
  // The round trip is the test that counts: text that comes back unchanged
  // names the same file in both forms.
  return !narrow.empty() && convert_back(code_page, narrow) == wide;
}

std::string file_name_text(const std::string& text) {
  if (GetACP() == CP_UTF8) return text;
  // One character at a time, so that one the code page lacks becomes one
  // '_', a pair of surrogates included.
  const std::wstring wide = convert_back(CP_UTF8, text);
  std::string named;
  for (std::size_t i = 0; i < wide.size();) {
    const bool pair =
        IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]);
    const std::size_t size = pair ? 2 : 1;
    std::string narrow;
    if (to_code_page(CP_ACP, wide.substr(i, size), narrow)) {
      named += narrow;
    } else {
      named.push_back('_');
    }
    i += size;
  }
  return named;
}

std::string program_text_as_utf8(const std::string& text) {
  if (GetACP() == CP_UTF8 || text.empty()) return text;
  return convert(CP_UTF8, 0, convert_back(CP_ACP, text));
}

}  // namespace platform
