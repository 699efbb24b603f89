// Test helper: a process that does nothing until a signal ends it. Tests
// copy it under another name to see how that name shows.

#include <unistd.h>

int main() {
  for (;;) ::pause();
}
