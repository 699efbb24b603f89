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

// The runs whose files lie in dir, but this run's own.
std::vector<LeftRun> FindLeftRuns(Program& program, const std::string& dir) {
  const ModuleState& state = program.state;
  const std::string ownStem = state.printFilePath.substr(state.workDirectory.size(), 8);
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

// A run's files on their way from a directory whose files end with the
// session into the work directory keep their names there, as a run of
// their own, which is then adopted like any other. Before anything moves,
// the lock file of each side names the other: a kill between a file's copy
// and the deletion of its original leaves it in both places, and whoever
// next takes either run keeps one of them.
constexpr char kMovedTo = '>';
constexpr char kMovedFrom = '<';

bool AppendLine(FileHandle& lock, const std::string& line) {
  const int64_t end = lock.Length();
  return end >= 0 && lock.Seek(end) && lock.Write(line.data(), line.size()) &&
         lock.Write("\n", 1);
}

std::vector<std::string> RecordedWays(const std::set<std::string>& lines, char way) {
  std::vector<std::string> dirs;
  for (const std::string& line : lines) {
    if (line.size() > 1 && line[0] == way) dirs.push_back(line.substr(1));
  }
  return dirs;
}

bool Present(FileSystem& files, const std::string& path) {
  return files.FileExists(path) || files.IsSymbolicLink(path);
}

// Finishes a move that a kill cut short; false when the run must wait
// (the other side's run is held, or a file there cannot go). A file that
// reached the other side whole is the one that stays: a copy is given its
// name only once whole, and is adopted only after its original is gone.
bool SettleMoves(Program& program, const std::string& dir, LeftRun& run,
                 const std::set<std::string>& lines) {
  FileSystem& files = program.platform.files;
  for (const std::string& to : RecordedWays(lines, kMovedTo)) {
    for (auto file = run.files.begin(); file != run.files.end();) {
      if (!Present(files, to + file->second)) {
        ++file;
      } else if (files.DeleteFile(dir + file->second)) {
        file = run.files.erase(file);
      } else {
        return false;
      }
    }
  }
  for (const std::string& from : RecordedWays(lines, kMovedFrom)) {
    std::unique_ptr<FileHandle> other = TakeRunLock(files, RunLockPath(from + run.stem));
    if (!other) return false;
    for (const auto& file : run.files) {
      const std::string original = from + file.second;
      if (Present(files, original) && !files.DeleteFile(original)) return false;
    }
    // Its lock file may still speak of files of its own that stay there.
    other->Close();
  }
  return true;
}

void MoveRun(Program& program, const std::string& from, LeftRun& run) {
  FileSystem& files = program.platform.files;
  const std::string& to = program.state.workDirectory;
  const std::string fromLockPath = RunLockPath(from + run.stem);
  std::unique_ptr<FileHandle> fromLock = TakeRunLock(files, fromLockPath);
  if (!fromLock) return;  // that run goes on
  const std::set<std::string> lines = FilesRecordedAsGone(*fromLock);
  if (!SettleMoves(program, from, run, lines)) {
    fromLock->Close();
    return;
  }
  bool stays = false;
  if (!run.files.empty()) {
    const std::string toLockPath = RunLockPath(to + run.stem);
    std::unique_ptr<FileHandle> toLock = TakeRunLock(files, toLockPath);
    if (!toLock || !AppendLine(*fromLock, kMovedTo + to) ||
        !AppendLine(*toLock, kMovedFrom + from)) {
      if (toLock) toLock->Close();
      fromLock->Close();
      return;
    }
    for (const auto& [order, name] : run.files) {
      const std::string path = from + name;
      if (files.IsSymbolicLink(path)) continue;
      std::string error;
      if (lines.count(name) != 0) {
        // It went out: not printed again; the record stays while it does.
        if (!files.DeleteFile(path) && KeepPrintedFile(program, path).empty()) stays = true;
      } else if ((order == LONG_MAX && !FinishedWriting(program, path)) ||
                 !files.CopyFile(path, to + name, error)) {
        stays = true;
      } else if (!files.DeleteFile(path)) {
        // The copy goes again, so that the job is in one place only.
        files.DeleteFile(to + name);
        stays = true;
      }
    }
    toLock->Close();
  }
  if (stays) {
    fromLock->Close();
  } else {
    RemoveRunFiles(files, from, run.stem);
    ReleaseRunLock(files, fromLock, fromLockPath);
  }
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
  if (!SettleMoves(program, dir, run, gone)) {
    lock->Close();
    return;
  }
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
  const ModuleState& state = program.state;
  if (state.printFilePath.size() < state.workDirectory.size() + 8) return;
  for (const std::string& from : state.shortLivedDirectories) {
    for (LeftRun& run : FindLeftRuns(program, from)) MoveRun(program, from, run);
  }
  for (LeftRun& run : FindLeftRuns(program, state.workDirectory)) AdoptRun(program, run);
}

}  // namespace rizarode
