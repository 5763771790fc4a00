#pragma once
// Windows only: paths as Windows hands them over (UTF-16) in the 8-bit code
// page the programs work in, exactly or not at all.
#include <string>

namespace platform {

// Writes `wide` converted to `code_page` (CP_ACP for the process's own, which
// VARNEL's manifests make UTF-8) into `narrow`. True when the text comes back
// unchanged from there: every character has its exact counterpart. False
// when one has none, for the 8-bit conversion would put a look-alike in its
// place ("L" for "Ł"), which can name another file; `narrow` then shows a
// stand-in for each such character ('?', or U+FFFD in UTF-8) and is fit for
// messages only.
bool to_code_page(unsigned code_page, const std::wstring& wide, std::string& narrow);

// `text`, made of paths and words in the process's code page, as UTF-8, for
// a reader of UTF-8 (varnel-split's output): unchanged where that code page
// is UTF-8, as the manifests make it from Windows 10 1903 on.
std::string program_text_as_utf8(const std::string& text);

}  // namespace platform
