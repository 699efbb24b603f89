#include "platform/win32/win32_desktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/status_window_design.h"
#include "platform/win32/windows_api.h"
#include "printing/status_window.h"
#include "support/test_platform.h"

namespace rizarode {
namespace {

using testing::EndCodeOf;
using testing::TestPlatform;

struct SeenBox {
  std::string title;
  std::string text;
  bool hasOk = false, hasYes = false, hasNo = false;
};

std::string WindowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

SeenBox Inspect(HWND box) {
  SeenBox seen;
  seen.title = WindowText(box);
  // The text is the one static control that has any.
  EnumChildWindows(
      box,
      [](HWND child, LPARAM data) -> BOOL {
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        std::string text = WindowText(child);
        if (lstrcmpiA(className, "Static") == 0 && !text.empty()) {
          reinterpret_cast<SeenBox*>(data)->text = text;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&seen));
  auto has = [box](int id) {
    HWND button = GetDlgItem(box, id);
    return button && IsWindowVisible(button);
  };
  seen.hasOk = has(IDOK);
  seen.hasYes = has(IDYES);
  seen.hasNo = has(IDNO);
  return seen;
}

Win32Desktop* watchedDesktop = nullptr;

// The status window and message boxes on the Win32 desktop; every message
// box is looked at and answered as soon as it is on the screen.
class Win32DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    desktop_ = std::make_unique<Win32Desktop>("RIZARODE");
    desktop_->SetMessageBoxShownHook([this](HWND__* box) {
      boxes_.push_back(Inspect(box));
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, answer_)));
    });
    platform_ = std::make_unique<Platform>(Platform{
        *desktop_, t_.windows, t_.launcher, t_.files, t_.registry, t_.fonts,
        t_.clock, t_.random, t_.info});
    program_ = std::make_unique<Program>(*platform_, t_.printer);
    // Whatever goes wrong, a test ends within a minute.
    watchedDesktop = desktop_.get();
    watchdog_ = SetTimer(nullptr, 0, 60000, [](HWND, UINT, UINT_PTR, DWORD) {
      watchedDesktop->RunHandler([] { throw std::runtime_error("the test took too long"); });
    });
  }
  void TearDown() override {
    KillTimer(nullptr, watchdog_);
    program_.reset();
  }

  Win32StatusWindowView& View() {
    return dynamic_cast<Win32StatusWindowView&>(StatusWindow(*program_).View());
  }
  // Runs window events until the condition holds.
  template <typename Condition>
  void SpinUntil(Condition done) {
    while (!done()) {
      desktop_->DoEvents();
      Sleep(10);
    }
  }

  TestPlatform t_;
  std::unique_ptr<Win32Desktop> desktop_;
  std::unique_ptr<Platform> platform_;
  std::unique_ptr<Program> program_;
  std::vector<SeenBox> boxes_;
  int answer_ = IDOK;
  UINT_PTR watchdog_ = 0;
};

TEST_F(Win32DesktopTest, TheStatusWindowIsLaidOutAsDesignedAndKeeps8BitTexts) {
  t_.printer.deviceName = "Kantoor \xE9\xE9n";
  Win32StatusWindowView& view = View();
  HWND window = view.Window();
  EXPECT_FALSE(view.Visible());
  EXPECT_EQ(WindowText(window), "RIZARODE");

  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, view.Pixels(kStatusClientWidth));
  EXPECT_EQ(client.bottom, view.Pixels(kStatusClientHeight));
  for (const LabelDesign& design : kStatusWindowDesign) {
    HWND label = view.LabelWindow(design.label);
    const LabelBox box = PlacedBox(design);
    RECT r{};
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, view.Pixels(box.left)) << design.caption;
    EXPECT_EQ(r.top, view.Pixels(box.top)) << design.caption;
    EXPECT_EQ(r.right - r.left, view.Pixels(box.width)) << design.caption;
  }
  EXPECT_EQ(WindowText(view.LabelWindow(StatusLabel::lblTekstVersie)), "Versie");
  EXPECT_EQ(WindowText(view.LabelWindow(StatusLabel::lblPrinter)), "Kantoor \xE9\xE9n");

  view.Show();
  ShowStatus(*program_, "Afdrukken be\xEB" "indigd", "", 1);
  EXPECT_EQ(WindowText(window), "Afdrukken be\xEB" "indigd");
  EXPECT_EQ(WindowText(view.LabelWindow(StatusLabel::lblStatus)), "Afdrukken be\xEB" "indigd");

  // Start-up hides the window, then minimizes it: it stays off the screen.
  view.Hide();
  view.SetState(WindowState::kMinimized);
  desktop_->DoEvents();
  EXPECT_FALSE(IsWindowVisible(window));
  view.Show();
  EXPECT_TRUE(IsIconic(window));
}

TEST_F(Win32DesktopTest, TheCloseButtonIsRefusedWithAWarning) {
  program_->state.languageCode = "GB";
  Win32StatusWindowView& view = View();
  view.Show();
  PostMessageA(view.Window(), WM_CLOSE, 0, 0);
  SpinUntil([&] { return !boxes_.empty(); });
  desktop_->DoEvents();
  EXPECT_EQ(boxes_[0].title, "RIZARODE");
  EXPECT_TRUE(boxes_[0].hasOk);
  EXPECT_FALSE(boxes_[0].hasYes);
  EXPECT_EQ(boxes_[0].text,
            "You cannot quit this application in this manner.\r\r"
            "If you quit VELDRAK this application will be ended automatically.\r\r");
  EXPECT_TRUE(IsWindowVisible(view.Window()));

  // Before the language is known the refusal is silent.
  program_->state.languageCode.clear();
  SendMessageA(view.Window(), WM_CLOSE, 0, 0);
  desktop_->DoEvents();
  EXPECT_EQ(boxes_.size(), 1u);
  EXPECT_TRUE(IsWindowVisible(view.Window()));
}

TEST_F(Win32DesktopTest, MessageBoxesHaveTheButtonsOfTheirStyle) {
  answer_ = IDNO;
  EXPECT_EQ(desktop_->MessageBox("Opnieuw opstarten?\rNu", 36, "Lettertype ge\xEFnstalleerd"),
            kIdNo);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_TRUE(boxes_[0].hasYes && boxes_[0].hasNo);
  EXPECT_FALSE(boxes_[0].hasOk);
  EXPECT_EQ(boxes_[0].title, "Lettertype ge\xEFnstalleerd");
  EXPECT_EQ(boxes_[0].text, "Opnieuw opstarten?\rNu");
  answer_ = IDYES;
  EXPECT_EQ(desktop_->MessageBox("Opnieuw opstarten?", 36, "T"), kIdYes);
  answer_ = IDOK;
  EXPECT_EQ(desktop_->MessageBox("Geen printer", 16, "T"), kIdOk);
  EXPECT_TRUE(boxes_.back().hasOk);
  EXPECT_FALSE(boxes_.back().hasNo);
}

TEST_F(Win32DesktopTest, TheEndOfTheSessionEndsTheProgram) {
  View().Show();
  EXPECT_EQ(SendMessageA(View().Window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  EXPECT_EQ(EndCodeOf([&] { desktop_->RunEventLoop(); }),
            static_cast<int>(ExitCode::kSessionEnded));
  EXPECT_TRUE(boxes_.empty());
}

// Counts ticks and ends the program after the second.
struct TickCounter : StatusWindowEvents {
  void Form_QueryUnload(bool& cancel, int) override { cancel = true; }
  void Form_Unload() override {}
  void timClock_Timer() override {
    if (++ticks == 2) throw ProgramEnded{ExitCode::kNormal};
  }
  int ticks = 0;
};

TEST_F(Win32DesktopTest, TimerTicksRunTheLoopUntilAHandlerEndsTheProgram) {
  TickCounter events;
  auto view = desktop_->CreateStatusWindow(events);
  view->Show();
  desktop_->DoEvents();
  EXPECT_FALSE(view->TimerEnabled()) << "the timer is off until start-up switches it on";
  view->SetTimerEnabled(true);
  EXPECT_EQ(EndCodeOf([&] { desktop_->RunEventLoop(); }), 0);
  EXPECT_EQ(events.ticks, 2);
  // The desktop is usable afterwards.
  EXPECT_NO_THROW(desktop_->DoEvents());
}

// A tick that runs a message loop of its own, in which the timer's next
// message is dispatched; the program ends at the second tick that runs.
struct ReenteredTicks : StatusWindowEvents {
  void Form_QueryUnload(bool& cancel, int) override { cancel = true; }
  void Form_Unload() override {}
  void timClock_Timer() override {
    ++running;
    deepest = std::max(deepest, running);
    if (++ticks == 1) SendMessageA(window, WM_TIMER, 1, 0);
    --running;
    if (ticks == 2) throw ProgramEnded{ExitCode::kNormal};
  }
  HWND window = nullptr;
  int running = 0, deepest = 0, ticks = 0;
};

TEST_F(Win32DesktopTest, ATickDoesNotStartInsideAnother) {
  ReenteredTicks events;
  auto view = desktop_->CreateStatusWindow(events);
  events.window = dynamic_cast<Win32StatusWindowView&>(*view).Window();
  view->SetTimerEnabled(true);
  EXPECT_EQ(EndCodeOf([&] { desktop_->RunEventLoop(); }), 0);
  EXPECT_EQ(events.deepest, 1);
}

}  // namespace
}  // namespace rizarode
