#pragma once
// How a DOS host runs under DOSBox: the configuration written for the run
// and the emulator's arguments. The host's directory is drive C: and its
// current drive, the work directory the root of drive D:, so the host sees
// "/TEMP=D:\" where a native host sees the work directory's own path.

#include <optional>
#include <string>
#include <vector>

namespace rizarode {

// Names the emulator to use: a path, or a name the system looks up.
inline constexpr const char* kDosboxVariable = "RIZARODE_DOSBOX";

// DOS passes at most this many characters after a program's name.
inline constexpr std::size_t kMaxDosCommandTail = 126;

// Where the emulator's window is to fit: the work area of the monitor it
// opens on (the screen less its panels and task bars), and what the
// window's frame adds to the picture, across and down.
struct ScreenRoom {
  int width = 0;
  int height = 0;
  int frameWidth = 0;
  int frameHeight = 0;
  int left = 0;  // the work area's top left corner on the screen
  int top = 0;
  // Whether the emulator can draw through OpenGL, at any size. One built
  // without it (the DOSBox that the Windows installer brings) falls back to
  // its scaler's size and ignores the window size asked for.
  bool openGl = true;
};

// How the emulator shows the host's text screen (640x400) in that room.
struct DosboxScreen {
  std::string output;            // [sdl] output=
  std::string windowResolution;  // [sdl] windowresolution=, or empty
  std::string scaler;            // [render] scaler=
  int width = 0;                 // the picture's size, without the frame
  int height = 0;
};

// The largest picture whose window, frame and all, fits the room: a
// whole-number scale where one of at least 2 fits (drawn by DOSBox's own
// scalers up to 3, by OpenGL without smoothing beyond), else as large as
// fits at the screen's shape, smoothed by OpenGL. OpenGL draws the picture
// at the window's size; where it cannot, DOSBox falls back to drawing it
// at the scaler's size, twice the text screen, as without a room (no
// display, or none measured).
DosboxScreen DosboxScreenFor(const std::optional<ScreenRoom>& room);

// Where the window's frame is to have its top left corner ("x,y") for the
// window to lie in the middle of the room. A window manager places a new
// window for the size it first has, which DOSBox changes at once.
std::string DosboxWindowPlace(const ScreenRoom& room, const DosboxScreen& screen);

struct DosRun {
  std::string hostDirectory;  // mounted as C:
  std::string workDirectory;  // mounted as D:
  std::string program;        // as the DOS shell is to run it
  std::string tail;           // everything after the program's name
  // Drive and directory to make current before the start (a PIF's), or
  // empty for C:\ (the host's directory).
  std::string startDirectory;
  // What makes the names of the run's own files its own: the six digits of
  // its print file name.
  std::string runTag = "DOSBOX";
  // Where the window is to fit; nothing without a display.
  std::optional<ScreenRoom> screen;
};

// Where the emulator was looked for, in order, and the first one found.
struct DosboxSearch {
  std::optional<std::string> found;
  std::vector<std::string> places;
  // The places one a line ("\r" between them), as messages show them.
  std::string PlacesText() const;
};

// The host's command line words after its own name, for DOS: the work
// directory in "/TEMP=" becomes "D:\", and so does the directory of every
// "/TEMP=" or "/TEMP:" option passed on from the program's own command line,
// which names that same work directory by a path that means nothing in DOS.
// The words are joined with single blanks, so blanks between them arrive as
// they were; blanks at the end do not, since the shell trims its lines.
std::string DosArguments(const std::vector<std::string>& words);

// The work directory that the words name in their first "/TEMP=", or empty.
std::string WorkDirectoryIn(const std::vector<std::string>& words);

// Why the run cannot start as composed, in a sentence for the user, or
// nothing when it can.
std::optional<std::string> DosRunProblem(const DosRun& run);

// The run's own files in the work directory. Their 8.3 names (the host sees
// them on D:) hold the digits of the run's print file name, so two runs in
// one work directory never share them, and never begin with the print
// files' "VK", so they are never taken for one.
struct DosboxFiles {
  std::string configuration;  // RZxxxxxx.CNF
  std::string log;            // RZxxxxxx.LOG
  std::string messages;       // RZxxxxxx.LNG, which the configuration names
};
DosboxFiles DosboxFilesFor(const DosRun& run);

// The text of the dosbox.conf kept in the host's directory (found without
// regard to case), or empty.
std::string UserDosboxConfiguration(const std::string& hostDirectory);

// The configuration for the run: no sound, no joystick or serial ports,
// cycles that leave the processor alone while the host waits for a key, the
// text screen as large as the run's screen room takes (DosboxScreenFor),
// and the emulator's messages from the run's messages file, in which its
// greeting is empty. userConfiguration (a dosbox.conf kept in the host's
// directory) follows, so that its settings win, a window size included; its
// [autoexec] section is left out, because the start is this run's own: the
// run's [autoexec] comes last and holds every command, from mounting the
// drives to the final "exit" that ends the emulator when the host ends. The
// commands are not echoed, what they answer goes nowhere, and the screen is
// cleared before the host starts, so the user sees the host's screen only.
// No command goes through "-c", which DOSBox for Windows rewrites (every '
// becomes ").
std::string DosboxConfiguration(const DosRun& run, const std::string& userConfiguration);

// A file the emulator reads, and its text.
struct DosboxInput {
  std::string path;
  std::string text;
};

// Every file the run's emulator reads, composed: its configuration (see
// DosboxConfiguration) and its messages.
std::vector<DosboxInput> DosboxInputs(const DosRun& run, const std::string& userConfiguration);

// The emulator's arguments after its own name.
std::vector<std::string> DosboxArguments(const std::string& configurationPath);

// The emulator's own word on why it stopped ("Exit to error: ..."), from
// the text of its log; empty when it gave none.
std::string DosboxErrorFromLog(const std::string& logText);

}  // namespace rizarode
