#pragma once
// A helper program from tests/helpers run as a second process, talked to
// line by line over pipes: each command waits for the helper's answer, so a
// test knows what the other process holds without waiting on the clock.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

extern char** environ;

namespace rizarode::testing {

class SecondProcess {
 public:
  explicit SecondProcess(const std::string& helperName) {
    std::string program = std::string(RIZARODE_BINARY_DIR) + "/tests/" + helperName;
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    char* argv[] = {program.data(), nullptr};
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    input_ = ::fdopen(toChild[1], "w");
    output_ = ::fdopen(fromChild[0], "r");
  }
  ~SecondProcess() {
    if (input_) std::fclose(input_);  // end of input ends the helper
    if (output_) std::fclose(output_);
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }
  SecondProcess(const SecondProcess&) = delete;
  SecondProcess& operator=(const SecondProcess&) = delete;

  bool running() const { return pid_ > 0 && input_ && output_; }

  // Sends one command and returns the helper's answer ("" when it is gone).
  std::string Ask(const std::string& command) {
    if (!running()) return "";
    std::fputs((command + "\n").c_str(), input_);
    std::fflush(input_);
    char buffer[4096];
    if (!std::fgets(buffer, sizeof buffer, output_)) return "";
    std::string answer(buffer);
    while (!answer.empty() && answer.back() == '\n') answer.pop_back();
    return answer;
  }

 private:
  pid_t pid_ = -1;
  std::FILE* input_ = nullptr;
  std::FILE* output_ = nullptr;
};

}  // namespace rizarode::testing
