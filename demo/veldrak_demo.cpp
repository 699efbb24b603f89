// A stand-in for the genealogy host application, for demonstrations and end
// to end tests, on Linux: it opens a window titled "VELDRAK" (or, without a
// display, runs as a process of that name) and does what host_script.h
// describes.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host_script.h"
#include "host_window.h"

namespace veldrak {
namespace {

class LinuxHost : public HostSystem {
 public:
  explicit LinuxHost(std::unique_ptr<HostWindow> window) : window_(std::move(window)) {}

  void SetActivity(const std::string& text) override { window_->SetActivity(text); }
  bool Pump() override { return window_->Pump(); }
  bool Wait(double seconds) override { return window_->Wait(seconds); }
  bool Exists(const std::string& path) override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
  }

  // The print utility must wait until the file is closed.
  bool WriteJob(const std::string& path, const std::vector<std::string>& lines,
                double writeSeconds) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
      std::perror(path.c_str());
      return false;
    }
    const double pause = lines.empty() ? 0 : writeSeconds / static_cast<double>(lines.size());
    bool ok = true;
    for (const std::string& line : lines) {
      std::string bytes = line + "\r\n";
      if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        std::perror(path.c_str());
        ok = false;
        break;
      }
      if (!Wait(pause)) break;
    }
    if (::close(fd) != 0) ok = false;
    return ok;
  }

 private:
  std::unique_ptr<HostWindow> window_;
};

}  // namespace
}  // namespace veldrak

int main(int argc, char** argv) {
  return veldrak::RunHost(argc, argv, [] {
    return std::make_unique<veldrak::LinuxHost>(veldrak::HostWindow::Open("VELDRAK"));
  });
}
