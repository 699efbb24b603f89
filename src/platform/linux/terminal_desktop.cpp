#include "platform/linux/terminal_desktop.h"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>

#include "base/text_encoding.h"

namespace rizarode {
namespace {

std::atomic<int> pendingInterrupts{0};
std::atomic<int> pendingSessionEnd{0};

void OnInterrupt(int) { pendingInterrupts.fetch_add(1); }
void OnSessionEnd(int) { pendingSessionEnd.store(1); }

// Without SA_RESTART, so that a signal cuts the timer's wait short.
void Install(int signal, void (*handler)(int), struct sigaction& saved) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, &saved);
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
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

bool IsTerminal(std::FILE* file) { return file != nullptr && isatty(fileno(file)); }

bool BeginsWith(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

}  // namespace

std::string FormatMessageBox(const std::string& text, int style,
                             const std::string& title) {
  // Built by appending: GCC 12 at -O3 warns (wrongly) about overlapping
  // copies in a chain of string additions.
  std::string out = "== ";
  out += IconWord(style);
  out += DisplayText(title);
  out += " ==\n";
  out += DisplayText(text);
  if (out.back() != '\n') out += '\n';
  out += IsYesNo(style) ? "[Yes] [No]\n" : "[OK]\n";
  return out;
}

namespace {

std::string Bracketed(const std::string& caption) {
  std::string out = "[";
  out += DisplayText(caption);
  out += ']';
  return out;
}

// What the terminal shows of the status window on one line: the status
// text, after the caption in brackets unless the text already begins with
// it. Both 8-bit; the result is UTF-8.
std::string StatusLine(const std::string& caption, const std::string& status) {
  if (caption.empty() || BeginsWith(status, caption)) return DisplayText(status);
  return Bracketed(caption) + " " + DisplayText(status);
}

}  // namespace

// The status window as text on standard error, while it is shown. On a
// terminal one line is rewritten in place. Elsewhere (a log, a pipe) every
// change is a line of its own: the status text, and the caption in brackets
// when it changes to something that the status text does not already say, so
// a text that also becomes the caption gives one line, not two.
class TerminalDesktop::View : public StatusWindowView {
 public:
  explicit View(TerminalDesktop& owner) : owner_(owner) {}
  ~View() override {
    EndLine();
    if (owner_.view_ == this) {
      owner_.RestoreSignalHandlers();
      owner_.view_ = nullptr;
      owner_.events_ = nullptr;
    }
  }

  void SetLabel(StatusLabel label, const std::string& text) override {
    labels_[static_cast<int>(label)] = text;
  }
  std::string Label(StatusLabel label) const override {
    return labels_[static_cast<int>(label)];
  }
  void SetCaption(const std::string& caption) override {
    if (caption == caption_) return;
    caption_ = caption;
    if (!visible_) return;
    if (inPlace_) {
      Rewrite();
    } else if (!Status().empty() && !BeginsWith(Status(), caption_)) {
      PrintLine(Bracketed(caption_));
    }
  }
  std::string Caption() const override { return caption_; }

  void Repaint() override {
    if (!visible_) return;
    if (inPlace_) {
      Rewrite();
    } else if (Status() != printedStatus_) {
      printedStatus_ = Status();
      PrintLine(DisplayText(printedStatus_));
    }
  }

  // Closes the line in place so that other output starts on a line of its
  // own; the next change shows the status line again.
  void EndLine() {
    if (!shownInPlace_.empty()) std::fputc('\n', owner_.err_);
    shownInPlace_.clear();
    printedStatus_.clear();
    std::fflush(owner_.err_);
  }

  // A hidden window writes nothing: the terminal belongs to whatever else
  // runs in it, the host application among them. Shown again, it shows
  // where it stands.
  void Show() override {
    visible_ = true;
    Repaint();
  }
  void Hide() override {
    EndLine();
    visible_ = false;
  }
  bool Visible() const override { return visible_; }
  void SetState(WindowState state) override { state_ = state; }
  WindowState State() const override { return state_; }

  // A terminal of 80 by 25 characters, in twips.
  int ScreenWidth() const override { return 80 * 120; }
  int ScreenHeight() const override { return 25 * 240; }
  int WindowWidth() const override { return 5205; }
  int WindowHeight() const override { return 2865; }
  void Move(int, int) override {}

  int TimerInterval() const override { return 1000; }
  void SetTimerEnabled(bool enabled) override { timerEnabled_ = enabled; }
  bool TimerEnabled() const override { return timerEnabled_; }

 private:
  const std::string& Status() const {
    return labels_[static_cast<int>(StatusLabel::lblStatus)];
  }
  void Rewrite() {
    if (Status().empty()) return;
    std::string line = StatusLine(caption_, Status());
    if (line == shownInPlace_) return;
    shownInPlace_ = line;
    std::fprintf(owner_.err_, "\r\033[K%s", line.c_str());
    std::fflush(owner_.err_);
  }
  void PrintLine(const std::string& line) {
    std::fprintf(owner_.err_, "%s\n", line.c_str());
    std::fflush(owner_.err_);
  }

  TerminalDesktop& owner_;
  const bool inPlace_ = IsTerminal(owner_.err_);
  std::string labels_[8];
  std::string caption_;
  std::string shownInPlace_;
  std::string printedStatus_;
  bool visible_ = false;
  bool timerEnabled_ = false;
  WindowState state_ = WindowState::kNormal;
};

TerminalDesktop::TerminalDesktop(std::FILE* in, std::FILE* err)
    : in_(in), err_(err) {}

TerminalDesktop::~TerminalDesktop() { RestoreSignalHandlers(); }

void TerminalDesktop::InstallSignalHandlers() {
  if (handlersInstalled_) return;
  pendingInterrupts.store(0);
  pendingSessionEnd.store(0);
  Install(SIGINT, OnInterrupt, savedInt_);
  Install(SIGTERM, OnSessionEnd, savedTerm_);
  Install(SIGHUP, OnSessionEnd, savedHup_);
  handlersInstalled_ = true;
}

void TerminalDesktop::RestoreSignalHandlers() {
  if (!handlersInstalled_) return;
  sigaction(SIGINT, &savedInt_, nullptr);
  sigaction(SIGTERM, &savedTerm_, nullptr);
  sigaction(SIGHUP, &savedHup_, nullptr);
  handlersInstalled_ = false;
}

int TerminalDesktop::MessageBox(const std::string& text, int style,
                                const std::string& title) {
  if (view_) view_->EndLine();
  std::fputs(FormatMessageBox(text, style, title).c_str(), err_);
  bool yesNo = IsYesNo(style);
  int defaultAnswer = yesNo ? kIdNo : kIdOk;
  if (!IsTerminal(in_)) {
    std::fprintf(err_, "-> %s\n", yesNo ? "No" : "OK");
    std::fflush(err_);
    return defaultAnswer;
  }
  return AskTerminal(yesNo, defaultAnswer);
}

int TerminalDesktop::AskTerminal(bool yesNo, int defaultAnswer) {
  for (;;) {
    std::fputs(yesNo ? "Yes or No? " : "Press Enter. ", err_);
    std::fflush(err_);
    std::string answer;
    if (!ReadAnswer(answer)) {
      // Ctrl-C at the prompt: the close request waits for the next round of
      // events and the question is asked again. The end of the session does
      // not wait for an answer.
      if (errno == EINTR && pendingSessionEnd.load() == 0) {
        std::fputc('\n', err_);
        continue;
      }
      return defaultAnswer;
    }
    if (!yesNo) return kIdOk;
    char first = static_cast<char>(std::toupper(static_cast<unsigned char>(answer[0])));
    if (first == 'Y' || first == 'J') return kIdYes;
    if (first == 'N') return kIdNo;
  }
}

// Straight from the descriptor rather than through the stream's buffer, so
// that waiting for the line is a poll that the timer can interrupt. A
// terminal hands over a whole line at a time.
bool TerminalDesktop::ReadAnswer(std::string& answer) {
  const int fd = fileno(in_);
  answer.clear();
  for (;;) {
    pollfd wanted{fd, POLLIN, 0};
    int ready = poll(&wanted, 1, RunDueTick());
    if (ready < 0) return false;
    if (ready == 0) continue;
    char buffer[256];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) {
      errno = 0;
      return !answer.empty();
    }
    answer.append(buffer, static_cast<std::size_t>(n));
    if (answer.find('\n') != std::string::npos) return true;
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
  InstallSignalHandlers();
  return view;
}

void TerminalDesktop::RunEventLoop() {
  nextTick_ = MonotonicSeconds() + 1.0;
  for (;;) {
    DeliverSignals();
    poll(nullptr, 0, RunDueTick());  // a signal cuts the wait short
  }
}

// A tick does not run inside a message box that a tick showed: the polling
// cycle is not run within itself.
int TerminalDesktop::RunDueTick() {
  if (nextTick_ == 0 || inTick_) return -1;
  double now = MonotonicSeconds();
  if (now >= nextTick_) {
    if (view_ && view_->TimerEnabled() && events_) {
      inTick_ = true;
      struct Done {
        bool& flag;
        ~Done() { flag = false; }
      } done{inTick_};
      events_->timClock_Timer();
    }
    // Counted from the end of the tick: a tick that printed for a long time
    // is not followed by a burst of late ones.
    int interval = view_ ? view_->TimerInterval() : 1000;
    now = MonotonicSeconds();
    nextTick_ = now + interval / 1000.0;
  }
  return static_cast<int>((nextTick_ - now) * 1000) + 1;
}

}  // namespace rizarode
