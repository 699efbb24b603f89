// A DOS host: told from a native one by its contents, described by a PIF,
// and started under DOSBox with the command line and configuration made
// for the run.

#include <filesystem>
#include <utility>

#include <gtest/gtest.h>

#include "dos_host/dos_start.h"
#include "dos_host/dosbox_run.h"
#include "dos_host/pif_file.h"
#include "dos_host/program_kind.h"
#include "support/temp_dir.h"

namespace rizarode {
namespace {

using testing::TempDir;

// An MZ header whose word at 3Ch points at "magic", 64 bytes further on.
std::string MzWith(const std::string& magic) {
  std::string bytes(128, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[0x3C] = 0x40;
  bytes.replace(0x40, magic.size(), magic);
  return bytes;
}

std::string KindName(const std::string& path) {
  return KindOfProgram(path) == ProgramKind::kDos ? "DOS" : "native";
}

TEST(SplitCommandLineTest, SplitsAtEveryBlankSoThatTheArgumentTextSurvivesExactly) {
  EXPECT_EQ(SplitCommandLine("VELDRAK.EXE /WIN=VK0000FF.TMP /TEMP=/tmp/ "),
            (std::vector<std::string>{"VELDRAK.EXE", "/WIN=VK0000FF.TMP", "/TEMP=/tmp/", ""}));
  EXPECT_EQ(SplitCommandLine("VELDRAK.EXE /TEMP=/tmp/ A  B\tC "),
            (std::vector<std::string>{"VELDRAK.EXE", "/TEMP=/tmp/", "A", "", "B\tC", ""}));
}

TEST(ProgramKindTest, DosProgramsAreToldByTheirContentsNotTheirNames) {
  TempDir dir;
  EXPECT_EQ(KindName(dir.Write("plain.exe", MzWith("\0\0"))), "DOS");
  EXPECT_EQ(KindName(dir.Write("zm.exe", "ZM" + MzWith("").substr(2))), "DOS");
  EXPECT_EQ(KindName(dir.Write("le.exe", MzWith("LE"))), "DOS");
  EXPECT_EQ(KindName(dir.Write("lx.exe", MzWith("LX"))), "DOS");
  EXPECT_EQ(KindName(dir.Write("short.exe", "MZ\x90\0")), "DOS");
  std::string pastTheEnd = MzWith("");
  pastTheEnd[0x3D] = 0x7F;  // the new header would lie past the file's end
  EXPECT_EQ(KindName(dir.Write("past.exe", pastTheEnd)), "DOS");
  EXPECT_EQ(KindName(dir.Write("pe.exe", MzWith(std::string("PE\0\0", 4)))), "native");
  EXPECT_EQ(KindName(dir.Write("ne.exe", MzWith("NE"))), "native");
  EXPECT_EQ(KindName(dir.Write("elf.exe", "\x7f" "ELF\x02\x01")), "native");
  EXPECT_EQ(KindName(dir.Write("script.exe", "#!/bin/sh\n")), "native");
  EXPECT_EQ(KindName(dir.Write("TOOL.COM", "\xB4\x4C\xCD\x21")), "DOS");
  EXPECT_EQ(KindName(dir.Write("elf.com", "\x7f" "ELF")), "native");
  EXPECT_EQ(KindName(dir.Write("script.Com", "#!/bin/sh\n")), "native");
  EXPECT_EQ(KindName(dir.Write("data.bin", "\xB4\x4C\xCD\x21")), "native");
}

// A PIF's standard section with the texts at their places: NUL-ended or
// padded with blanks, as editors of either kind wrote them.
std::string Pif(const std::string& title, const std::string& program, unsigned char flags,
                const std::string& directory, const std::string& parameters) {
  std::string bytes(0x171, '\0');
  bytes.replace(0x02, 30, (title + std::string(30, ' ')).substr(0, 30));
  bytes.replace(0x24, program.size(), program);
  bytes[0x63] = static_cast<char>(flags);
  bytes.replace(0x65, directory.size(), directory);
  bytes.replace(0xA5, 64, (parameters + std::string(64, ' ')).substr(0, 64));
  return bytes;
}

TEST(PifFileTest, TheStandardSectionIsRead) {
  std::optional<PifStart> pif =
      ParsePif(Pif("VELDRAK 3.0", "C:\\VK\\VELDRAK.EXE", 0x10, "C:\\VK", "/X=1 /Y"));
  ASSERT_TRUE(pif);
  EXPECT_EQ(pif->title, "VELDRAK 3.0");
  EXPECT_EQ(pif->programFile, "C:\\VK\\VELDRAK.EXE");
  EXPECT_EQ(pif->flags, 0x10);
  EXPECT_EQ(pif->startDirectory, "C:\\VK");
  EXPECT_EQ(pif->parameters, "/X=1 /Y");

  EXPECT_FALSE(ParsePif(Pif("T", "VELDRAK.EXE", 0, "", "").substr(0, 0xE4)));  // cut short
  EXPECT_FALSE(ParsePif(Pif("T", "", 0, "C:\\", "")));                           // no program
  EXPECT_FALSE(ReadPif("/nonexistent/VELDRAK.PIF"));
}

TEST(DosboxRunTest, TheHostSeesTheWorkDirectoryAsDriveD) {
  // The program's own "/TEMP=" and the ones passed on from its command line
  // name this system's directories; DOS sees that directory as D:\.
  const std::vector<std::string> words = {"VELDRAK.EXE", "/WIN=VK0000FF.TMP",
                                          "/TEMP=/var/tmp/rz/", "/WDEBUG=1",
                                          "/TEMP=/VAR/TMP/RZ", "/TEMP:SUB"};
  EXPECT_EQ(WorkDirectoryIn(words), "/var/tmp/rz/");
  EXPECT_EQ(DosArguments(words),
            "/WIN=VK0000FF.TMP /TEMP=D:\\ /WDEBUG=1 /TEMP=D:\\ /TEMP:D:\\");

  DosRun run{"/home/an/my host", "/var/tmp/rz", "VELDRAK.EXE", DosArguments(words), "", "0000FF", {}};
  EXPECT_EQ(DosboxArguments("/var/tmp/rz/RZ0000FF.CNF"),
            (std::vector<std::string>{"-conf", "/var/tmp/rz/RZ0000FF.CNF"}));
  // A quiet start: no command echoed (the first line's "echo off" counts
  // for the emulator's own lines too), no answer shown, a clear screen.
  const std::string configuration = DosboxConfiguration(run, "");
  EXPECT_EQ(configuration.substr(configuration.find("[autoexec]")),
            "[autoexec]\n@echo off\nmount c \"/home/an/my host\" > nul\n"
            "mount d \"/var/tmp/rz\" > nul\nc:\ncd \\\ncls\n"
            "VELDRAK.EXE /WIN=VK0000FF.TMP /TEMP=D:\\ /WDEBUG=1 /TEMP=D:\\ /TEMP:D:\\\nexit\n");
  EXPECT_FALSE(DosRunProblem(run));

  run.startDirectory = "C:\\PROG";
  EXPECT_NE(DosboxConfiguration(run, "").find("cd \\\nC:\ncd C:\\PROG\ncls\nVELDRAK.EXE"),
            std::string::npos);

  // DOS passes 126 characters after the name, counting the blank before them.
  run.tail = std::string(125, 'A');
  EXPECT_FALSE(DosRunProblem(run));
  run.tail += 'A';
  ASSERT_TRUE(DosRunProblem(run));
  EXPECT_NE(DosRunProblem(run)->find("127 characters"), std::string::npos);
  run.tail = "";
  run.hostDirectory = "/home/an/\"quoted\"";
  EXPECT_TRUE(DosRunProblem(run));
  run.hostDirectory = "/home/an/two\nlines";
  EXPECT_TRUE(DosRunProblem(run));
}

// The emulator's greeting is made empty by the messages file the
// configuration names, which is the run's own beside its configuration.
TEST(DosboxRunTest, TheGreetingIsEmptiedByTheRunsMessagesFile) {
  const DosRun run{"/vk", "/var/tmp/rz", "VELDRAK.EXE", "", "", "0000FF", {}};
  const DosboxFiles files = DosboxFilesFor(run);
  EXPECT_EQ(std::filesystem::path(files.messages),
            std::filesystem::path("/var/tmp/rz") / "RZ0000FF.LNG");
  const std::vector<DosboxInput> inputs = DosboxInputs(run, "");
  ASSERT_EQ(inputs.size(), 2u);
  EXPECT_EQ(inputs[0].path, files.configuration);
  EXPECT_NE(inputs[0].text.find("[dosbox]\nlanguage=" + files.messages + "\n"), std::string::npos);
  EXPECT_EQ(inputs[1].path, files.messages);
  // DOSBox's format: ":NAME", the text's lines, "." alone ends it.
  EXPECT_EQ(inputs[1].text,
            ":SHELL_STARTUP_BEGIN\n.\n:SHELL_STARTUP_CGA\n.\n:SHELL_STARTUP_HERC\n.\n"
            ":SHELL_STARTUP_DEBUG\n.\n:SHELL_STARTUP_END\n.\n");
}

TEST(DosboxRunTest, TheUsersSettingsComeAfterTheRunsOwnButNotTheirStart) {
  const DosRun run{"/vk", "/tmp", "VELDRAK.EXE", "", "", "0000FF", {}};
  const std::string configuration = DosboxConfiguration(
      run, "[cpu]\ncycles=max\n[sdl]\nwindowresolution=1024x640\noutput=opengl\n"
           "[AutoExec]\nmount c ~/vk\nVELDRAK /X\n[dos]\nkeyboardlayout=nl");
  for (const char* setting : {"nosound=true", "joysticktype=none", "serial1=disabled",
                              "cycles=auto", "keyboardlayout=nl"}) {
    EXPECT_NE(configuration.find(setting), std::string::npos) << setting;
  }
  EXPECT_LT(configuration.find("cycles=auto"), configuration.find("cycles=max"));
  // The window twice the text screen's size, unless the user names a size.
  EXPECT_LT(configuration.find("scaler=normal2x forced"),
            configuration.find("windowresolution=1024x640"));
  EXPECT_LT(configuration.find("keyboardlayout=nl"), configuration.find("[autoexec]"));
  EXPECT_EQ(configuration.find("VELDRAK /X"), std::string::npos);
  EXPECT_EQ(configuration.find("~/vk"), std::string::npos);
}

// The window, frame and all, inside the work area at the sizes screens
// have; a whole-number scale where one of 2 or more fits.
TEST(DosboxRunTest, TheWindowFitsTheWorkAreaItOpensIn) {
  struct Case {
    std::optional<ScreenRoom> room;
    const char* output;
    const char* windowResolution;
    const char* scaler;
  };
  const Case cases[] = {
      {std::nullopt, "surface", "", "normal2x forced"},
      {ScreenRoom{1366, 768, 2, 22, 0, 0}, "opengl", "1192x745", "normal2x forced"},
      {ScreenRoom{1366, 728, 16, 39, 0, 0}, "opengl", "1096x685", "normal2x forced"},
      {ScreenRoom{1280, 1024, 2, 22, 0, 0}, "opengl", "1272x795", "normal2x forced"},
      {ScreenRoom{1920, 1040, 16, 39, 0, 0}, "surface", "", "normal2x forced"},
      {ScreenRoom{3840, 2160, 2, 22, 0, 0}, "openglnb", "3200x2000", "none"},
      // An emulator without OpenGL: the scalers' whole sizes.
      {ScreenRoom{1366, 728, 6, 25, 0, 0, false}, "surface", "", "none"},
      {ScreenRoom{1920, 1040, 6, 25, 0, 0, false}, "surface", "", "normal2x forced"},
      {ScreenRoom{3840, 2120, 6, 25, 0, 0, false}, "surface", "", "normal3x forced"},
  };
  for (const Case& c : cases) {
    const std::string at = c.room ? std::to_string(c.room->width) + "x" +
                                        std::to_string(c.room->height)
                                  : "no room";
    const DosboxScreen screen = DosboxScreenFor(c.room);
    EXPECT_EQ(screen.output, c.output) << at;
    EXPECT_EQ(screen.windowResolution, c.windowResolution) << at;
    EXPECT_EQ(screen.scaler, c.scaler) << at;
    EXPECT_EQ(screen.width * 5, screen.height * 8) << at;
    if (c.room) {
      EXPECT_LE(screen.width + c.room->frameWidth, c.room->width) << at;
      EXPECT_LE(screen.height + c.room->frameHeight, c.room->height) << at;
    }
    if (c.room) {
      // In the middle of a work area below a panel 30 pixels high.
      ScreenRoom below = *c.room;
      below.top = 30;
      const std::string place = DosboxWindowPlace(below, screen);
      const int x = std::stoi(place), y = std::stoi(place.substr(place.find(',') + 1)) - 30;
      EXPECT_LE(std::abs(x * 2 + screen.width + below.frameWidth - below.width), 1) << at;
      EXPECT_LE(std::abs(y * 2 + screen.height + below.frameHeight - below.height), 1) << at;
    }
    DosRun run{"/vk", "/tmp", "VELDRAK.EXE", "", "", "0000FF", c.room};
    const std::string configuration = DosboxConfiguration(run, "");
    EXPECT_NE(configuration.find(std::string("output=") + c.output + "\n"), std::string::npos);
    EXPECT_NE(configuration.find(std::string("scaler=") + c.scaler + "\n"), std::string::npos);
    EXPECT_EQ(configuration.find("windowresolution") == std::string::npos,
              !*c.windowResolution)
        << at;
  }
}

TEST(DosboxRunTest, TheEmulatorsOwnErrorIsTakenFromItsLog) {
  EXPECT_EQ(DosboxErrorFromLog("DOSBox version 0.74-3\nExit to error: Can't init SDL\r\nmore"),
            "Exit to error: Can't init SDL");
  EXPECT_EQ(DosboxErrorFromLog("DOSBox version 0.74-3\n"), "");
}

// A PIF names its program as the machine it was made on had it; here the
// host's directory is C:, and the program must be found in it before any
// emulator starts.
TEST(DosStartTest, APifsProgramIsFoundInTheHostDirectoryOrTheStartFails) {
  TempDir dir;
  dir.Write("Veldrak.Exe", MzWith(""));
  dir.Write("PROG/DOSHOST.EXE", MzWith(""));
  const std::vector<std::string> words = {"VELDRAK.PIF", "/WIN=VK00A0FF.TMP", "/TEMP=" + dir.path(),
                                          "/X", ""};
  struct Case {
    const char* program;
    const char* directory;
    const char* found;  // nullptr: a failed start
    const char* current;
  };
  for (const Case& c : {Case{"C:\\VELDRAK\\VELDRAK.EXE", "C:\\VELDRAK", "C:\\VELDRAK.EXE", ""},
                        Case{"DOSHOST.EXE", "C:\\VK\\PROG", "C:\\PROG\\DOSHOST.EXE", "C:\\PROG"},
                        Case{"D:\\PROG\\doshost.exe", "", "C:\\PROG\\doshost.exe", ""},
                        Case{"C:\\..\\..\\VELDRAK.EXE", "", "C:\\VELDRAK.EXE", ""},
                        Case{"C:\\VELDRAK\\MISSING.EXE", "C:\\VELDRAK", nullptr, ""},
                        Case{"C:\\VELDRAK\\PROG", "", nullptr, ""}}) {
    const std::string pif = dir.Write("VELDRAK.PIF", Pif("", c.program, 0, c.directory, ""));
    std::string failure;
    std::optional<DosStart> start = ComposeDosStart(pif, words, failure);
    if (!c.found) {
      EXPECT_FALSE(start) << c.program;
      EXPECT_NE(failure.find(std::string(c.program) + ", which is not in"), std::string::npos)
          << failure;
      continue;
    }
    ASSERT_TRUE(start) << c.program << ": " << failure;
    EXPECT_EQ(start->run.program, c.found);
    EXPECT_EQ(start->run.startDirectory, *c.current ? c.current : (*c.directory ? "C:\\" : ""));
    EXPECT_EQ(start->run.tail, "/WIN=VK00A0FF.TMP /TEMP=D:\\ /X");
    EXPECT_EQ(start->run.runTag, "00A0FF");
  }
}

// The command goes into DOSBox's autoexec as one line: a line break would
// start commands of its own there.
TEST(DosStartTest, TextTheDosShellWouldActOnIsRefused) {
  TempDir dir;
  const std::string program = dir.Write("VELDRAK.EXE", MzWith(""));
  const std::pair<const char*, const char*> cases[] = {
      {"/A>OUT.TXT", "command shell would act on"}, {"/A<IN.TXT", "command shell would act on"},
      {"/A|MORE", "command shell would act on"},    {"/P=%PATH%", "command shell would act on"},
      {"/A\nDEL *.*", "control character"},         {"/A\rDEL *.*", "control character"}};
  for (const auto& [argument, why] : cases) {
    std::string failure;
    EXPECT_FALSE(ComposeDosStart(program, {"VELDRAK.EXE", "/TEMP=" + dir.path(), argument}, failure))
        << argument;
    EXPECT_NE(failure.find(why), std::string::npos) << failure;
  }
}

}  // namespace
}  // namespace rizarode
