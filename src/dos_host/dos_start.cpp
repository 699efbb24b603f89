#include "dos_host/dos_start.h"

#include <filesystem>

#include "base/text.h"
#include "dos_host/dos_path.h"
#include "dos_host/pif_file.h"
#include "dos_host/program_kind.h"

namespace rizarode {
namespace {

bool HasPifExtension(const std::string& name) {
  return name.size() >= 4 && UpperCase(std::string_view(name).substr(name.size() - 4)) == ".PIF";
}

// The directory a program file lies in, as a full path.
std::string DirectoryOf(const std::string& path) {
  return std::filesystem::absolute(path).lexically_normal().parent_path().string();
}

// The work directory the host is told about, as a full path without its
// closing separator (unless it is a root); the current directory when the
// program has none.
std::string FullWorkDirectory(const std::vector<std::string>& words) {
  std::filesystem::path dir = WorkDirectoryIn(words);
  if (dir.empty()) dir = ".";
  std::filesystem::path full = std::filesystem::absolute(dir).lexically_normal();
  if (full.has_relative_path() && !full.has_filename()) full = full.parent_path();
  return full.string();
}

// The six digits of the print file name "VKxxxxxx.TMP" in "/WIN=".
std::string RunTagIn(const std::vector<std::string>& words) {
  const std::string option = "/WIN=";
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (words[i].compare(0, option.size(), option) != 0) continue;
    const std::string name = UpperCase(words[i].substr(option.size()));
    if (name.size() == 12 && name.compare(0, 2, "VK") == 0 && name.compare(8, 4, ".TMP") == 0) {
      return name.substr(2, 6);
    }
  }
  return DosRun{}.runTag;
}

// "VELDRAK.EXE" and "C:\\VK\\VELDRAK.EXE" are titled "VELDRAK".
std::string DosProgramTitle(const std::string& program) {
  std::string name = program.substr(program.find_last_of("\\/:") + 1);
  return name.substr(0, name.rfind('.'));
}

std::string Joined(const std::string& first, const std::string& second) {
  if (first.empty()) return second;
  if (second.empty()) return first;
  return first + " " + second;
}

DosRun RunFor(const std::string& programFile, const std::vector<std::string>& words) {
  DosRun run;
  run.hostDirectory = DirectoryOf(programFile);
  run.workDirectory = FullWorkDirectory(words);
  run.tail = DosArguments(words);
  run.runTag = RunTagIn(words);
  return run;
}

std::optional<DosStart> Checked(DosStart start, std::string& failure) {
  if (std::optional<std::string> problem = DosRunProblem(start.run)) {
    failure = *problem;
    return std::nullopt;
  }
  return start;
}

std::optional<DosStart> ComposeProgramStart(const std::string& programFile,
                                            const std::vector<std::string>& words,
                                            std::string& failure) {
  DosStart start{RunFor(programFile, words), {}};
  start.run.program = std::filesystem::path(programFile).filename().string();
  start.title = DosProgramTitle(start.run.program);
  return Checked(std::move(start), failure);
}

// The PIF's parameters come first, then what every host is told, so that
// "/WIN=" and "/TEMP=" reach the program whatever the PIF adds. Its flag
// for keeping the window open is not followed: the emulator always ends
// with the program, since the program's end is the host's end.
std::optional<DosStart> ComposePifStart(const std::string& pifFile,
                                        const std::vector<std::string>& words,
                                        std::string& failure) {
  std::optional<PifStart> pif = ReadPif(pifFile);
  if (!pif) {
    failure = "The program information file " + pifFile + " cannot be read, or names no program.";
    return std::nullopt;
  }
  DosStart start{RunFor(pifFile, words), {}};
  // The PIF names its paths as the machine it was made on had them; the
  // program must be found here before the emulator starts, since an
  // emulator whose shell finds no program ends by itself, like a host that
  // ran and closed.
  const std::string& host = start.run.hostDirectory;
  if (!pif->startDirectory.empty()) {
    start.run.startDirectory =
        FindDosPath(host, pif->startDirectory, DosPathKind::kDirectory).value_or("");
  }
  std::optional<std::string> program =
      FindDosPath(host, pif->programFile, DosPathKind::kFile, start.run.startDirectory);
  if (!program) {
    failure = "The program information file " + pifFile + " names the program " +
              pif->programFile + ", which is not in the directory " + host + ".";
    return std::nullopt;
  }
  start.run.program = *program;
  start.run.tail = Joined(pif->parameters, start.run.tail);
  // On the desktop it was made for, the program's window carries the PIF's
  // title.
  start.title = pif->title.empty() ? DosProgramTitle(start.run.program) : pif->title;
  return Checked(std::move(start), failure);
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> words(1);
  for (char c : commandLine) {
    if (c == ' ') {
      words.emplace_back();
    } else {
      words.back() += c;
    }
  }
  return words;
}

bool RunsUnderDos(const std::string& programFile) {
  if (HasNativeStart(programFile)) return false;
  return HasPifExtension(programFile) || KindOfProgram(programFile) == ProgramKind::kDos;
}

std::optional<DosStart> ComposeDosStart(const std::string& programFile,
                                        const std::vector<std::string>& words,
                                        std::string& failure) {
  failure.clear();
  if (HasPifExtension(programFile)) return ComposePifStart(programFile, words, failure);
  return ComposeProgramStart(programFile, words, failure);
}

}  // namespace rizarode
