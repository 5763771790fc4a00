// Runs one command and reports its wall time and peak resident memory:
//
//   varnel-measure COMMAND [ARG...]
//
// prints "SECONDS PEAK_KB EXIT_STATUS" on standard output once the command
// ends; the command's own standard output goes to standard error so the
// figures stay alone on standard output. The steady clock has fine resolution
// (GNU time's %e has only 10 ms, too coarse for a run of a few tenths of a
// second), and the peak comes from the rusage that wait4 returns for the
// command, so no extra package is needed.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s COMMAND [ARG...]\n", argv[0]);
    return 2;
  }
  std::fflush(stdout);
  const double start = now();
  pid_t child = fork();
  if (child < 0) {
    std::fprintf(stderr, "varnel-measure: fork: %s\n", std::strerror(errno));
    return 1;
  }
  if (child == 0) {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    execvp(argv[1], argv + 1);
    std::fprintf(stderr, "varnel-measure: cannot run %s: %s\n", argv[1], std::strerror(errno));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) < 0) {
    std::fprintf(stderr, "varnel-measure: wait4: %s\n", std::strerror(errno));
    return 1;
  }
  const double seconds = now() - start;
  const int exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::printf("%.6f %ld %d\n", seconds, usage.ru_maxrss, exit_status);
  return 0;
}
