#include "platform/linux/pdf_file_device.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/linux/linux_file_system.h"
#include "printer/printer.h"

namespace rizarode {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBufferSize = 1 << 16;


// Writes a document into a file of its own and gives it its name only when
// it is complete: a document that fails, is dropped half-way, or whose
// program is killed, never appears as a PDF file.
class PdfFileSink : public DocumentSink {
 public:
  // Gives the complete file at writtenPath its final name, which it
  // returns; false (with errno set) when it cannot.
  using Publish = std::function<bool(const std::string& writtenPath, std::string& finalPath)>;
  using Done = std::function<void(const std::string&)>;
  PdfFileSink(int fd, std::string writtenPath, std::string shownName, Publish publish, Done done)
      : fd_(fd), writtenPath_(std::move(writtenPath)), shownName_(std::move(shownName)),
        publish_(std::move(publish)), done_(std::move(done)) {
    buffer_.reserve(kBufferSize);
  }
  ~PdfFileSink() override {
    if (fd_ >= 0) {
      ::close(fd_);
      ::unlink(writtenPath_.c_str());
    }
  }

  bool Write(const unsigned char* data, std::size_t size) override {
    if (buffer_.size() + size > kBufferSize && !Flush()) return false;
    if (size >= kBufferSize) return WriteAll(fd_, data, size);
    buffer_.insert(buffer_.end(), data, data + size);
    return true;
  }

  void Deliver(const JobSettings&) override {
    int error = 0;
    if (!Flush()) error = errno;
    // On a full disk the last blocks may fail only here.
    if (error == 0 && ::fsync(fd_) != 0 && errno != EINVAL) error = errno;
    // Named while still open for writing: a closed file under its partial
    // name is one that a killed run left, which a starting run clears.
    std::string finalPath;
    if (error == 0 && !publish_(writtenPath_, finalPath)) error = errno;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && error == 0) {
      error = errno;
      ::unlink(finalPath.c_str());
    }
    if (error != 0) {
      ::unlink(writtenPath_.c_str());
      throw PrinterError(kPrinterErrorDevice,
                         "cannot write " + shownName_ + ": " + std::strerror(error));
    }
    done_(finalPath);
  }

 private:
  bool Flush() {
    bool ok = WriteAll(fd_, buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok;
  }

  int fd_;
  std::string writtenPath_;
  std::string shownName_;
  Publish publish_;
  Done done_;
  std::vector<unsigned char> buffer_;
};

// mkstemp makes a private file; a document is readable like any other new
// file of the user's.
void MakeReadableAsUsual(int fd) {
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
}

}  // namespace

std::string DefaultPdfDirectory() {
  const char* home = std::getenv("HOME");
  std::string dir = home && *home ? home : "";
  if (dir.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid())) dir = pw->pw_dir;
  }
  return dir + "/PDF";
}

int CreateUniquePdfFile(const std::string& directory, const std::string& stem,
                        std::string& path) {
  std::error_code ec;
  fs::create_directories(directory, ec);
  for (int n = 1; n < 100000; ++n) {
    path = directory;
    path += '/';
    path += stem;
    if (n > 1) path += '-' + std::to_string(n);
    path += ".pdf";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

int CreatePartialPdfFile(const std::string& directory, std::string& path) {
  std::error_code ec;
  fs::create_directories(directory, ec);
  path = std::string(directory) + "/" + kPartialPdfPrefix + "XXXXXX" + kPartialPdfSuffix;
  // Not inherited: a host that outlives the program must not keep the
  // file looking alive.
  int fd = ::mkostemps(path.data(), 5, O_CLOEXEC);
  if (fd >= 0) MakeReadableAsUsual(fd);
  return fd;
}

void ClearAbandonedPartialPdfFiles(const std::string& directory) {
  const std::string prefix = kPartialPdfPrefix;
  const std::string suffix = kPartialPdfSuffix;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(directory, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    std::error_code kindError;
    if (!entry.is_regular_file(kindError) || entry.is_symlink(kindError)) continue;
    // A run that writes its document has the file open for writing; then
    // this open, which denies writers, fails.
    OpenRequest request;
    request.read = true;
    request.lock = ShareLock::kDenyWrite;
    LinuxFileSystem files;
    std::unique_ptr<FileHandle> unused = files.Open(entry.path().string(), request);
    if (unused) ::unlink(entry.path().c_str());
  }
}

bool PublishPdfFile(const std::string& partial, const std::string& directory,
                    const std::string& stem, std::string& path) {
  for (int n = 1; n < 100000; ++n) {
    path = directory + '/' + stem;
    if (n > 1) path += '-' + std::to_string(n);
    path += ".pdf";
    if (::renameat2(AT_FDCWD, partial.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
      return true;
    }
    if (errno == EINVAL || errno == ENOSYS) {
      // No renaming that refuses to replace here: a second link is refused
      // where the name is taken.
      if (::link(partial.c_str(), path.c_str()) == 0) {
        ::unlink(partial.c_str());
        return true;
      }
    }
    if (errno != EEXIST) return false;
  }
  errno = EEXIST;
  return false;
}

PdfFileDevice::PdfFileDevice(std::string directory, int32_t borderMicrons)
    : directory_(std::move(directory)),
      borderMicrons_(borderMicrons),
      stem_("RIZARODE-" + FileTimestamp()) {}

std::unique_ptr<PdfFileDevice> PdfFileDevice::WritingTo(const std::string& outputFile) {
  fs::path file(outputFile);
  std::string dir = file.parent_path().empty() ? "." : file.parent_path().string();
  auto device = std::make_unique<PdfFileDevice>(dir);
  device->stem_ = file.extension() == ".pdf" ? file.stem().string() : file.filename().string();
  device->firstFile_ = outputFile;
  return device;
}

std::optional<MediaChoice> PdfFileDevice::Media(int16_t paperSize) const {
  const PaperSizeInfo* paper = FindPaperSize(paperSize);
  if (!paper) return std::nullopt;
  MediaChoice media;
  media.paper = paper;
  media.name = paper->pwgName;
  // The printable area of a common office printer, so that a document
  // printed on paper later loses nothing at the edges.
  media.leftMicrons = media.topMicrons = media.rightMicrons = media.bottomMicrons =
      borderMicrons_;
  return media;
}

std::unique_ptr<DocumentSink> PdfFileDevice::StartDocument() {
  auto done = [this](const std::string& path) {
    files_.push_back(path);
    Delivery delivery;
    delivery.kind = Delivery::Kind::kSaved;
    delivery.printer = Name();
    delivery.file = path;
    deliveries_.push_back(std::move(delivery));
  };
  std::string path;
  int fd;
  PdfFileSink::Publish publish;
  std::string shownName;
  if (!firstFile_.empty()) {
    // The named file is replaced only by a complete document.
    std::string finalPath = firstFile_;
    path = firstFile_ + ".partXXXXXX";
    fd = ::mkstemp(path.data());
    if (fd >= 0) MakeReadableAsUsual(fd);
    firstFile_.clear();
    shownName = finalPath;
    publish = [finalPath](const std::string& written, std::string& published) {
      published = finalPath;
      return ::rename(written.c_str(), finalPath.c_str()) == 0;
    };
  } else {
    fd = CreatePartialPdfFile(directory_, path);
    shownName = "a PDF file in " + directory_;
    publish = [dir = directory_, stem = stem_](const std::string& written, std::string& published) {
      return PublishPdfFile(written, dir, stem, published);
    };
  }
  if (fd < 0) {
    throw PrinterError(kPrinterErrorDevice,
                       "cannot create a PDF file in " + directory_ + ": " + std::strerror(errno));
  }
  return std::make_unique<PdfFileSink>(fd, path, shownName, publish, done);
}

std::string FileTimestamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

}  // namespace rizarode
