#pragma once
// A helper program from tests/helpers run as a second process, talked to
// line by line over pipes: each command waits for the helper's answer, so a
// test knows what the other process holds without waiting on the clock.

#include <cstdio>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "platform/win32/windows_api.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace rizarode::testing {

class SecondProcess {
 public:
#ifdef _WIN32
  explicit SecondProcess(const std::string& helperName) {
    std::string program = std::string(RIZARODE_BINARY_DIR) + "/tests/" + helperName + ".exe";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, toChild = nullptr, fromChild = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &toChild, &inherit, 0)) return;
    if (!CreatePipe(&fromChild, &childOut, &inherit, 0)) return;
    SetHandleInformation(toChild, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(fromChild, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::string commandLine = "\"" + program + "\"";
    PROCESS_INFORMATION info{};
    if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &startup, &info)) {
      CloseHandle(info.hThread);
      process_ = info.hProcess;
    }
    CloseHandle(childIn);
    CloseHandle(childOut);
    input_ = _fdopen(_open_osfhandle(reinterpret_cast<intptr_t>(toChild), _O_WRONLY), "w");
    output_ = _fdopen(_open_osfhandle(reinterpret_cast<intptr_t>(fromChild), _O_RDONLY), "r");
  }
  ~SecondProcess() {
    if (input_) std::fclose(input_);  // end of input ends the helper
    if (output_) std::fclose(output_);
    if (process_) {
      WaitForSingleObject(process_, INFINITE);
      CloseHandle(process_);
    }
  }

  bool running() const { return process_ && input_ && output_; }
#else
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

  bool running() const { return pid_ > 0 && input_ && output_; }
#endif
  SecondProcess(const SecondProcess&) = delete;
  SecondProcess& operator=(const SecondProcess&) = delete;

  // Sends one command and returns the helper's answer ("" when it is gone).
  std::string Ask(const std::string& command) {
    if (!running()) return "";
    std::fputs((command + "\n").c_str(), input_);
    std::fflush(input_);
    char buffer[4096];
    if (!std::fgets(buffer, sizeof buffer, output_)) return "";
    std::string answer(buffer);
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
    return answer;
  }

 private:
#ifdef _WIN32
  HANDLE process_ = nullptr;
#else
  pid_t pid_ = -1;
#endif
  std::FILE* input_ = nullptr;
  std::FILE* output_ = nullptr;
};

}  // namespace rizarode::testing
