#include "platform/linux/terminal_desktop.h"

#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>

#include "platform/text_encoding.h"

namespace rizarode {
namespace {

std::atomic<int> pendingInterrupts{0};
std::atomic<int> pendingSessionEnd{0};

void OnInterrupt(int) { pendingInterrupts.fetch_add(1); }
void OnSessionEnd(int) { pendingSessionEnd.store(1); }

void InstallSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  action.sa_handler = OnSessionEnd;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

bool IsYesNo(int style) { return (style & 7) == kMbYesNo; }

const char* IconWord(int style) {
  switch (style & 0x70) {
    case kMbIconCritical: return "[error] ";
    case kMbIconQuestion: return "[question] ";
    case kMbIconExclamation: return "[warning] ";
    case kMbIconInformation: return "[information] ";
    default: return "";
  }
}

double MonotonicSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

}  // namespace

std::string FormatMessageBox(const std::string& text, int style,
                             const std::string& title) {
  std::string out = "== " + std::string(IconWord(style)) + DisplayText(title) + " ==\n";
  out += DisplayText(text);
  if (out.back() != '\n') out += '\n';
  out += IsYesNo(style) ? "[Yes] [No]\n" : "[OK]\n";
  return out;
}

// The status window as one line on standard error: rewritten in place on a
// terminal, one line per change otherwise.
class TerminalDesktop::View : public StatusWindowView {
 public:
  View(TerminalDesktop& owner) : owner_(owner) {}
  ~View() override {
    if (owner_.view_ == this) owner_.view_ = nullptr;
  }

  void SetLabel(StatusLabel label, const std::string& text) override {
    labels_[static_cast<int>(label)] = text;
  }
  std::string Label(StatusLabel label) const override {
    return labels_[static_cast<int>(label)];
  }
  void SetCaption(const std::string& caption) override {
    caption_ = caption;
    Repaint();
  }
  std::string Caption() const override { return caption_; }

  void Repaint() override {
    std::string line = "[" + Cp1252ToUtf8(caption_) + "] " +
                       Cp1252ToUtf8(labels_[static_cast<int>(StatusLabel::lblStatus)]);
    if (line == lastLine_) return;
    lastLine_ = line;
    if (isatty(fileno(owner_.err_))) {
      std::fprintf(owner_.err_, "\r\033[K%s", line.c_str());
      lineOpen_ = true;
    } else {
      std::fprintf(owner_.err_, "%s\n", line.c_str());
    }
    std::fflush(owner_.err_);
  }
  void EndLine() {
    if (lineOpen_) std::fputc('\n', owner_.err_);
    lineOpen_ = false;
    lastLine_.clear();
  }

  void Show() override { visible_ = true; }
  void Hide() override { visible_ = false; }
  bool Visible() const override { return visible_; }
  void SetState(WindowState state) override { state_ = state; }
  WindowState State() const override { return state_; }

  int ScreenWidth() const override { return 80 * 120; }
  int ScreenHeight() const override { return 25 * 240; }
  int WindowWidth() const override { return 5205; }
  int WindowHeight() const override { return 2865; }
  void Move(int, int) override {}

  int TimerInterval() const override { return 1000; }
  void SetTimerEnabled(bool enabled) override { timerEnabled_ = enabled; }
  bool TimerEnabled() const override { return timerEnabled_; }

  StatusWindowEvents* events = nullptr;

 private:
  TerminalDesktop& owner_;
  std::string labels_[8];
  std::string caption_;
  std::string lastLine_;
  bool lineOpen_ = false;
  bool visible_ = false;
  bool timerEnabled_ = false;
  WindowState state_ = WindowState::kNormal;
};

TerminalDesktop::TerminalDesktop(std::FILE* in, std::FILE* err)
    : in_(in), err_(err) {
  InstallSignalHandlers();
}

TerminalDesktop::~TerminalDesktop() = default;

int TerminalDesktop::MessageBox(const std::string& text, int style,
                                const std::string& title) {
  if (view_) view_->EndLine();
  std::fputs(FormatMessageBox(text, style, title).c_str(), err_);
  bool yesNo = IsYesNo(style);
  int defaultAnswer = yesNo ? kIdNo : kIdOk;
  if (in_ == nullptr || !isatty(fileno(in_))) {
    std::fprintf(err_, "-> %s\n", yesNo ? "No" : "OK");
    std::fflush(err_);
    return defaultAnswer;
  }
  for (;;) {
    std::fputs(yesNo ? "Yes or No? " : "Press Enter. ", err_);
    std::fflush(err_);
    char answer[64];
    if (std::fgets(answer, sizeof answer, in_) == nullptr) return defaultAnswer;
    if (!yesNo) return kIdOk;
    char first = static_cast<char>(std::toupper(static_cast<unsigned char>(answer[0])));
    if (first == 'Y' || first == 'J') return kIdYes;
    if (first == 'N') return kIdNo;
  }
}

void TerminalDesktop::DeliverSignals() {
  if (pendingSessionEnd.exchange(0) != 0 && events_) {
    bool cancel = false;
    events_->Form_QueryUnload(cancel, kUnloadSessionEnd);
    if (!cancel) {
      if (view_) view_->EndLine();
      events_->Form_Unload();
    }
  }
  while (pendingInterrupts.load() > 0) {
    pendingInterrupts.fetch_sub(1);
    if (!events_) continue;
    bool cancel = false;
    events_->Form_QueryUnload(cancel, kUnloadControlMenu);
    if (!cancel) events_->Form_Unload();
  }
}

void TerminalDesktop::DoEvents() { DeliverSignals(); }

std::unique_ptr<StatusWindowView> TerminalDesktop::CreateStatusWindow(
    StatusWindowEvents& events) {
  auto view = std::make_unique<View>(*this);
  view_ = view.get();
  events_ = &events;
  return view;
}

void TerminalDesktop::RunEventLoop() {
  double nextTick = MonotonicSeconds() + 1.0;
  for (;;) {
    DeliverSignals();
    double now = MonotonicSeconds();
    if (now < nextTick) {
      int wait = static_cast<int>((nextTick - now) * 1000) + 1;
      poll(nullptr, 0, wait);  // a signal cuts the wait short
      continue;
    }
    int interval = view_ ? view_->TimerInterval() : 1000;
    nextTick = now + interval / 1000.0;
    if (view_ && view_->TimerEnabled() && events_) events_->timClock_Timer();
  }
}

}  // namespace rizarode
