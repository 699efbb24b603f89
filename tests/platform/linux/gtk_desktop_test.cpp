#include "platform/linux/gtk_desktop.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "platform/linux/program_icon.h"
#include "printing/status_window.h"
#include "support/test_platform.h"

namespace rizarode {
namespace {

using testing::EndCodeOf;
using testing::TestPlatform;

struct SeenDialog {
  std::string title;
  std::string text;
  GtkMessageType type = GTK_MESSAGE_OTHER;
  bool hasOk = false;
  bool hasYes = false;
  bool hasNo = false;
};

SeenDialog Inspect(GtkWidget* dialog) {
  SeenDialog seen;
  seen.title = gtk_window_get_title(GTK_WINDOW(dialog));
  gchar* text = nullptr;
  g_object_get(dialog, "text", &text, "message-type", &seen.type, nullptr);
  seen.text = text ? text : "";
  g_free(text);
  seen.hasOk = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  seen.hasYes = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_YES);
  seen.hasNo = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_NO);
  return seen;
}

// A program on the GTK desktop; every message dialog is looked at and
// answered as soon as it is on the screen, so no test waits for a person.
class GtkDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display || !GtkDesktop::OpenDisplay()) {
      GTEST_SKIP() << "no X display";
    }
    desktop_ = std::make_unique<GtkDesktop>("RIZARODE");
    desktop_->SetDialogShownHook([this](GtkWidget* dialog) {
      dialogs_.push_back(Inspect(dialog));
      gtk_dialog_response(GTK_DIALOG(dialog), answer_);
    });
    platform_ = std::make_unique<Platform>(Platform{
        *desktop_, t_.windows, t_.launcher, t_.files, t_.registry, t_.fonts,
        t_.clock, t_.random, t_.info});
    program_ = std::make_unique<Program>(*platform_, t_.printer);
    // Whatever goes wrong, a test ends within a minute.
    watchdog_ = g_timeout_add_seconds(60, Watchdog, desktop_.get());
  }
  void TearDown() override {
    if (watchdog_) g_source_remove(watchdog_);
    program_.reset();
  }

  static gboolean Watchdog(gpointer desktop) {
    static_cast<GtkDesktop*>(desktop)->RunHandler(
        [] { throw std::runtime_error("the test took too long"); });
    return G_SOURCE_REMOVE;
  }

  GtkStatusWindowView& View() {
    return dynamic_cast<GtkStatusWindowView&>(StatusWindow(*program_).View());
  }
  std::string LabelText(StatusLabel label) {
    return gtk_label_get_text(GTK_LABEL(View().LabelWidget(label)));
  }
  // Runs window events for a while.
  void Spin(double seconds) {
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
      desktop_->DoEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  TestPlatform t_;
  std::unique_ptr<GtkDesktop> desktop_;
  std::unique_ptr<Platform> platform_;
  std::unique_ptr<Program> program_;
  std::vector<SeenDialog> dialogs_;
  int answer_ = GTK_RESPONSE_OK;
  guint watchdog_ = 0;
};

TEST_F(GtkDesktopTest, WindowOpensWithItsTitleAndLabels) {
  t_.printer.deviceName = "Kantoor \xE9\xE9n";
  program_->state.debugFlags = kDebugInfo;
  GtkStatusWindowView& view = View();
  GtkWindow* window = GTK_WINDOW(view.Window());
  EXPECT_FALSE(view.Visible());
  EXPECT_STREQ(gtk_window_get_title(window), "RIZARODE");

  view.Show();
  Spin(0.3);
  EXPECT_TRUE(gtk_widget_get_mapped(view.Window()));
  ShowStatus(*program_, "Initialiseren", "", 1);
  EXPECT_STREQ(gtk_window_get_title(window), "Initialiseren");
  EXPECT_EQ(LabelText(StatusLabel::lblStatus), "Initialiseren");
  EXPECT_EQ(LabelText(StatusLabel::Label2), "VELDRAK");
  EXPECT_EQ(LabelText(StatusLabel::lblTekstVersie), "Versie");
  EXPECT_EQ(LabelText(StatusLabel::lblVersie), "3.0b  (3.1.2)");
  EXPECT_EQ(LabelText(StatusLabel::lblPrinter), "Kantoor \xC3\xA9\xC3\xA9n");
  EXPECT_EQ(view.Label(StatusLabel::lblPrinter), "Kantoor \xE9\xE9n");

  // Laid out from the design: the client area and the labels in twips.
  GtkAllocation area{};
  gtk_widget_get_allocation(gtk_bin_get_child(GTK_BIN(window)), &area);
  EXPECT_EQ(area.width, view.Pixels(5205));
  EXPECT_EQ(area.height, view.Pixels(2865));
  const int clientWidth = area.width;
  gtk_widget_get_allocation(view.LabelWidget(StatusLabel::lblStatus), &area);
  EXPECT_EQ(area.width, view.Pixels(4332));
  EXPECT_EQ(area.x, view.Pixels(840));
  EXPECT_EQ(area.y, view.Pixels(2520));
  // The heading stands in the middle, inside the window, in whatever face
  // stands in for Arial here.
  GtkWidget* heading = view.LabelWidget(StatusLabel::Label2);
  gtk_widget_get_allocation(heading, &area);
  int textWidth = 0;
  pango_layout_get_pixel_size(gtk_label_get_layout(GTK_LABEL(heading)), &textWidth, nullptr);
  const int left = area.x + (area.width - textWidth) / 2;
  const int right = clientWidth - left - textWidth;
  EXPECT_GT(left, 0);
  EXPECT_NEAR(left, right, 1);
  // The program's icon, every size of it, on every window.
  GList* icons = gtk_window_get_default_icon_list();
  EXPECT_EQ(g_list_length(icons), ProgramIcon().size());
  g_list_free(icons);

  // Centred on the screen by Form_Load.
  int x = 0, y = 0;
  gtk_window_get_position(window, &x, &y);
  EXPECT_NEAR(x, view.Pixels((view.ScreenWidth() - view.WindowWidth()) / 2), 2);
}

TEST_F(GtkDesktopTest, HideAndMinimizeAsStartUpAsks) {
  GtkStatusWindowView& view = View();
  view.Show();
  Spin(0.2);
  view.Hide();
  view.SetState(WindowState::kMinimized);
  Spin(0.2);
  EXPECT_FALSE(view.Visible());
  EXPECT_EQ(view.State(), WindowState::kMinimized);
}

TEST_F(GtkDesktopTest, TheCloseButtonIsRefusedWithAWarning) {
  program_->state.languageCode = "GB";
  GtkStatusWindowView& view = View();
  view.Show();
  Spin(0.2);
  gtk_window_close(GTK_WINDOW(view.Window()));
  Spin(0.3);
  ASSERT_EQ(dialogs_.size(), 1u);
  EXPECT_EQ(dialogs_[0].title, "RIZARODE");
  EXPECT_EQ(dialogs_[0].type, GTK_MESSAGE_WARNING);
  EXPECT_TRUE(dialogs_[0].hasOk);
  EXPECT_FALSE(dialogs_[0].hasYes);
  EXPECT_EQ(dialogs_[0].text,
            "You cannot quit this application in this manner.\n\n"
            "If you quit VELDRAK this application will be ended automatically.\n\n");
  EXPECT_TRUE(view.Visible());

  // Before the language is known the refusal is silent.
  program_->state.languageCode.clear();
  gtk_window_close(GTK_WINDOW(view.Window()));
  Spin(0.3);
  EXPECT_EQ(dialogs_.size(), 1u);
  EXPECT_TRUE(view.Visible());
}

TEST_F(GtkDesktopTest, MessageBoxesCarryTheIconAndButtonsOfTheirStyle) {
  struct Case {
    int style;
    GtkMessageType type;
    bool yesNo;
  } cases[] = {{0, GTK_MESSAGE_OTHER, false},     {16, GTK_MESSAGE_ERROR, false},
               {36, GTK_MESSAGE_QUESTION, true},  {48, GTK_MESSAGE_WARNING, false},
               {64, GTK_MESSAGE_INFO, false}};
  for (const Case& c : cases) {
    answer_ = c.yesNo ? GTK_RESPONSE_YES : GTK_RESPONSE_OK;
    int button = desktop_->MessageBox("Line 1\rM\xF6glich", c.style, " \xC4nderung");
    EXPECT_EQ(button, c.yesNo ? kIdYes : kIdOk) << c.style;
    ASSERT_FALSE(dialogs_.empty());
    EXPECT_EQ(dialogs_.back().type, c.type) << c.style;
    EXPECT_EQ(dialogs_.back().hasYes, c.yesNo) << c.style;
    EXPECT_EQ(dialogs_.back().hasNo, c.yesNo) << c.style;
    EXPECT_EQ(dialogs_.back().hasOk, !c.yesNo) << c.style;
    EXPECT_EQ(dialogs_.back().text, "Line 1\nM\xC3\xB6glich");
    EXPECT_EQ(dialogs_.back().title, " \xC3\x84nderung");
  }
  // Closing a Yes/No box without a button is No.
  answer_ = GTK_RESPONSE_DELETE_EVENT;
  EXPECT_EQ(desktop_->MessageBox("Restart?", 36, "T"), kIdNo);
  answer_ = GTK_RESPONSE_NO;
  EXPECT_EQ(desktop_->MessageBox("Restart?", 36, "T"), kIdNo);
}

// Counts ticks and ends the program after the third.
struct TickCounter : StatusWindowEvents {
  void Form_QueryUnload(bool& cancel, int) override { cancel = true; }
  void Form_Unload() override {}
  void timClock_Timer() override {
    times.push_back(std::chrono::steady_clock::now());
    if (times.size() == 3) throw ProgramEnded{ExitCode::kNormal};
  }
  std::vector<std::chrono::steady_clock::time_point> times;
};

TEST_F(GtkDesktopTest, TimerTicksOnceASecondAfterItIsSwitchedOn) {
  TickCounter events;
  auto view = desktop_->CreateStatusWindow(events);
  view->Show();
  Spin(1.3);
  EXPECT_TRUE(events.times.empty()) << "the timer is off until start-up switches it on";

  view->SetTimerEnabled(true);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(EndCodeOf([&] { desktop_->RunEventLoop(); }), 0);
  ASSERT_EQ(events.times.size(), 3u);
  for (const auto& tick : events.times) {
    std::chrono::duration<double> since = tick - start;
    start = tick;
    EXPECT_GE(since.count(), 0.9);
  }
}

TEST_F(GtkDesktopTest, WhatAHandlerThrowsComesOutOfTheLoopThatRanIt) {
  struct Throwing : StatusWindowEvents {
    void Form_QueryUnload(bool&, int) override { throw std::runtime_error("from a handler"); }
    void Form_Unload() override {}
    void timClock_Timer() override {}
  } events;
  auto view = desktop_->CreateStatusWindow(events);
  view->Show();
  Spin(0.2);
  gtk_window_close(GTK_WINDOW(dynamic_cast<GtkStatusWindowView&>(*view).Window()));
  EXPECT_THROW(Spin(1.0), std::runtime_error);
  // The desktop is usable afterwards.
  EXPECT_NO_THROW(desktop_->DoEvents());
}

TEST_F(GtkDesktopTest, TheEndOfTheSessionClosesTheWindowAndEndsTheProgram) {
  program_->state.languageCode = "NL";
  View().Show();
  Spin(0.2);
  ::raise(SIGINT);  // the user's close request: refused
  Spin(0.3);
  EXPECT_EQ(dialogs_.size(), 1u);
  ::raise(SIGTERM);
  EXPECT_EQ(EndCodeOf([&] { Spin(1.0); }), static_cast<int>(ExitCode::kSessionEnded));
}

}  // namespace
}  // namespace rizarode
