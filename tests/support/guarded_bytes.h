#pragma once
// Bytes placed so that their last one is the last readable byte before an
// unreadable page: a scan that reads further than its contract allows
// faults at once instead of reading stray memory. The guard page is made
// with mmap and mprotect on POSIX, VirtualAlloc and VirtualProtect on Windows.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

class GuardedBytes {
 public:
  GuardedBytes() : page_(page_size()) {
#ifdef _WIN32
    void* base = VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (base == nullptr) std::abort();
    base_ = static_cast<char*>(base);
    DWORD old_protection = 0;
    if (!VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old_protection)) std::abort();
#else
    void* base =
        mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) std::abort();
    base_ = static_cast<char*>(base);
    if (mprotect(base_ + page_, page_, PROT_NONE) != 0) std::abort();
#endif
  }
  ~GuardedBytes() {
#ifdef _WIN32
    VirtualFree(base_, 0, MEM_RELEASE);
#else
    munmap(base_, 2 * page_);
#endif
  }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  // Copies `bytes` to end just before the unreadable page; returns where
  // they start. They must fit in one page.
  char* place(const std::string& bytes) {
    char* at = base_ + page_ - bytes.size();
    std::memcpy(at, bytes.data(), bytes.size());
    return at;
  }

 private:
  static std::size_t page_size() {
#ifdef _WIN32
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
#else
    return static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
#endif
  }

  std::size_t page_;
  char* base_;
};
