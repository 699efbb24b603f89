#pragma once
// A program on the test platform with its work directory in a temporary
// directory, ready to generate a driver file; and a guard for the numeric
// locale.

#include <gtest/gtest.h>

#include <clocale>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "driver/driver_file.h"
#include "driver/driver_writer.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace rizarode::testing {

class DriverFixture {
 public:
  // printer and files replace the recording printer and the real file
  // system when given.
  explicit DriverFixture(Printer* printer = nullptr, FileSystem* files = nullptr)
      : platform_{t.desktop,  t.windows, t.launcher, files ? *files : t.files,
                  t.registry, t.fonts,   t.clock,    t.random,
                  t.info},
        program(std::make_unique<Program>(platform_, printer ? *printer : t.printer)) {
    program->state.workDirectory = dir.path() + "/";
    program->state.languageCode = "NL";
    program->state.fontFaceName = "RUZeruzaz Ori";
  }

  struct Counts {
    int16_t forms = -1;
    int16_t fonts = -1;
  };
  Counts Generate() {
    Counts counts;
    GenerateDriverFile(*program, counts.forms, counts.fonts);
    return counts;
  }

  // Runs one phase on a fresh driver file; returns what the phase returned
  // and leaves the file's lines in lines.
  template <typename Phase>
  int16_t RunPhase(Phase&& phase, std::vector<std::string>& lines) {
    int16_t number = program->files.OpenFileByMode(DriverPath(), "O", "W", "RW", 0);
    if (number == 0) {
      ADD_FAILURE() << "driver file not opened";
      return -1;
    }
    int16_t result;
    {
      DriverWriter writer(program->files, number);
      result = phase(*program, writer);
      EXPECT_TRUE(writer.Close());
    }
    lines = Lines();
    return result;
  }

  std::string DriverPath() const { return dir / "RIZARODE.TMP"; }
  std::string File() const { return dir.Read("RIZARODE.TMP"); }
  std::vector<std::string> Lines() const { return SplitCrLf(File()); }
  // The status texts shown so far (debug flag 1 makes them visible).
  const std::vector<std::string>& Status() {
    return t.desktop.view ? t.desktop.view->statusHistory : empty_;
  }

  // The lines of a text in which every line ends with CR LF; a text that
  // does not end so yields a last line marked "<unterminated>".
  static std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find("\r\n", start);
      if (end == std::string::npos) {
        lines.push_back("<unterminated>" + text.substr(start));
        break;
      }
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  TestPlatform t;
  TempDir dir;

 private:
  Platform platform_;
  std::vector<std::string> empty_;

 public:
  std::unique_ptr<Program> program;
};

// The real file system, except that writes fail once writesLeft is used up.
class FailingWriteFileSystem : public NativeFileSystem {
 public:
  int writesLeft = 0;

  std::unique_ptr<FileHandle> Open(const std::string& path,
                                   const OpenRequest& request) override {
    std::unique_ptr<FileHandle> handle = NativeFileSystem::Open(path, request);
    if (!handle) return handle;
    return std::make_unique<Handle>(std::move(handle), writesLeft);
  }

 private:
  class Handle : public FileHandle {
   public:
    Handle(std::unique_ptr<FileHandle> inner, int& writesLeft)
        : inner_(std::move(inner)), writesLeft_(writesLeft) {}
    long Read(char* buffer, std::size_t size) override { return inner_->Read(buffer, size); }
    bool Write(const char* data, std::size_t size) override {
      if (writesLeft_ <= 0) return false;
      --writesLeft_;
      return inner_->Write(data, size);
    }
    int64_t Length() override { return inner_->Length(); }
    int64_t Position() override { return inner_->Position(); }
    bool Seek(int64_t offset) override { return inner_->Seek(offset); }
    bool Close() override { return inner_->Close(); }

   private:
    std::unique_ptr<FileHandle> inner_;
    int& writesLeft_;
  };
};

// Switches LC_NUMERIC to the first of the names the system knows, and back.
class NumericLocaleGuard {
 public:
  explicit NumericLocaleGuard(std::vector<const char*> names) {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    saved_ = current ? current : "C";
    for (const char* name : names) {
      if (std::setlocale(LC_NUMERIC, name)) {
        active_ = true;
        break;
      }
    }
  }
  ~NumericLocaleGuard() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
  NumericLocaleGuard(const NumericLocaleGuard&) = delete;
  NumericLocaleGuard& operator=(const NumericLocaleGuard&) = delete;
  bool active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

inline std::vector<const char*> DecimalCommaLocales() {
  return {"nl_NL.UTF-8", "nl_NL.utf8", "de_DE.UTF-8", "de_DE.utf8", "nl_NL", "de_DE"};
}

}  // namespace rizarode::testing
