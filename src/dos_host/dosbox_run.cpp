#include "dos_host/dosbox_run.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/run_files.h"
#include "base/text.h"

namespace rizarode {
namespace {

constexpr const char* kDosWorkDirectory = "D:\\";
constexpr const char* kShellCharacters = "<>|%";

bool HasControlCharacter(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

// The text for a message, its control characters shown as ^X.
std::string VisibleText(const std::string& text) {
  std::string shown;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      shown += '^';
      shown += static_cast<char>(byte ^ 0x40);
    } else {
      shown += c;
    }
  }
  return shown;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

bool IsTempOption(const std::string& word) {
  return StartsWith(word, "/TEMP=") || StartsWith(word, "/TEMP:");
}

// The user's configuration without its [autoexec] section.
std::string WithoutAutoexec(const std::string& configuration) {
  std::istringstream in(configuration);
  std::string kept;
  bool inAutoexec = false;
  for (std::string line; std::getline(in, line);) {
    const std::string trimmed = Trimmed(line, " \t\r");
    if (StartsWith(trimmed, "[")) inAutoexec = UpperCase(trimmed) == "[AUTOEXEC]";
    if (!inAutoexec) kept += line + "\n";
  }
  return kept;
}

// DOSBox's mount takes a quoted path; a quote inside cannot be said. What
// it answers ("Drive C is mounted as ...") goes nowhere.
std::string Mount(char drive, const std::string& path) {
  return std::string("mount ") + drive + " \"" + path + "\" > nul";
}

// The messages of DOSBox's shell that make up its greeting.
constexpr const char* kGreetingMessages[] = {"SHELL_STARTUP_BEGIN", "SHELL_STARTUP_CGA",
                                             "SHELL_STARTUP_HERC", "SHELL_STARTUP_DEBUG",
                                             "SHELL_STARTUP_END"};

// The host's text screen as DOSBox draws it before any scaling.
constexpr int kTextWidth = 640;
constexpr int kTextHeight = 400;
// DOSBox's own scalers go up to three times the picture.
constexpr int kLargestScaler = 3;

std::string Size(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

DosboxScreen DosboxScreenFor(const std::optional<ScreenRoom>& room) {
  const DosboxScreen unmeasured{"surface", "", "normal2x forced", 2 * kTextWidth, 2 * kTextHeight};
  if (!room) return unmeasured;
  const int across = room->width - room->frameWidth;
  const int down = room->height - room->frameHeight;
  if (across <= 0 || down <= 0) return unmeasured;
  const double scale = std::min(static_cast<double>(across) / kTextWidth,
                                static_cast<double>(down) / kTextHeight);
  const int whole = static_cast<int>(std::floor(scale));
  if (!room->openGl) {
    // The scalers' whole sizes only, the largest that fits; the text screen
    // itself where not even twice its size does.
    const int fits = std::clamp(whole, 1, kLargestScaler);
    const std::string scaler = fits == 1 ? "none" : "normal" + std::to_string(fits) + "x forced";
    return DosboxScreen{"surface", "", scaler, fits * kTextWidth, fits * kTextHeight};
  }
  if (whole >= 2 && whole <= kLargestScaler) {
    return DosboxScreen{"surface", "", "normal" + std::to_string(whole) + "x forced",
                        whole * kTextWidth, whole * kTextHeight};
  }
  if (whole > kLargestScaler) {
    const int width = whole * kTextWidth, height = whole * kTextHeight;
    return DosboxScreen{"openglnb", Size(width, height), "none", width, height};
  }
  // Below twice the text screen: the picture keeps its 8:5 shape, and is
  // drawn from the scaler's double size, smoothed down, which reads better
  // than one smoothed up from the single size.
  const int height = std::min(down, across * 5 / 8) / 5 * 5;
  const int width = height / 5 * 8;
  return DosboxScreen{"opengl", Size(width, height), "normal2x forced", width, height};
}

std::string DosboxWindowPlace(const ScreenRoom& room, const DosboxScreen& screen) {
  const int x = room.left + std::max(0, (room.width - room.frameWidth - screen.width) / 2);
  const int y = room.top + std::max(0, (room.height - room.frameHeight - screen.height) / 2);
  return std::to_string(x) + "," + std::to_string(y);
}

std::string DosboxSearch::PlacesText() const {
  std::string text;
  for (const std::string& place : places) text += (text.empty() ? "" : "\r") + place;
  return text;
}

std::string DosArguments(const std::vector<std::string>& words) {
  std::string arguments;
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string word = words[i];
    if (IsTempOption(word)) word = word.substr(0, 6) + kDosWorkDirectory;
    if (i > 1) arguments += ' ';
    arguments += word;
  }
  // The shell trims the line it runs, so blanks at the end never arrive;
  // counted against DOS's limit, they would refuse a tail that fits.
  arguments.erase(arguments.find_last_not_of(' ') + 1);
  return arguments;
}

std::string WorkDirectoryIn(const std::vector<std::string>& words) {
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (StartsWith(words[i], "/TEMP=")) return words[i].substr(6);
  }
  return {};
}

std::optional<std::string> DosRunProblem(const DosRun& run) {
  // The shell counts the blank before the tail as part of it.
  const std::size_t tailLength = run.tail.empty() ? 0 : run.tail.size() + 1;
  if (tailLength > kMaxDosCommandTail) {
    return "The command line for the DOS program is " + std::to_string(tailLength) +
           " characters long; DOS allows " + std::to_string(kMaxDosCommandTail) + ".";
  }
  // DOSBox's shell reads its commands as a batch file does: it redirects
  // at < and >, pipes at |, and puts variables in for %...%, quoted or not,
  // and nothing tells it to leave them alone.
  const std::string command = run.program + " " + run.tail + " " + run.startDirectory;
  // A line break would end the command and start another in the run's
  // autoexec; no other control character has a place on a DOS command line.
  if (HasControlCharacter(command)) {
    return "The command line for the DOS program holds a control character (such as a line "
           "break), which DOS does not pass on: " + VisibleText(run.program + " " + run.tail);
  }
  const std::size_t at = command.find_first_of(kShellCharacters);
  if (at != std::string::npos) {
    return std::string("The command line for the DOS program holds ") + command[at] +
           ", which DOSBox's command shell would act on (redirection, pipe or variable) " +
           "instead of passing it on: " + run.program + " " + run.tail;
  }
  for (const std::string* path : {&run.hostDirectory, &run.workDirectory}) {
    if (HasControlCharacter(*path)) {
      return "DOSBox cannot mount a directory whose name holds a control character: " +
             VisibleText(*path);
    }
    if (path->find_first_of(std::string("\"") + kShellCharacters) != std::string::npos) {
      return "DOSBox cannot mount a directory whose name holds a quote, <, >, | or %: " + *path;
    }
  }
  return std::nullopt;
}

DosboxFiles DosboxFilesFor(const DosRun& run) {
  const std::filesystem::path work = run.workDirectory;
  auto file = [&](int which) {
    return (work / EmulatorFileName(run.runTag, kEmulatorFileExtensions[which])).string();
  };
  return DosboxFiles{file(0), file(1), file(2)};
}

std::string UserDosboxConfiguration(const std::string& hostDirectory) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(hostDirectory, error), end; !error && it != end;
       it.increment(error)) {
    if (UpperCase(it->path().filename().string()) != "DOSBOX.CONF") continue;
    if (!it->is_regular_file(error)) continue;
    std::ifstream in(it->path(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  return {};
}

std::string DosboxConfiguration(const DosRun& run, const std::string& userConfiguration) {
  const DosboxScreen screen = DosboxScreenFor(run.screen);
  std::string configuration =
      "# Written by RIZARODE for one run of the host under DOSBox.\n"
      "[sdl]\nfullscreen=false\noutput=" + screen.output + "\n" +
      (screen.windowResolution.empty() ? ""
                                       : "windowresolution=" + screen.windowResolution + "\n") +
      "[dosbox]\nlanguage=" + DosboxFilesFor(run).messages + "\n"
      "[render]\nscaler=" + screen.scaler + "\n"
      "[cpu]\ncycles=auto\n"
      "[mixer]\nnosound=true\n"
      "[speaker]\npcspeaker=false\ntandy=off\ndisney=false\n"
      "[sblaster]\nsbtype=none\n"
      "[gus]\ngus=false\n"
      "[midi]\nmpu401=none\nmididevice=none\n"
      "[joystick]\njoysticktype=none\n"
      "[serial]\nserial1=disabled\nserial2=disabled\nserial3=disabled\nserial4=disabled\n";
  if (!userConfiguration.empty()) {
    configuration += "# From the dosbox.conf in the host's directory:\n" +
                     WithoutAutoexec(userConfiguration);
    if (configuration.back() != '\n') configuration += '\n';
  }
  // "echo off" as the first line is put before the emulator's own lines.
  configuration += "[autoexec]\n@echo off\n" + Mount('c', run.hostDirectory) + "\n" +
                   Mount('d', run.workDirectory) + "\nc:\ncd \\\n";
  if (!run.startDirectory.empty()) {
    if (run.startDirectory.size() >= 2 && run.startDirectory[1] == ':') {
      configuration += run.startDirectory.substr(0, 2) + "\n";
    }
    configuration += "cd " + run.startDirectory + "\n";
  }
  // A greeting that the user's settings bring back goes too.
  configuration += "cls\n";
  configuration += (run.tail.empty() ? run.program : run.program + " " + run.tail) + "\n";
  configuration += "exit\n";
  return configuration;
}

namespace {

// The text of the run's messages file: DOSBox's greeting, which its shell
// shows before any command and no setting turns off, made empty.
std::string DosboxMessages() {
  std::string messages;
  for (const char* name : kGreetingMessages) messages += std::string(":") + name + "\n.\n";
  return messages;
}

}  // namespace

std::vector<DosboxInput> DosboxInputs(const DosRun& run, const std::string& userConfiguration) {
  const DosboxFiles files = DosboxFilesFor(run);
  return {{files.configuration, DosboxConfiguration(run, userConfiguration)},
          {files.messages, DosboxMessages()}};
}

std::vector<std::string> DosboxArguments(const std::string& configurationPath) {
  return {"-conf", configurationPath};
}

std::string DosboxErrorFromLog(const std::string& logText) {
  const std::size_t at = logText.find("Exit to error:");
  if (at == std::string::npos) return {};
  std::string line = logText.substr(at, logText.find('\n', at) - at);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

}  // namespace rizarode
