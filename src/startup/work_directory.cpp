#include "startup/work_directory.h"

#include <algorithm>
#include <vector>

#include "base/text.h"
#include "program/program.h"
#include "program/take_token.h"
#include "startup/launch_host.h"

namespace rizarode {
namespace {

// A DOS program that the system runs itself takes the work directory on
// its command line, where a longer candidate does not fit. An emulator
// gives a DOS host the directory as a drive, and a program of the system's
// own takes any: for them there is no limit.
constexpr std::size_t kLongestCandidate = 24;
constexpr std::size_t kNoLimit = std::string::npos;
constexpr char kCriticalErrorTitle[] = "Critical error";

bool EndsWithSeparator(FileSystem& files, const std::string& path) {
  return !path.empty() && path.back() == files.Separator();
}

bool HasBlank(const std::string& path) { return path.find(' ') != std::string::npos; }

// The current directory followed by "TEXT", without a doubled separator
// when the current directory is the root; nothing when it cannot be told.
std::string TextBesideCurrentDirectory(FileSystem& files) {
  std::string here = files.CurrentDirectory();
  if (here.empty()) return {};
  if (!EndsWithSeparator(files, here)) here += files.Separator();
  return here + "TEXT";
}

struct Candidate {
  std::string path;
  // Stands for the program's private directory, made only when reached.
  bool isPrivate = false;
};

// The variables a user sets on purpose come first, then the directories the
// system keeps for temporary files, the program's own private directory, the
// current directory's TEXT and the root. Where the system's directories are
// shared by all accounts as they are, a host that is not held to the limit
// has the private directory, the user's own, before them.
std::vector<Candidate> Candidates(FileSystem& files, bool privateFirst) {
  std::vector<Candidate> candidates = {{files.GetEnv("TEMP").value_or("")},
                                       {files.GetEnv("TMP").value_or("")}};
  if (privateFirst) candidates.push_back({std::string(), true});
  for (std::string& directory : files.TemporaryDirectories()) {
    candidates.push_back({std::move(directory)});
  }
  if (!privateFirst) candidates.push_back({std::string(), true});
  candidates.push_back({TextBesideCurrentDirectory(files)});
  candidates.push_back({files.RootDirectory()});
  return candidates;
}

// A directory that all users share stands for the user's own directory
// inside it: there one user's driver file would stand in another's way, and
// print files would lie open to others. The user's directory is held to the
// same length limit.
std::string OwnCandidate(FileSystem& files, const std::string& candidate, std::size_t longest) {
  std::string own = files.OwnDirectoryIn(candidate);
  if (own.empty() || own == candidate) return own;
  if (!EndsWithSeparator(files, own)) own += files.Separator();
  return own.size() > longest ? std::string() : own;
}

// The first candidate in which the probe file can be made, as it was given
// (with a closing separator); empty when none can. Jobs that a run cannot
// print wait in the work directory for the next start, so a directory
// whose files end with the session (kept in memory, or removed at log-out)
// is taken only when no lasting one can be had.
std::string FirstUsableCandidate(Program& program) {
  FileSystem& files = program.platform.files;
  const std::size_t longest =
      program.platform.launcher.RunsDosHostItself(HostFileName(program)) ? kLongestCandidate
                                                                          : kNoLimit;
  std::vector<std::string> shortLived;
  auto usable = [&](std::string candidate, bool deferShortLived) -> std::string {
    if (candidate.empty()) return {};
    if (!EndsWithSeparator(files, candidate)) candidate += files.Separator();
    if (candidate.size() > longest) return {};
    // Looked at before the user's own directory inside it is made.
    if (deferShortLived && !files.OutlivesSession(candidate)) {
      shortLived.push_back(candidate);
      return {};
    }
    std::string own = OwnCandidate(files, candidate, longest);
    if (own.empty()) return {};
    if (deferShortLived && !files.OutlivesSession(own)) {
      shortLived.push_back(candidate);
      return {};
    }
    return ProbeFilePath(program, own + kProbeFileName) ? own : std::string();
  };
  const bool privateFirst = longest == kNoLimit && files.SharesSystemDirectories();
  std::vector<Candidate> candidates = Candidates(files, privateFirst);
  std::string found;
  std::size_t next = 0;
  while (found.empty() && next < candidates.size()) {
    Candidate& entry = candidates[next++];
    found = usable(entry.isPrivate ? files.PrivateDirectory() : entry.path, true);
  }
  if (found.empty()) {
    for (std::string& candidate : shortLived) {
      found = usable(std::move(candidate), false);
      if (!found.empty()) return found;
    }
    return {};
  }
  // An earlier run that had to make do with one of these (or an older
  // version, which preferred the runtime directory) may have kept jobs
  // there, which the next logout would take.
  for (; next < candidates.size(); ++next) {
    std::string candidate = candidates[next].path;
    if (candidate.empty()) continue;
    if (!EndsWithSeparator(files, candidate)) candidate += files.Separator();
    if (candidate.size() <= longest && !files.OutlivesSession(candidate)) {
      shortLived.push_back(candidate);
    }
  }
  std::vector<std::string>& earlier = program.state.shortLivedDirectories;
  for (const std::string& candidate : shortLived) {
    std::string own = OwnCandidate(files, candidate, longest);
    if (own.empty() || own == found) continue;
    if (std::find(earlier.begin(), earlier.end(), own) == earlier.end()) earlier.push_back(own);
  }
  return found;
}

// The option's directory in the case in which it was typed: upper-casing
// keeps every position, so it sits in the typed text where it sits in the
// upper-case one. On a file system that tells cases apart the upper-case
// name would be another directory.
std::string AsTyped(Program& program, const std::string& argumentText,
                    std::size_t at, const std::string& upperCase) {
  std::string typed = program.platform.info.ArgumentText();
  if (UpperCase(typed) != argumentText) return upperCase;
  return typed.substr(at, upperCase.size());
}

// The command line and the directory are the user's texts, in the system's
// encoding; the box shows them as typed.
[[noreturn]] void ShowCriticalErrorAndEnd(Program& program,
                                          const std::string& directory) {
  ProgramInfo& info = program.platform.info;
  program.platform.desktop.MessageBox(
      "ERROR : directory from /TEMP= not found.\r\r"
      "commandline = " + info.ProgramText(info.ArgumentText()) + "\r"
      "tempdir = " + info.ProgramText(directory) + "\r",
      kMbOk + kMbIconCritical, kCriticalErrorTitle);
  EndProgram(ExitCode::kNoWorkDirectory);
}

// The directory is there, but the program does not write through a link.
[[noreturn]] void ShowProbeLinkErrorAndEnd(Program& program, const std::string& directory) {
  ProgramInfo& info = program.platform.info;
  program.platform.desktop.MessageBox(
      std::string("ERROR : directory from /TEMP= not usable: ") + kProbeFileName +
          " there is a symbolic link.\r\r"
          "commandline = " + info.ProgramText(info.ArgumentText()) + "\r"
          "tempdir = " + info.ProgramText(directory) + "\r",
      kMbOk + kMbIconCritical, kCriticalErrorTitle);
  EndProgram(ExitCode::kNoWorkDirectory);
}

std::string Joined(FileSystem& files, const std::string& base, const std::string& path) {
  if (path.front() == files.Separator() || base.empty()) return path;
  return EndsWithSeparator(files, base) ? base + path : base + files.Separator() + path;
}

// The directory's full path as the system reports it once the directory is
// current; the current directory is the same afterwards. When the current
// directory cannot be told it could not be restored either, so the path is
// then only joined, not visited.
std::string FullPath(FileSystem& files, const std::string& directory) {
  std::string target = directory.empty() ? files.RootDirectory() : directory;
  // The root with its closing separator taken off is still the root: "C:"
  // alone would name the current directory of drive C.
  if (target + files.Separator() == files.RootDirectory()) target = files.RootDirectory();
  const std::string saved = files.CurrentDirectory();
  if (saved.empty() || !files.SetCurrentDirectory(target)) return Joined(files, saved, target);
  std::string full = files.CurrentDirectory();
  files.SetCurrentDirectory(saved);
  return full.empty() ? Joined(files, saved, target) : full;
}

void UseOptionDirectory(Program& program, const std::string& argumentText,
                        std::size_t valueAt) {
  std::string rest = argumentText.substr(valueAt);
  std::string directory =
      AsTyped(program, argumentText, valueAt, TakeToken(rest, " "));
  std::string& workDirectory = program.state.workDirectory;
  FileSystem& files = program.platform.files;
  // Nothing after the option: the root, tested like any other directory, as
  // most users may not write there.
  if (directory.empty()) directory = files.RootDirectory();
  if (directory.back() == files.Separator() || directory.back() == '\\') directory.pop_back();
  const std::string probe = directory + files.Separator() + kProbeFileName;
  if (files.IsSymbolicLink(probe)) ShowProbeLinkErrorAndEnd(program, directory);
  if (!ProbeFilePath(program, probe)) {
    ShowCriticalErrorAndEnd(program, directory);
  }
  workDirectory = FullPath(files, directory);
  // The host application receives the directory on a command line that is
  // split at blanks: a blank would cut it in two and send its print files
  // astray.
  if (HasBlank(workDirectory)) ShowCriticalErrorAndEnd(program, workDirectory);
  if (!EndsWithSeparator(files, workDirectory)) workDirectory += files.Separator();
}

}  // namespace

void ResolveWorkDirectory(Program& program, const std::string& argumentText) {
  std::size_t at = argumentText.find("/TEMP=");
  if (at == std::string::npos) at = argumentText.find("/TEMP:");
  if (at == std::string::npos) {
    program.state.workDirectory = FirstUsableCandidate(program);
    return;
  }
  UseOptionDirectory(program, argumentText, at + 6);
}

bool ProbeFilePath(Program& program, const std::string& path) {
  if (HasBlank(path)) return false;
  FileSystem& files = program.platform.files;
  // A file already there is accepted untouched, so a read-only medium that
  // carries one passes. A symbolic link there is not such a file: it might
  // name a file anywhere, and the open below refuses to go through it.
  if (files.FileExists(path) && !files.IsSymbolicLink(path)) return true;
  int16_t number = program.files.OpenFileByMode(path, "B", "", "", 4096);
  if (number == 0) return false;
  // All three steps run even after one fails, so the file is not left open
  // or behind when it can be helped.
  bool written = program.files.Put(number, 1, kProductName);
  bool closed = program.files.Close(number);
  // Another run that probes the same directory at the same moment may have
  // deleted the file first: it is gone all the same.
  bool deleted = files.DeleteFile(path) || !files.FileExists(path);
  return written && closed && deleted;
}

}  // namespace rizarode
