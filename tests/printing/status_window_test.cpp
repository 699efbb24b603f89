#include "printing/status_window.h"

#include <gtest/gtest.h>

#include "support/test_platform.h"

namespace rizarode {
namespace {

using testing::EndCodeOf;
using testing::FakeStatusWindowView;
using testing::TestPlatform;

class StatusWindowTest : public ::testing::Test {
 protected:
  Program& NewProgram(int16_t debugFlags = 0, const std::string& language = "NL") {
    program_ = t_.NewProgram();
    program_->state.debugFlags = debugFlags;
    program_->state.languageCode = language;
    return *program_;
  }
  FakeStatusWindowView& View() { return *t_.desktop.view; }

  TestPlatform t_;
  std::unique_ptr<Program> program_;
};

TEST_F(StatusWindowTest, LoadFillsTheLabelsAndCentresTheWindow) {
  t_.printer.deviceName = "Kantoor \xC9\xE9n";
  Program& program = NewProgram();
  StatusWindow(program);
  EXPECT_EQ(View().Label(StatusLabel::Label2), "VELDRAK");
  EXPECT_EQ(View().Label(StatusLabel::lblTekstVersie), "Versie");
  EXPECT_EQ(View().Label(StatusLabel::lblPrinterTekst), "Printer:");
  EXPECT_EQ(View().Label(StatusLabel::lblStatusTekst), "Status:");
  EXPECT_FALSE(View().Label(StatusLabel::Label1).empty());
  EXPECT_EQ(View().Label(StatusLabel::lblPrinter), "Kantoor \xC9\xE9n");
  EXPECT_EQ(View().Label(StatusLabel::lblVersie), "3.0b");
  EXPECT_EQ(View().Label(StatusLabel::lblStatus), "");
  // (19200 - 5205) / 2 = 6997.5 and (14400 - 2865) / 2 = 5767.5: halves
  // go to the even neighbour.
  EXPECT_EQ(View().left, 6998);
  EXPECT_EQ(View().top, 5768);
  EXPECT_FALSE(View().visible);
  EXPECT_FALSE(View().timerEnabled);
}

TEST_F(StatusWindowTest, DebugInformationAddsTheFileVersionToTheVersionLabel) {
  StatusWindow(NewProgram(kDebugInfo | kDebugCourierNew));
  EXPECT_EQ(View().Label(StatusLabel::lblVersie), "3.0b  (3.1.2)");
}

TEST_F(StatusWindowTest, CenterFormLeavesAWindowThatIsNotNormalAlone) {
  StatusWindow(NewProgram());
  FakeStatusWindowView& view = View();
  int moves = view.moves;
  for (WindowState state : {WindowState::kMinimized, WindowState::kMaximized}) {
    view.state = state;
    CenterForm(view);
  }
  EXPECT_EQ(view.moves, moves);
  view.state = WindowState::kNormal;
  view.screenWidth = 5205 + 101;
  view.screenHeight = 2865 + 2;
  CenterForm(view);
  EXPECT_EQ(view.left, 50);  // 50.5 goes to 50
  EXPECT_EQ(view.top, 1);
}

TEST_F(StatusWindowTest, ShowStatusFollowsTheFlagsAndTheDebugFlag) {
  {
    Program& program = NewProgram(0);
    ShowStatus(program, "debug only", "caption", 0);
    // Not even created: a debug text without debug flag changes nothing.
    EXPECT_FALSE(program.HasStatusWindow());
    ShowStatus(program, "always", "", 1);
    EXPECT_EQ(View().Label(StatusLabel::lblStatus), "always");
    EXPECT_EQ(View().caption, "always");
    EXPECT_GT(View().repaints, 0);
    ShowStatus(program, "Waiting for print job: 00:00:07", "Waiting for print job", 1);
    EXPECT_EQ(View().Label(StatusLabel::lblStatus), "Waiting for print job: 00:00:07");
    EXPECT_EQ(View().caption, "Waiting for print job");
    ShowStatus(program, "hidden", "", 0);
    ShowStatus(program, "odd flags", "", 2);  // only bit 1 counts
    EXPECT_EQ(View().statusHistory,
              (std::vector<std::string>{"always", "Waiting for print job: 00:00:07"}));
    // ShowStatus never shows the window.
    EXPECT_FALSE(View().visible);
  }
  {
    Program& program = NewProgram(kDebugInfo);
    ShowStatus(program, "Installing font 1", "", 1);
    ShowStatus(program, "debug text", "ignored caption", 0);
    EXPECT_EQ(View().Label(StatusLabel::lblStatus), "debug text");
    EXPECT_EQ(View().caption, "Installing font 1");
    EXPECT_EQ(View().captionHistory, std::vector<std::string>{"Installing font 1"});
    ShowStatus(program, "odd", "", 3);
    EXPECT_EQ(View().caption, "odd");
  }
}

TEST(FormatElapsedTest, TwoDigitsEachWithHoursWrappingAtOneHundred) {
  EXPECT_EQ(FormatElapsed(0), "00:00:00");
  EXPECT_EQ(FormatElapsed(59), "00:00:59");
  EXPECT_EQ(FormatElapsed(60), "00:01:00");
  EXPECT_EQ(FormatElapsed(3600), "01:00:00");
  EXPECT_EQ(FormatElapsed(3725), "01:02:05");
  EXPECT_EQ(FormatElapsed(86399), "23:59:59");
  EXPECT_EQ(FormatElapsed(25 * 3600), "25:00:00");
  EXPECT_EQ(FormatElapsed(100 * 3600), "00:00:00");
  EXPECT_EQ(FormatElapsed(100 * 3600 + 61), "00:01:01");
  EXPECT_EQ(FormatElapsed(32767 * 3600 + 3599), "67:59:59");
}

TEST_F(StatusWindowTest, TheUserCannotCloseTheWindowInAnyLanguage) {
  struct Case {
    const char* language;
    const char* firstWords;  // of the message, or nullptr for none
  } cases[] = {{"NL", "Deze applicatie"}, {"ORV", "Deze applicatie"},
               {"F", "Deze applicatie"},  {"D", "Diese Applikation"},
               {"GB", "You cannot quit"}, {"", nullptr}};
  for (const Case& c : cases) {
    TestPlatform t;
    auto program = t.NewProgram();
    program->state.languageCode = c.language;
    bool cancel = false;
    StatusWindow(*program).Form_QueryUnload(cancel, kUnloadControlMenu);
    EXPECT_TRUE(cancel) << c.language;
    if (!c.firstWords) {
      EXPECT_TRUE(t.desktop.boxes.empty());
      continue;
    }
    ASSERT_EQ(t.desktop.boxes.size(), 1u) << c.language;
    EXPECT_EQ(t.desktop.boxes[0].text.rfind(c.firstWords, 0), 0u) << c.language;
    EXPECT_EQ(t.desktop.boxes[0].style, 48);
    EXPECT_EQ(t.desktop.boxes[0].title, "RIZARODE");
  }
}

TEST_F(StatusWindowTest, OtherCloseReasonsGoAheadAndEndTheSession) {
  Program& program = NewProgram(0, "GB");
  FrmAbout& form = StatusWindow(program);
  bool cancel = false;
  form.Form_QueryUnload(cancel, kUnloadSessionEnd);
  EXPECT_FALSE(cancel);
  EXPECT_TRUE(t_.desktop.boxes.empty());
  EXPECT_EQ(EndCodeOf([&] { form.Form_Unload(); }), static_cast<int>(ExitCode::kSessionEnded));
}

}  // namespace
}  // namespace rizarode
