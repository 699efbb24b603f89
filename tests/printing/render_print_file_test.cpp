#include "printing/render_print_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "program/module_state.h"
#include "support/recording_printer.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace rizarode {
namespace {

using testing::RecordingPrinter;
using ::testing::ElementsAre;

// Runs the interpreter over the bytes of a print file held in memory.
class Interpreter {
 public:
  RecordingPrinter printer;
  ModuleState state;

  Interpreter() { state.fontFaceName = "RUZeruzaz Ori"; }

  // Interprets text as one print file; returns the calls it made.
  std::vector<std::string> Run(const std::string& text) {
    printer.calls.clear();
    std::string bytes = text;
    std::FILE* file = testing::ReadableStream(bytes);
    StreamPrintFileLines lines(file);
    InterpretPrintFile(lines, printer, state);
    std::fclose(file);
    // The three resets that start every file are checked once, below.
    std::vector<std::string> calls(printer.calls.begin() + 3, printer.calls.end());
    return calls;
  }
  std::string Printed(const std::string& text) {
    Run(text);
    return printer.Printed();
  }
};

TEST(StreamPrintFileLinesTest, SplitsAtCrLfAndLoneCrButNotAtLoneLf) {
  std::string text = "one\r\ntwo\rthree\nstill three\r\n\r\nlast";
  std::FILE* file = testing::ReadableStream(text);
  StreamPrintFileLines lines(file);
  std::vector<std::string> read;
  std::string line;
  while (!lines.AtEnd() && lines.ReadLine(line)) read.push_back(line);
  std::fclose(file);
  EXPECT_THAT(read, ElementsAre("one", "two", "three\nstill three", "", "last"));
}

TEST(StreamPrintFileLinesTest, CrLfSplitAcrossTheReadBufferIsOneLineEnd) {
  std::string text = std::string(65535, 'x') + "\r\nnext\r\n";
  std::FILE* file = testing::ReadableStream(text);
  StreamPrintFileLines lines(file);
  std::string first, second;
  ASSERT_TRUE(lines.ReadLine(first));
  ASSERT_TRUE(lines.ReadLine(second));
  EXPECT_EQ(first.size(), 65535u);
  EXPECT_EQ(second, "next");
  EXPECT_TRUE(lines.AtEnd());
  std::fclose(file);
}

TEST(InterpretPrintFileTest, StartsEveryFileWithPlainTextAndLeavesTheDocumentOpen) {
  Interpreter run;
  run.printer.bold = run.printer.italic = run.printer.underline = true;
  run.Run("Hello\r\n");
  EXPECT_THAT(run.printer.calls,
              ElementsAre("bold:0", "italic:0", "underline:0", "text:Hello", "lineend"));
}

TEST(InterpretPrintFileTest, TextBetweenTagsIsPrintedInTheAttributesThenInForce) {
  Interpreter run;
  EXPECT_THAT(run.Run("abc#BOLD#def\r\nstill bold#bold#\r\n"),
              ElementsAre("text:abc", "bold:1", "text:def", "lineend", "text:still bold",
                          "bold:0", "lineend"));
  EXPECT_THAT(run.Run("#UNDERLINE#u#underline##ITALIC#i#italic#"),
              ElementsAre("underline:1", "text:u", "underline:0", "italic:1", "text:i",
                          "italic:0", "lineend"));
}

TEST(InterpretPrintFileTest, EveryLineReadEndsAPrintedLineEvenWhenItHoldsNoText) {
  Interpreter run;
  EXPECT_THAT(run.Run("#JOBstart#\r\n\r\n#font#\r\n"),
              ElementsAre("lineend", "lineend", "lineend"));
}

TEST(InterpretPrintFileTest, AHashThatOpensNoKnownTagIsPrinted) {
  Interpreter run;
  EXPECT_THAT(run.Run("x#y#z"), ElementsAre("text:x", "text:#y", "text:#z", "lineend"));
  EXPECT_THAT(run.Run("a##b"), ElementsAre("text:a", "text:#", "text:#b", "lineend"));
  EXPECT_EQ(run.Printed("#Bold#x#bold"), "#Bold#x#bold\n");  // tags are case-sensitive
  EXPECT_EQ(run.Printed("#"), "#\n");
  EXPECT_EQ(run.Printed("##"), "##\n");
  EXPECT_EQ(run.Printed("50# of 100#BOLD#!"), "50# of 100!\n");
  EXPECT_TRUE(run.printer.bold);
}

TEST(InterpretPrintFileTest, FormTagsSelectSizeOrientationAndBinInThatOrder) {
  Interpreter run;
  EXPECT_THAT(run.Run("#FORM-P009#"),
              ElementsAre("papersize:9", "orientation:1", "bin:7", "lineend"));
  EXPECT_THAT(run.Run("#FORM-l008#"),
              ElementsAre("papersize:8", "orientation:2", "bin:4", "lineend"));
  EXPECT_THAT(run.Run("#FORM-L263#"),
              ElementsAre("papersize:263", "orientation:2", "bin:7", "lineend"));
  EXPECT_THAT(run.Run("#FORM-p001#"),
              ElementsAre("papersize:1", "orientation:1", "bin:4", "lineend"));
}

TEST(InterpretPrintFileTest, FormRangesFollowCharacterCodeOrder) {
  Interpreter run;
  // "9#" sorts inside the range and reads as 9.
  EXPECT_THAT(run.Run("#FORM-P9#"),
              ElementsAre("papersize:9", "orientation:1", "bin:7", "lineend"));
  EXPECT_THAT(run.Run("#FORM-P999#"),
              ElementsAre("papersize:999", "orientation:1", "bin:7", "lineend"));
  // Below and above the range, and a letter that names no form: text.
  EXPECT_EQ(run.Printed("#FORM-P000#"), "#FORM-P000#\n");
  EXPECT_EQ(run.Printed("#FORM-P9990#"), "#FORM-P9990#\n");
  EXPECT_EQ(run.Printed("#FORM-X009#"), "#FORM-X009#\n");
  EXPECT_EQ(run.Printed("#FORM-\xE9" "009#"), "#FORM-\xE9" "009#\n");
}

TEST(InterpretPrintFileTest, ARefusedFormSettingDoesNotStopTheOthersOrThePrinting) {
  Interpreter run;
  run.printer.failing = {"SetOrientation"};
  EXPECT_THAT(run.Run("#FORM-L040#a"), ElementsAre("papersize:40", "orientation:2", "bin:7",
                                                   "text:a", "lineend"));
  run.printer.failing.clear();
  EXPECT_THAT(run.Run("#FORM-P555#b"),  // a size the printer lacks
              ElementsAre("papersize:555", "orientation:1", "bin:7", "text:b", "lineend"));
  EXPECT_EQ(run.printer.paperSize, 40);
}

TEST(InterpretPrintFileTest, AFormNumberBeyondSixteenBitsSelectsNoSize) {
  Interpreter run;
  EXPECT_THAT(run.Run("#FORM-P1E9#"), ElementsAre("orientation:1", "bin:7", "lineend"));
}

TEST(InterpretPrintFileTest, FontTagsSetSizeFaceAndSizeAgain) {
  Interpreter run;
  EXPECT_THAT(run.Run("#FONT-1050#x"),
              ElementsAre("fontsize:10.5", "fontname:RUZeruzaz Ori", "fontsize:10.5", "text:x",
                          "lineend"));
  EXPECT_THAT(run.Run("#FONT-0850#"), ElementsAre("fontsize:8.5", "fontname:RUZeruzaz Ori",
                                                  "fontsize:8.5", "lineend"));
  run.state.fontFaceName = "Courier New";
  EXPECT_THAT(run.Run("#FONT-1000#"), ElementsAre("fontsize:10", "fontname:Courier New",
                                                  "fontsize:10", "lineend"));
  // Short numbers sort inside the range too and read up to the "#".
  EXPECT_THAT(run.Run("#FONT-12#"),
              ElementsAre("fontsize:0.12", "fontname:Courier New", "fontsize:0.12", "lineend"));
  EXPECT_EQ(run.Printed("#FONT-A000#"), "#FONT-A000#\n");
}

TEST(InterpretPrintFileTest, AnInnerFormFeedTurnsThePageBeforeTheLineEnd) {
  Interpreter run;
  EXPECT_THAT(run.Run("page one#form#\r\npage two\r\n"),
              ElementsAre("text:page one", "newpage", "lineend", "text:page two", "lineend"));
}

TEST(InterpretPrintFileTest, AClosingFormFeedEndsTheDocumentAndTheFile) {
  Interpreter run;
  EXPECT_THAT(run.Run("last#form##JOBend#\r\nnor this\r\n"),
              ElementsAre("text:last", "enddoc"));
  // Text after the job end makes the form feed an inner one; the job end
  // still ends the file.
  EXPECT_THAT(run.Run("last#form##JOBend#never\r\n"), ElementsAre("text:last", "newpage"));
  EXPECT_THAT(run.Run("a#form##JOBend#\r\nnever\r\n"), ElementsAre("text:a", "enddoc"));
}

TEST(InterpretPrintFileTest, OnlyAnExactJobEndMakesTheFormFeedClosing) {
  Interpreter run;
  EXPECT_THAT(run.Run("a#form##JOBend# more\r\n"), ElementsAre("text:a", "newpage"));
  EXPECT_THAT(run.Run("#form##JOBend##JOBend#\r\n"), ElementsAre("newpage"));
  EXPECT_THAT(run.Run("#form# #JOBend#\r\n"), ElementsAre("newpage", "text: "));
}

TEST(InterpretPrintFileTest, WithDebugFlag8EveryFormFeedIsClosing) {
  Interpreter run;
  run.state.debugFlags = kDebugOneJob;
  EXPECT_THAT(run.Run("left#form#right\r\n#form#\r\n"),
              ElementsAre("text:left", "enddoc", "text:right", "lineend", "enddoc", "lineend"));
}

// A document that did not go out must not pass for printed.
TEST(InterpretPrintFileTest, AFailingFormFeedIsNotSwallowed) {
  Interpreter run;
  run.printer.failing = {"EndDoc"};
  EXPECT_THROW(run.Run("c#form##JOBend#"), PrinterError);
  run.printer.failing = {"NewPage"};
  EXPECT_THROW(run.Run("a#form#b"), PrinterError);
}

TEST(InterpretPrintFileTest, NothingAfterJobEndIsPrinted) {
  Interpreter run;
  EXPECT_THAT(run.Run("one\r\ntwo#JOBend#three\r\nfour\r\n"),
              ElementsAre("text:one", "lineend", "text:two"));
}

TEST(InterpretPrintFileTest, ControlBytesAndVeryLongLinesArePrintedWhole) {
  Interpreter run;
  std::string controls("a\0b\x1A\t\x7F\x81\xFF", 8);
  EXPECT_THAT(run.Run(controls + "\r\n"), ElementsAre("text:" + controls, "lineend"));
  std::string longLine(70000, 'w');
  longLine[40000] = '#';
  longLine[50000] = '#';
  EXPECT_EQ(run.Printed(longLine + "#BOLD#\r\n"), longLine + "\n");
}

TEST(InterpretPrintFileTest, PrinterStateCarriesOverFromOneFileToTheNext) {
  Interpreter run;
  run.Run("#FORM-L008##FONT-1200##BOLD##ITALIC##UNDERLINE#first");
  EXPECT_THAT(run.Run("second"), ElementsAre("text:second", "lineend"));
  EXPECT_EQ(run.printer.calls[0], "bold:0");  // the attributes alone are reset
  EXPECT_FALSE(run.printer.bold || run.printer.italic || run.printer.underline);
  EXPECT_EQ(run.printer.paperSize, 8);
  EXPECT_EQ(run.printer.orientation, 2);
  EXPECT_EQ(run.printer.FontSize(), 12.0f);
}

TEST(InterpretPrintFileTest, AFailingTextOperationIsNotSwallowed) {
  Interpreter run;
  run.printer.failing = {"PrintText"};
  EXPECT_THROW(run.Run("text"), PrinterError);
}

TEST(InterpretPrintFileTest, AnEmptyFilePrintsNothing) {
  Interpreter run;
  EXPECT_TRUE(run.Run("").empty());
}

// Through the program's file table, as the polling cycle calls it.
class RenderPrintFileTest : public ::testing::Test {
 protected:
  testing::TestPlatform test;
  testing::TempDir dir;
};

TEST_F(RenderPrintFileTest, PrintsAFileReadThroughTheFileTable) {
  auto program = test.NewProgram();
  program->state.fontFaceName = "RUZeruzaz Ori";
  std::string path = dir.Write("VK00ABCD.TMP", "Hello\r\n#BOLD#World#form##JOBend#\r\nnot this\r\n");
  EXPECT_EQ(RenderPrintFile(*program, path).kind, RenderOutcome::kPrinted);
  EXPECT_EQ(test.printer.Printed(), "Hello\nWorld<ED>");
  // The file is closed again: it can be opened once more.
  int16_t again = program->files.OpenFileByMode(path, "I", "R", "W", 0);
  EXPECT_NE(again, 0);
  program->files.Close(again);
}

TEST_F(RenderPrintFileTest, AFileThatCannotBeOpenedLeavesThePrinterUntouched) {
  auto program = test.NewProgram();
  EXPECT_EQ(RenderPrintFile(*program, dir / "missing.TMP").kind, RenderOutcome::kNotOpened);
  EXPECT_TRUE(test.printer.calls.empty());
}

TEST_F(RenderPrintFileTest, AFailingPrinterStillClosesTheFile) {
  auto program = test.NewProgram();
  std::string path = dir.Write("VK00ABCE.TMP", "text\r\n");
  test.printer.failing = {"PrintText"};
  RenderOutcome outcome = RenderPrintFile(*program, path);
  EXPECT_EQ(outcome.kind, RenderOutcome::kFailed);
  EXPECT_EQ(outcome.why, "PrintText failed");
  int16_t again = program->files.OpenFileByMode(path, "I", "R", "W", 0);
  EXPECT_NE(again, 0);
  program->files.Close(again);
}

}  // namespace
}  // namespace rizarode
