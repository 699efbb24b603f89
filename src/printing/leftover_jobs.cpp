#include "printing/leftover_jobs.h"

#include <algorithm>
#include <climits>
#include <map>
#include <set>

#include "printing/job_files.h"
#include "program/program.h"
#include "program/run_lock.h"

namespace rizarode {
namespace {

struct LeftRun {
  std::string stem;
  // The time of the last write of its oldest print file.
  int64_t oldest = INT64_MAX;
  // Its print files by their order, the host's untaken one last.
  std::vector<std::pair<long, std::string>> files;
};

bool IsRunLockName(const std::string& name, std::string& stem) {
  if (name.size() != 12 || name.compare(0, 2, "VK") != 0 || !IsRunDigits(name.substr(2, 6)) ||
      name.compare(8, 4, kRunLockExtension) != 0) {
    return false;
  }
  stem = name.substr(0, 8);
  return true;
}

std::vector<LeftRun> FindLeftRuns(Program& program) {
  const ModuleState& state = program.state;
  const std::string& dir = state.workDirectory;
  const std::string ownStem = state.printFilePath.substr(dir.size(), 8);
  std::map<std::string, LeftRun> runs;
  for (const DirectoryEntry& entry : program.platform.files.ListDirectory(dir.empty() ? "." : dir)) {
    long order = 0;
    std::string stem;
    std::size_t stemLength = PrintFileStemLength(entry.name, order);
    if (stemLength != std::string::npos) {
      stem = entry.name.substr(0, stemLength);
    } else if (!IsRunLockName(entry.name, stem)) {
      stem = RunFileStem(entry.name);
      if (stem.empty()) continue;
    }
    if (stem == ownStem) continue;
    LeftRun& run = runs[stem];
    run.stem = stem;
    if (stemLength == std::string::npos) continue;
    run.files.emplace_back(order, entry.name);
    run.oldest = std::min(run.oldest, entry.modified);
  }
  std::vector<LeftRun> found;
  for (auto& [stem, run] : runs) found.push_back(std::move(run));
  std::stable_sort(found.begin(), found.end(),
                   [](const LeftRun& a, const LeftRun& b) { return a.oldest < b.oldest; });
  return found;
}

void AdoptRun(Program& program, LeftRun& run) {
  FileSystem& files = program.platform.files;
  const std::string& dir = program.state.workDirectory;
  const std::string lockPath = RunLockPath(dir + run.stem);
  // Held while its files move, so that two instances never both take them.
  std::unique_ptr<FileHandle> lock = TakeRunLock(files, lockPath);
  if (!lock) return;  // that run goes on
  std::sort(run.files.begin(), run.files.end());
  const std::set<std::string> gone = FilesRecordedAsGone(*lock);
  bool printedStay = false;
  for (const auto& [order, name] : run.files) {
    const std::string path = dir + name;
    if (files.IsSymbolicLink(path)) continue;
    if (gone.count(name) != 0) {
      // It went out, and that run could not remove it.
      if (!files.DeleteFile(path) && KeepPrintedFile(program, path).empty()) printedStay = true;
      continue;
    }
    if (order == LONG_MAX && !FinishedWriting(program, path)) continue;
    std::string adopted = NextJobPath(program);
    if (!files.RenameFile(path, adopted)) continue;
    PrintJob job;
    job.path = adopted;
    job.mustReachJobEnd = true;
    program.state.printJobs.push_back(job);
  }
  RemoveRunFiles(files, dir, run.stem);
  // The record goes only with the last of the files it speaks of.
  if (printedStay) {
    lock->Close();
  } else {
    ReleaseRunLock(files, lock, lockPath);
  }
}

}  // namespace

void AdoptLeftoverJobs(Program& program) {
  if (program.state.printFilePath.size() < program.state.workDirectory.size() + 8) return;
  for (LeftRun& run : FindLeftRuns(program)) AdoptRun(program, run);
}

}  // namespace rizarode
