#include "printing/job_files.h"

#include <climits>

#include "program/program.h"
#include "program/run_lock.h"

namespace rizarode {
namespace {

constexpr std::size_t kStemLength = 8;  // "VK" and 6 hexadecimal digits
constexpr char kCutSuffix[] = "-CUT.TXT";
constexpr char kPrintedSuffix[] = "-DONE.TXT";

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Renames the file to its own name with the suffix (and a number where
// that is taken): a name that is never taken for a print file.
std::string KeepFileAs(Program& program, const std::string& path, const char* suffix) {
  FileSystem& files = program.platform.files;
  for (int n = 1; n < 1000; ++n) {
    std::string kept = path;
    if (n > 1) {
      kept += '-';
      kept += std::to_string(n);
    }
    kept += suffix;
    if (files.RenameFile(path, kept)) return kept;
    if (!files.FileExists(kept) && !files.IsSymbolicLink(kept)) break;
  }
  return {};
}

}  // namespace

std::size_t PrintFileStemLength(const std::string& name, long& order) {
  if (name.size() < kStemLength + 2 || name.compare(0, 2, "VK") != 0 || name[kStemLength] != '.') {
    return std::string::npos;
  }
  if (!IsRunDigits(name.substr(2, kStemLength - 2))) return std::string::npos;
  const std::string extension = name.substr(kStemLength + 1);
  if (extension == "TMP") {
    order = LONG_MAX;
  } else if (AllDigits(extension) && extension.size() <= 9) {
    order = std::stol(extension);
  } else {
    return std::string::npos;
  }
  return kStemLength;
}

// VK0000FF.TMP becomes VK0000FF.001: the host never uses such a name.
std::string NextJobPath(Program& program) {
  ModuleState& state = program.state;
  FileSystem& files = program.platform.files;
  std::string stem = state.printFilePath;
  if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".TMP") == 0) stem.resize(stem.size() - 4);
  for (;;) {
    std::string number = std::to_string(++state.printJobsTaken);
    if (number.size() < 3) number.insert(0, 3 - number.size(), '0');
    std::string path = stem + "." + number;
    if (!files.FileExists(path) && !files.IsSymbolicLink(path)) return path;
  }
}

bool FinishedWriting(Program& program, const std::string& path) {
  int16_t fileNumber = program.files.OpenFileByMode(path, "I", "R", "W", 0);
  if (fileNumber == 0) return false;
  program.files.Close(fileNumber);
  return true;
}

std::string KeepCutFile(Program& program, const std::string& path) {
  return KeepFileAs(program, path, kCutSuffix);
}

std::string KeepPrintedFile(Program& program, const std::string& path) {
  return KeepFileAs(program, path, kPrintedSuffix);
}

// Written through the lock's open descriptor, which needs nothing of the
// directory: it may no longer let files be made or removed.
void RecordAsGone(Program& program, PrintJob& job) {
  ModuleState& state = program.state;
  if (job.recordedAsGone || !state.runLock) return;
  std::string line = job.path.substr(state.workDirectory.size()) + "\n";
  FileHandle& lock = *state.runLock;
  int64_t end = lock.Length();
  job.recordedAsGone = end >= 0 && lock.Seek(end) && lock.Write(line.data(), line.size());
}

std::set<std::string> FilesRecordedAsGone(FileHandle& lock) {
  std::string text;
  char buffer[4096];
  long n;
  if (!lock.Seek(0)) return {};
  while ((n = lock.Read(buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
  std::set<std::string> names;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    names.insert(text.substr(start, end - start));
  }
  return names;
}

}  // namespace rizarode
