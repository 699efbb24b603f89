#pragma once
// Small doubles: window list, launcher, font system, clock, random numbers,
// program information.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/font_system.h"
#include "platform/notifier.h"
#include "platform/process_launcher.h"
#include "platform/program_info.h"
#include "platform/window_list.h"
#include "support/event_log.h"

namespace rizarode::testing {

struct ScriptedWindow {
  WindowHandle handle;
  std::string title;
  ProcessId process = 0;
  bool visible = true;
};

class ScriptedWindowList : public WindowList {
 public:
  explicit ScriptedWindowList(EventLog& log) : log_(log) {}
  std::vector<ScriptedWindow> windows;
  // Called before each First(): lets a test change the list over time.
  std::function<void()> onFirst;

  WindowHandle First() override {
    if (onFirst) onFirst();
    return windows.empty() ? 0 : windows.front().handle;
  }
  WindowHandle Next(WindowHandle h) override {
    for (std::size_t i = 0; i + 1 < windows.size(); ++i) {
      if (windows[i].handle == h) return windows[i + 1].handle;
    }
    return 0;
  }
  std::string Title(WindowHandle h) override { return Find(h).title; }
  ProcessId ProcessOf(WindowHandle h) override { return Find(h).process; }
  bool IsVisible(WindowHandle h) override { return Find(h).visible; }
  void Show(WindowHandle h, int cmd) override {
    log_.Add("windows.show:" + std::to_string(h) + ":" + std::to_string(cmd));
  }
  void SetFocus(WindowHandle h) override { log_.Add("windows.focus:" + std::to_string(h)); }

 private:
  ScriptedWindow Find(WindowHandle h) const {
    for (const auto& w : windows) {
      if (w.handle == h) return w;
    }
    return {0, {}};
  }

  EventLog& log_;
};

class RecordingLauncher : public ProcessLauncher {
 public:
  explicit RecordingLauncher(EventLog& log) : log_(log) {}
  std::vector<std::string> commandLines;
  bool succeed = true;
  ProcessId process = 0;  // what StartedProcess tells
  std::function<void(const std::string&)> onStart;
  bool Start(const std::string& commandLine) override {
    commandLines.push_back(commandLine);
    log_.Add("launch:" + commandLine);
    if (onStart) onStart(commandLine);
    return succeed;
  }
  ProcessId StartedProcess() const override { return process; }
  // The limit of a DOS command line holds unless a test says otherwise.
  bool dosHostRunsItself = true;
  bool RunsDosHostItself(const std::string&) const override { return dosHostRunsItself; }

 private:
  EventLog& log_;
};

class FakeFontSystem : public FontSystem {
 public:
  explicit FakeFontSystem(EventLog& log) : log_(log) {}
  std::string systemDirectory = "/windows";
  std::function<void(const std::string&)> onAddFont;
  std::string SystemDirectory() override { return systemDirectory; }
  int AddFontResource(const std::string& path) override {
    log_.Add("fonts.add:" + path);
    if (onAddFont) onAddFont(path);
    return 1;
  }
  void BroadcastFontChange() override { log_.Add("fonts.broadcast"); }
  bool RequestRestart() override {
    log_.Add("fonts.restart");
    return true;
  }

 private:
  EventLog& log_;
};

// A clock that moves on by step seconds at every reading.
// Keeps every notice shown.
class RecordingNotifier : public Notifier {
 public:
  void Show(const Notice& notice) override { notices.push_back(notice); }
  std::vector<Notice> notices;
};

class FakeClock : public Clock {
 public:
  double now = 36000.0;
  double step = 0.0;
  double SecondsSinceMidnight() override {
    double t = now;
    now += step;
    if (now >= 86400.0) now -= 86400.0;
    return t;
  }
};

class FixedRandom : public RandomSource {
 public:
  explicit FixedRandom(EventLog& log) : log_(log) {}
  std::deque<double> fractions{255.0 / 16777216.0};
  void SeedFromClock() override { log_.Add("random.seed"); }
  double NextFraction() override {
    double r = fractions.front();
    if (fractions.size() > 1) fractions.pop_front();
    return r;
  }

 private:
  EventLog& log_;
};

class FixedProgramInfo : public ProgramInfo {
 public:
  std::string argumentText;
  std::string userLanguage;
  std::string ArgumentText() override { return argumentText; }
  std::string ExecutableName() override { return "RIZARODE"; }
  FileVersion Version() override { return {3, 1, 2}; }
  std::string UserLanguage() override { return userLanguage; }
};

}  // namespace rizarode::testing
