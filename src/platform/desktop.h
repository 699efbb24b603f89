#pragma once
// The window system as the program sees it: message boxes, the one status
// window with its labels and timer, and the event loop.

#include <cstdio>
#include <memory>
#include <string>

#include "base/text_encoding.h"

namespace rizarode {

// Message box styles: buttons plus icon, added together.
inline constexpr int kMbOk = 0;
inline constexpr int kMbYesNo = 4;
inline constexpr int kMbIconCritical = 16;
inline constexpr int kMbIconQuestion = 32;
inline constexpr int kMbIconExclamation = 48;
inline constexpr int kMbIconInformation = 64;

// Buttons a message box answers with.
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Why the status window is asked to close.
inline constexpr int kUnloadControlMenu = 0;  // the user, close button
inline constexpr int kUnloadSessionEnd = 2;   // shutdown or log-off

enum class WindowState { kNormal, kMinimized, kMaximized };

// The labels of the status window, by their control names.
enum class StatusLabel {
  Label2,
  Label1,
  lblTekstVersie,
  lblVersie,
  lblPrinterTekst,
  lblPrinter,
  lblStatusTekst,
  lblStatus,
};

// What the status window's owner answers to its events.
class StatusWindowEvents {
 public:
  virtual ~StatusWindowEvents() = default;
  virtual void Form_QueryUnload(bool& cancel, int unloadMode) = 0;
  // The close went ahead: the window, and with it the program, ends.
  virtual void Form_Unload() = 0;
  virtual void timClock_Timer() = 0;
};

// The platform's half of the status window. Texts are 8-bit (Windows-1252).
class StatusWindowView {
 public:
  virtual ~StatusWindowView() = default;
  virtual void SetLabel(StatusLabel label, const std::string& text) = 0;
  virtual std::string Label(StatusLabel label) const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  // Paints at once, without letting other events run.
  virtual void Repaint() = 0;

  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;
  virtual void SetState(WindowState state) = 0;
  virtual WindowState State() const = 0;

  // Geometry in twips.
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  virtual int WindowWidth() const = 0;
  virtual int WindowHeight() const = 0;
  virtual void Move(int left, int top) = 0;

  virtual int TimerInterval() const = 0;
  virtual void SetTimerEnabled(bool enabled) = 0;
  virtual bool TimerEnabled() const = 0;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  // Shows a modal box; text and title are 8-bit, CR breaks lines.
  // Returns the button pressed (kIdOk, kIdYes, kIdNo).
  virtual int MessageBox(const std::string& text, int style,
                         const std::string& title) = 0;

  // Tells the user something without waiting for an answer, for when
  // nothing may wait (the session ends): by default on standard error.
  virtual void Notify(const std::string& text, const std::string& title) {
    std::fprintf(stderr, "%s: %s\n", DisplayText(title).c_str(), DisplayText(text).c_str());
    std::fflush(stderr);
  }

  // Lets pending window events run once.
  virtual void DoEvents() = 0;

  // Creates the status window, not yet shown, its timer off.
  virtual std::unique_ptr<StatusWindowView> CreateStatusWindow(
      StatusWindowEvents& events) = 0;

  // Runs window events and timer ticks until the program ends. The program
  // ends by throwing ProgramEnded from an event handler; the loop carries
  // that exception out to its caller, so this never returns normally.
  [[noreturn]] virtual void RunEventLoop() = 0;
};

}  // namespace rizarode
