#include "platform/win32/win32_dosbox.h"

#include "platform/win32/windows_api.h"

#include "platform/win32/process_start.h"

#include <fstream>
#include <iterator>

namespace rizarode {
namespace {

constexpr const char* kAppPathsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\DOSBox.exe";
// The folder DOSBox's own installer proposes, below the program folders.
constexpr const char* kInstallerFolder = "\\DOSBox-0.74-3\\DOSBox.exe";
// Without a console DOSBox writes what it says into this file in its
// current directory.
constexpr const char* kDosboxOutput = "stdout.txt";

// DOSBox that cannot set up its window says so and ends within a moment;
// one that runs the host lives at least as long as its start takes. A
// process that ends within this time must not be taken for a host that ran.
constexpr DWORD kProofOfLifeMilliseconds = 500;

std::string Environment(const char* name) {
  DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return {};
  std::string value(size, '\0');
  DWORD n = GetEnvironmentVariableA(name, value.data(), size);
  value.resize(n < size ? n : 0);
  return value;
}

bool IsFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string Unquoted(std::string text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

// The default value of the App Paths key in one registry view; read-only
// access, which a standard user is granted.
std::string AppPath(REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_QUERY_VALUE | view, &key) !=
      ERROR_SUCCESS) {
    return {};
  }
  char buffer[MAX_PATH * 2] = {};
  DWORD size = sizeof buffer - 1;
  DWORD type = 0;
  LONG result =
      RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  std::string value = Unquoted(std::string(buffer, strnlen(buffer, size)));
  if (type == REG_EXPAND_SZ) {
    char expanded[MAX_PATH * 2] = {};
    DWORD n = ExpandEnvironmentStringsA(value.c_str(), expanded, sizeof expanded);
    if (n == 0 || n > sizeof expanded) return {};
    value = expanded;
  }
  return value;
}

std::string InDirectory(const std::string& directory, const std::string& name) {
  if (directory.empty() || directory.back() == '\\' || directory.back() == '/') {
    return directory + name;
  }
  return directory + "\\" + name;
}

// The folder this program was started from.
std::string ProgramFolder() {
  char buffer[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return {};
  std::string path(buffer, n);
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh file of this run: whatever had the name before goes.
bool WriteFresh(const std::string& path, const std::string& text) {
  DeleteFileA(path.c_str());
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size();
  return CloseHandle(file) && ok;
}

// A command line argument as the C runtime's parser reads it back: quoted
// when it holds a blank, a tab or a quote, or is empty.
std::string QuotedArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes double only where a quote follows them.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

std::string CommandLineFor(const std::string& dosboxExe, const std::string& configurationPath) {
  std::string line = QuotedArgument(dosboxExe);
  for (const std::string& argument : DosboxArguments(configurationPath)) {
    line += ' ';
    line += QuotedArgument(argument);
  }
  // No console window beside DOSBox's own.
  return line + " -noconsole";
}

DosboxStarted Failure(std::string why) { return DosboxStarted{0, nullptr, std::move(why)}; }

// DOSBox prefers SDL's DirectDraw driver. Where DirectDraw is emulated (under
// Wine measured: its window was shown 3.5 to 5.7 seconds after the start,
// against 0.6 to 1.0 with GDI) the host's window may come after the wait for
// it has ended. SDL's GDI driver ("windib") works on every Windows and shows
// a text-mode program as well; a driver the user names is left alone.
void PreferGdiVideo() {
  if (Environment("SDL_VIDEODRIVER").empty()) SetEnvironmentVariableA("SDL_VIDEODRIVER", "windib");
}

// The style of SDL's window that cannot be resized, which DOSBox's is.
constexpr DWORD kSdlWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// SDL puts its window where SDL_VIDEO_WINDOW_POS says (its inside's top
// left corner); without it Windows cascades new windows from the top left,
// and a large one runs off the work area's bottom. The window goes in the
// middle of the work area; a place the user names is left alone.
void PlaceWindow(const ScreenRoom& room, const RECT& work, const DosboxScreen& screen) {
  if (!Environment("SDL_VIDEO_WINDOW_POS").empty() || !Environment("SDL_VIDEO_CENTERED").empty()) {
    return;
  }
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, kSdlWindowStyle, FALSE, 0);
  const long x = work.left - frame.left + (room.width - room.frameWidth - screen.width) / 2;
  const long y = work.top - frame.top + (room.height - room.frameHeight - screen.height) / 2;
  const std::string place = std::to_string(x) + "," + std::to_string(y);
  SetEnvironmentVariableA("SDL_VIDEO_WINDOW_POS", place.c_str());
}

RECT WorkArea() {
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

// Where DOSBox's window is to fit: the work area of the primary monitor,
// where a window opens that names no place (the screen less the task bar),
// and the frame that Windows puts around a window of SDL's style.
ScreenRoom RoomForDosboxWindow() {
  const RECT work = WorkArea();
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, kSdlWindowStyle, FALSE, 0);
  return ScreenRoom{static_cast<int>(work.right - work.left), static_cast<int>(work.bottom - work.top),
                    static_cast<int>(frame.right - frame.left),
                    static_cast<int>(frame.bottom - frame.top)};
}

}  // namespace

DosboxSearch FindDosbox() {
  DosboxSearch search;
  auto consider = [&search](const std::string& path) {
    if (path.empty()) return;
    search.places.push_back(path);
    if (!search.found && IsFile(path)) search.found = path;
  };
  const std::string named = Environment(kDosboxVariable);
  search.places.push_back(std::string("%") + kDosboxVariable + "%" +
                          (named.empty() ? "" : " = " + named));
  if (!named.empty() && IsFile(named)) search.found = named;
  const std::string programFolder = ProgramFolder();
  if (!programFolder.empty()) {
    consider(InDirectory(InDirectory(programFolder, kOwnDosboxFolder), "DOSBox.exe"));
  }
  search.places.push_back(std::string("HKEY_LOCAL_MACHINE\\") + kAppPathsKey);
  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    const std::string path = AppPath(view);
    if (!search.found && !path.empty() && IsFile(path)) search.found = path;
  }
  for (const char* folder : {"ProgramFiles(x86)", "ProgramFiles"}) {
    const std::string programFiles = Environment(folder);
    if (!programFiles.empty()) consider(programFiles + kInstallerFolder);
  }
  return search;
}

DosboxStarted StartUnderDosbox(const std::string& dosboxExe, const DosRun& composed, void* handedDown) {
  DosRun run = composed;
  run.screen = RoomForDosboxWindow();
  // The DOSBox that the installer brings has no OpenGL, and a picture at a
  // scaler's whole size fits whichever DOSBox draws it.
  if (run.screen) run.screen->openGl = false;
  PlaceWindow(*run.screen, WorkArea(), DosboxScreenFor(run.screen));
  for (const DosboxInput& input : DosboxInputs(run, UserDosboxConfiguration(run.hostDirectory))) {
    if (!WriteFresh(input.path, input.text)) {
      return Failure("The DOSBox file " + input.path + " cannot be written.");
    }
  }
  const DosboxFiles files = DosboxFilesFor(run);
  const std::string output = InDirectory(run.workDirectory, kDosboxOutput);
  DeleteFileA(output.c_str());

  PROCESS_INFORMATION process{};
  PreferGdiVideo();  // DOSBox inherits this program's environment
  const std::string commandLine = CommandLineFor(dosboxExe, files.configuration);
  // Nothing is written into the host's directory: DOSBox's current
  // directory is the work directory.
  const char* currentDirectory = run.workDirectory.empty() ? nullptr : run.workDirectory.c_str();
  if (!CreateProcessHandingDown(dosboxExe, commandLine, currentDirectory,
                                static_cast<HANDLE>(handedDown), process)) {
    return Failure("DOSBox (" + dosboxExe + ") cannot be started (error " +
                   std::to_string(GetLastError()) + ").");
  }
  CloseHandle(process.hThread);
  const bool endedAtOnce = WaitForSingleObject(process.hProcess, kProofOfLifeMilliseconds) ==
                           WAIT_OBJECT_0;
  if (endedAtOnce) {
    CloseHandle(process.hProcess);
    const std::string error = DosboxErrorFromLog(ReadText(output));
    return Failure("DOSBox ended at once" + (error.empty() ? "" : " (" + error + ")") + "; see " +
                   output + ".");
  }
  return DosboxStarted{static_cast<ProcessId>(process.dwProcessId), process.hProcess, {}};
}

}  // namespace rizarode
