#pragma once
// A desktop that records what was shown and answers message boxes from a
// script.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "support/event_log.h"

namespace rizarode::testing {

struct ShownBox {
  std::string text;
  int style;
  std::string title;
};

class FakeStatusWindowView : public StatusWindowView {
 public:
  explicit FakeStatusWindowView(EventLog& log) : log_(log) {}
  void SetLabel(StatusLabel label, const std::string& text) override {
    labels[label] = text;
    if (label == StatusLabel::lblStatus) {
      statusHistory.push_back(text);
      log_.Add("status:" + text);
    }
  }
  std::string Label(StatusLabel label) const override {
    auto it = labels.find(label);
    return it == labels.end() ? std::string() : it->second;
  }
  void SetCaption(const std::string& text) override {
    caption = text;
    captionHistory.push_back(text);
    log_.Add("caption:" + text);
  }
  std::string Caption() const override { return caption; }
  void Repaint() override { ++repaints; }
  void Show() override { visible = true; log_.Add("window.show"); }
  void Hide() override { visible = false; log_.Add("window.hide"); }
  bool Visible() const override { return visible; }
  void SetState(WindowState s) override {
    state = s;
    log_.Add(s == WindowState::kMinimized ? "window.minimize" : "window.state");
  }
  WindowState State() const override { return state; }
  int ScreenWidth() const override { return screenWidth; }
  int ScreenHeight() const override { return screenHeight; }
  int WindowWidth() const override { return 5205; }
  int WindowHeight() const override { return 2865; }
  void Move(int l, int t) override { left = l; top = t; ++moves; }
  int TimerInterval() const override { return interval; }
  void SetTimerEnabled(bool enabled) override {
    timerEnabled = enabled;
    log_.Add(enabled ? "timer.on" : "timer.off");
  }
  bool TimerEnabled() const override { return timerEnabled; }

  std::map<StatusLabel, std::string> labels;
  std::vector<std::string> statusHistory;
  std::vector<std::string> captionHistory;
  std::string caption;
  bool visible = false;
  bool timerEnabled = false;
  WindowState state = WindowState::kNormal;
  int screenWidth = 19200, screenHeight = 14400;
  int left = -1, top = -1, moves = 0, repaints = 0;
  int interval = 1000;

 private:
  EventLog& log_;
};

class FakeDesktop : public Desktop {
 public:
  explicit FakeDesktop(EventLog& log) : log_(log) {}

  int MessageBox(const std::string& text, int style, const std::string& title) override {
    boxes.push_back({text, style, title});
    log_.Add("box:" + title);
    if (!answers.empty()) {
      int answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return (style & 7) == kMbYesNo ? kIdNo : kIdOk;
  }
  void DoEvents() override {
    ++doEvents;
    log_.Add("doevents");
    if (onDoEvents) onDoEvents();
  }
  std::unique_ptr<StatusWindowView> CreateStatusWindow(StatusWindowEvents& e) override {
    events = &e;
    auto v = std::make_unique<FakeStatusWindowView>(log_);
    view = v.get();
    log_.Add("window.create");
    return v;
  }
  // Runs timer ticks while the timer is on, at most maxTicks of them.
  [[noreturn]] void RunEventLoop() override {
    for (int i = 0; i < maxTicks; ++i) {
      if (view && view->timerEnabled && events) events->timClock_Timer();
    }
    throw LoopExhausted{};
  }
  struct LoopExhausted {};

  std::vector<ShownBox> boxes;
  std::deque<int> answers;
  int doEvents = 0;
  int maxTicks = 0;
  std::function<void()> onDoEvents;
  FakeStatusWindowView* view = nullptr;
  StatusWindowEvents* events = nullptr;

 private:
  EventLog& log_;
};

}  // namespace rizarode::testing
