#include "split/version.h"

#include <string>

const char* version_text() {
  // The version is the second blank-separated token of the revision keyword.
  static const std::string version = [] {
    std::string keyword = "$Revision: 1.1 $";
    std::size_t start = keyword.find(' ');
    start = keyword.find_first_not_of(' ', start);
    std::size_t end = keyword.find(' ', start);
    return keyword.substr(start, end - start);
  }();
  return version.c_str();
}
