#pragma once
// varnel-split's text reaches a Windows console as letters, not bytes. The
// program writes UTF-8, but a console shows bytes in its own output code
// page (437, 850, 866 ...), where "Łódź" would read "ÅÃ³dÅº". So a line
// bound for a console goes through WriteConsoleW as UTF-16, which every
// console shows as it is, whatever its code page; the code page itself is
// never touched, so nothing is left to put back when the run ends early (a
// second Ctrl-C, a closed window). Pipes and files, and every stream on
// POSIX, get the UTF-8 bytes as they are.
#include <cstdio>
#include <string_view>

// Writes `text` (UTF-8) to `out` as above; false when the write failed.
bool write_text(std::FILE* out, std::string_view text);
