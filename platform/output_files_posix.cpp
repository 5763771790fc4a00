#include "platform/output_files.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

// Never through a link, never blocking (a FIFO without a reader, a device),
// never making a terminal ours.
constexpr int kOpenFlags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// Opens `path` as it is, or creates it when nothing is there; `created` says
// which, so a file made here can be removed again. -1 on failure.
int open_or_create(const char* path, bool& created) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    int fd = open(path, kOpenFlags | O_CREAT | O_EXCL, 0666);
    if (fd >= 0 || errno != EEXIST) {
      created = fd >= 0;
      return fd;
    }
    fd = open(path, kOpenFlags);
    if (fd >= 0 || errno != ENOENT) {
      created = false;
      return fd;
    }
    // Removed between the two opens: try again.
  }
  return -1;
}

bool clear_nonblocking(int fd) {
  int flags = fcntl(fd, F_GETFL);
  return flags != -1 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != -1;
}

}  // namespace

bool output_exists(const char* path) {
  struct stat st;
  // lstat: a link is something at the path, wherever it points.
  if (lstat(path, &st) == 0) return true;
  return errno != ENOENT && errno != ENOTDIR && errno != ENAMETOOLONG;
}

OutputFiles::OutputFiles(std::FILE* input) {
  if (input != nullptr) {
    FileId id;
    if (identity_of(input, id)) {
      taken_.push_back(id);
    } else {
      input_unknown_ = true;
    }
  }
  // Redirected into an output (`varnel-split rover.adi > rover_FN31.adi`),
  // the status lines would land in the middle of its records.
  for (std::FILE* stream : {stdout, stderr}) {
    FileId id;
    if (identity_of(stream, id)) taken_.push_back(id);
  }
}

std::FILE* OutputFiles::open(const char* path) {
  if (input_unknown_) return nullptr;
  bool created = false;
  int fd = open_or_create(path, created);
  if (fd < 0) return nullptr;
  // Checked on the open descriptor, not the name, so nothing can be swapped
  // in between; only then is the file emptied.
  struct stat st;
  OpenedFile opened;
  std::FILE* file = nullptr;
  if (fstat(fd, &st) == 0) {
    opened.id = file_id(st);
    opened.regular = S_ISREG(st.st_mode);
    opened.links = static_cast<uint32_t>(st.st_nlink);
    if (may_write(opened, taken_) && ftruncate(fd, 0) == 0 && clear_nonblocking(fd))
      file = fdopen(fd, "wb");
  }
  if (file == nullptr) {
    close(fd);
    if (created) unlink(path);
    return nullptr;
  }
  // Two names for one file (FN31 and fn31 in a case-blind folder) never
  // both write it.
  taken_.push_back(opened.id);
  return file;
}

std::string file_name_text(const std::string& text) { return text; }

void allow_many_open_files() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);  // on failure the old limit simply stays
}

}  // namespace platform
