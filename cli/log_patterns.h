#pragma once
// FILE names holding wildcards. A POSIX shell expands `*.adi` before the
// program starts; cmd and PowerShell hand it over as typed and leave the
// expansion to the program, which Windows programs do in their C runtime
// before main (MinGW's _dowildcard). varnel-split does it after its options
// are read instead, so that only FILEs are expanded and an option's value
// (-o DIR) is taken as typed.
#include <deque>
#include <string>
#include <vector>

class LogPatterns {
 public:
  // On Windows, replaces each entry of `files` holding * or ? (past a \\?\ or
  // \\.\ prefix; no Windows name holds either) by the files it matches, in
  // name order, each with the folder part as typed; folders are left out. A
  // pattern that matches no file is left out after its open error has been
  // printed ("Error opening *.adi: ..."), as is a match whose name the code
  // page cannot hold exactly. Returns false when such an error was printed.
  // Elsewhere the shell has done this already, and nothing changes.
  bool expand(std::vector<const char*>& files);

 private:
  std::deque<std::string> matches_;  // what `files` points to for the matches
};
