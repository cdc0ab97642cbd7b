// Runs a command and prints its exit status and peak resident memory (ru_maxrss), so that
// the memory of, say, korvelfw check on a huge file can be read off.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: peak_rss COMMAND [ARGUMENT...]\n");
    return 2;
  }
  const pid_t child = fork();
  if (child < 0) {
    std::perror("fork");
    return 2;
  }
  if (child == 0) {
    execvp(argv[1], argv + 1);
    std::perror("exec");
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) < 0) {
    std::perror("wait4");
    return 2;
  }
  std::fprintf(stderr, "peak resident memory: %ld KiB, exit status %d\n", usage.ru_maxrss,
               WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return 0;
}
