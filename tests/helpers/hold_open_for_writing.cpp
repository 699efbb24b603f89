// Test helper: opens a file for writing (creating it when missing), says
// "open" on standard output, and keeps it open until standard input ends.
// Usage: hold_open_for_writing FILE

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  int fd = ::open(argv[1], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    std::perror(argv[1]);
    return 1;
  }
  std::fputs("open\n", stdout);
  std::fflush(stdout);
  char buffer[64];
  while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
  }
  ::close(fd);
  return 0;
}
