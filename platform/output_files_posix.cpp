#include "platform/output_files.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>
#include <string>

namespace platform {

namespace {

// Descriptors kept free of outputs: the input, the standard streams, and
// whatever the runtime and the host open while the split runs.
constexpr rlim_t kSpareDescriptors = 32;

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

// What fstat says of `st`'s file, as the rule wants it.
OpenedFile opened_file(const struct stat& st) {
  OpenedFile opened;
  opened.id = file_id(st);
  opened.regular = S_ISREG(st.st_mode);
  opened.links = static_cast<uint32_t>(st.st_nlink);
  return opened;
}

class DescriptorFile final : public OutputFile {
 public:
  DescriptorFile(const char* path, int fd, const FileId& id)
      : OutputFile(id), path_(path), fd_(fd) {}
  ~DescriptorFile() override { close(); }
  DescriptorFile(const DescriptorFile&) = delete;
  DescriptorFile& operator=(const DescriptorFile&) = delete;

  bool write(const char* bytes, std::size_t count) override {
    if (fd_ < 0) return false;
    while (count > 0) {
      const ssize_t done = ::write(fd_, bytes, count);
      if (done < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      bytes += done;
      count -= static_cast<std::size_t>(done);
      written_ += static_cast<off_t>(done);
    }
    return true;
  }

  bool close() override {
    if (fd_ < 0) return true;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
  }

  bool reopen() override {
    if (fd_ >= 0) return true;
    // As the first open, never through a link; O_APPEND, so that nothing
    // written can land anywhere but after what the file holds.
    const int fd = ::open(path_.c_str(), kOpenFlags | O_APPEND);
    if (fd < 0) return false;
    struct stat st;
    const bool same = fstat(fd, &st) == 0 && may_write(opened_file(st), {}) &&
                      same_file(file_id(st), id()) && st.st_size == written_ &&
                      clear_nonblocking(fd);
    if (!same) {
      ::close(fd);
      return false;
    }
    fd_ = fd;
    return true;
  }

 private:
  std::string path_;
  int fd_;
  off_t written_ = 0;  // bytes in the file, all of them written here
};

}  // namespace

bool output_exists(const char* path) {
  struct stat st;
  // lstat: a link is something at the path, wherever it points.
  if (lstat(path, &st) == 0) return true;
  return errno != ENOENT && errno != ENOTDIR && errno != ENAMETOOLONG;
}

OutputFiles::OutputFiles(std::FILE* input) : most_open_(1) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur > 2 * kSpareDescriptors)
    most_open_ = limit.rlim_cur == RLIM_INFINITY
                     ? SIZE_MAX
                     : static_cast<std::size_t>(limit.rlim_cur - kSpareDescriptors);
  if (input != nullptr) {
    FileId id;
    if (identity_of(input, id)) {
      taken_.add(id);
    } else {
      input_unknown_ = true;
    }
  }
  // Redirected into an output (`varnel-split rover.adi > rover_FN31.adi`),
  // the status lines would land in the middle of its records.
  for (std::FILE* stream : {stdout, stderr}) {
    FileId id;
    if (identity_of(stream, id)) taken_.add(id);
  }
}

std::unique_ptr<OutputFile> OutputFiles::open(const char* path) {
  if (input_unknown_) return nullptr;
  bool created = false;
  int fd = open_or_create(path, created);
  if (fd < 0) return nullptr;
  // Checked on the open descriptor, not the name, so nothing can be swapped
  // in between; only then is the file emptied.
  struct stat st;
  std::unique_ptr<OutputFile> file;
  if (fstat(fd, &st) == 0) {
    const OpenedFile opened = opened_file(st);
    try {
      if (may_write(opened, taken_) && ftruncate(fd, 0) == 0 && clear_nonblocking(fd))
        file = std::make_unique<DescriptorFile>(path, fd, opened.id);
    } catch (const std::bad_alloc&) {
      // The split ends on this error; the file goes as a refused one would.
      close(fd);
      if (created) unlink(path);
      throw;
    }
  }
  if (file == nullptr) {
    close(fd);
    if (created) unlink(path);
    return nullptr;
  }
  // Two names for one file (FN31 and fn31 in a case-blind folder) never
  // both write it.
  taken_.add(file->id());
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
