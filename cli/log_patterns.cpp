#include "log_patterns.h"

#ifdef _WIN32

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwctype>
#include <memory>
#include <type_traits>

#include "open_error.h"
#include "platform/code_page.h"

namespace {

struct SearchCloser {
  void operator()(HANDLE search) const { FindClose(search); }
};
using Search = std::unique_ptr<std::remove_pointer_t<HANDLE>, SearchCloser>;

bool is_separator(char c) { return c == '\\' || c == '/'; }

// A path starting \\?\ or \\.\ goes to the file system as it stands, and the
// '?' there is no wildcard.
bool is_pattern(const char* name) {
  if (is_separator(name[0]) && is_separator(name[1]) && (name[2] == '?' || name[2] == '.') &&
      is_separator(name[3]))
    name += 4;
  return std::strpbrk(name, "*?") != nullptr;
}

// The length of the folder part of `pattern`: up to its last separator, or
// past a drive ("Z:*.adi", relative to Z:'s current folder).
std::size_t folder_length(const char* pattern) {
  std::size_t length = 0;
  for (std::size_t i = 0; pattern[i] != '\0'; ++i)
    if (is_separator(pattern[i]) || pattern[i] == ':') length = i + 1;
  return length;
}

// Whether `name` matches `pattern` ('*' any run of characters, '?' any one),
// letter case aside, as the file system matches a long name. Not shlwapi's
// PathMatchSpec, which would also read a ';' in the pattern as a list.
bool name_matches(const wchar_t* name, const wchar_t* pattern) {
  const wchar_t* star = nullptr;  // the last '*' met, and where its run ended
  const wchar_t* resume = nullptr;
  while (*name != L'\0') {
    if (*pattern == L'*') {
      star = ++pattern;
      resume = name;
    } else if (*pattern == L'?' || std::towupper(*pattern) == std::towupper(*name)) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star;  // the '*' takes one character more
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == L'*') ++pattern;
  return *pattern == L'\0';
}

int search_error(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_INVALID_NAME:
      return EINVAL;
    default:
      return ENOENT;
  }
}

// The names of the files `pattern` matches, in the order the file system
// keeps them in on NTFS (case-blind ordinal), whatever it is; the reason when
// there are none.
std::vector<std::wstring> matching_files(const std::wstring& pattern, int& error) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const Search search(FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &found,
                                       FindExSearchNameMatch, nullptr, 0));
  if (search.get() == INVALID_HANDLE_VALUE) {
    error = search_error(GetLastError());
    return names;
  }
  const wchar_t* name_pattern = pattern.c_str() + pattern.find_last_of(L"\\/:") + 1;
  bool folders = false;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      folders = true;
      continue;
    }
    // The search matches short names too: "*.adi" finds rover.adif through
    // ROVER~1.ADI. Only a name that matches itself counts.
    if (found.cAlternateFileName[0] != L'\0' && !name_matches(found.cFileName, name_pattern))
      continue;
    names.emplace_back(found.cFileName);
  } while (FindNextFileW(search.get(), &found));
  std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
  });
  if (names.empty()) error = folders ? EISDIR : ENOENT;
  return names;
}

std::wstring wide(const char* text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring result(size > 0 ? size : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &result[0], size);
  result.resize(result.size() - 1);
  return result;
}

}  // namespace

bool LogPatterns::expand(std::vector<const char*>& files) {
  bool all_found = true;
  std::vector<const char*> expanded;
  for (const char* file : files) {
    if (!is_pattern(file)) {
      expanded.push_back(file);
      continue;
    }
    int error = 0;
    const std::vector<std::wstring> names = matching_files(wide(file), error);
    if (names.empty()) {
      print_open_error(file, error);
      all_found = false;
    }
    const std::string folder(file, folder_length(file));
    for (const std::wstring& name : names) {
      std::string narrow;
      const bool exact = platform::to_code_page(CP_ACP, name, narrow);
      matches_.push_back(folder + narrow);
      if (!exact) {
        print_open_error(matches_.back().c_str(), EILSEQ);
        all_found = false;
        continue;
      }
      expanded.push_back(matches_.back().c_str());
    }
  }
  files = expanded;
  return all_found;
}

#else

bool LogPatterns::expand(std::vector<const char*>& files) {
  (void)files;
  return true;
}

#endif
