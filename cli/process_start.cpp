#include "process_start.h"

#include "platform/output_files.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif

bool prepare_process() {
  platform::allow_many_open_files();
#ifdef _WIN32
  // The C runtime keeps descriptors 0 to 2 for the standard streams whether
  // or not they have a handle, and Windows has no file-size or pipe signal.
  return true;
#else
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open gives the lowest free descriptor: the one just found closed.
    if (open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd) return false;
  }
  signal(SIGXFSZ, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
  return true;
#endif
}
