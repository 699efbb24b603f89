#include "printing/render_print_file.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "printer/printer.h"
#include "program/numbers.h"
#include "program/program.h"

namespace rizarode {
namespace {

enum class Tag {
  kJobStart,
  kJobEnd,
  kBoldOn,
  kBoldOff,
  kUnderlineOn,
  kUnderlineOff,
  kItalicOn,
  kItalicOff,
  kFormPortrait,
  kFormLandscape,
  kFormPortraitManual,
  kFormLandscapeManual,
  kFormFeed,
  kFont,
  kFontEnd,
  kOther,
};

// Compared character code by character code, as unsigned bytes.
bool Between(std::string_view tag, std::string_view low, std::string_view high) {
  return tag.compare(low) >= 0 && tag.compare(high) <= 0;
}

// The first row of the tag table that the tag matches; the order matters.
Tag Classify(std::string_view tag) {
  if (tag == "#JOBstart#") return Tag::kJobStart;
  if (tag == "#JOBend#") return Tag::kJobEnd;
  if (tag == "#BOLD#") return Tag::kBoldOn;
  if (tag == "#bold#") return Tag::kBoldOff;
  if (tag == "#UNDERLINE#") return Tag::kUnderlineOn;
  if (tag == "#underline#") return Tag::kUnderlineOff;
  if (tag == "#ITALIC#") return Tag::kItalicOn;
  if (tag == "#italic#") return Tag::kItalicOff;
  if (Between(tag, "#FORM-P001#", "#FORM-P999#")) return Tag::kFormPortrait;
  if (Between(tag, "#FORM-L001#", "#FORM-L999#")) return Tag::kFormLandscape;
  if (Between(tag, "#FORM-p001#", "#FORM-p999#")) return Tag::kFormPortraitManual;
  if (Between(tag, "#FORM-l001#", "#FORM-l999#")) return Tag::kFormLandscapeManual;
  if (tag == "#form#") return Tag::kFormFeed;
  if (Between(tag, "#FONT-0000#", "#FONT-9999#")) return Tag::kFont;
  if (tag == "#font#") return Tag::kFontEnd;
  return Tag::kOther;
}

// Characters [from, from + count) of a tag, as far as the tag reaches.
std::string_view Part(std::string_view tag, std::size_t from, std::size_t count) {
  return from < tag.size() ? tag.substr(from, count) : std::string_view();
}

// Runs a printer operation whose failure changes nothing for the rest of
// the file.
template <typename Setting>
void Attempt(Setting setting) {
  try {
    setting();
  } catch (const PrinterError&) {
  }
}

// Each setting of a form is made even when the one before it failed: a
// printer that lacks a size still turns the page and picks the bin.
void SelectForm(Printer& printer, std::string_view tag, int16_t orientation, int16_t bin) {
  // A number too large for a paper-size number is a size no printer offers.
  if (std::optional<int16_t> number = ToInt16(Val(Part(tag, 7, 3)))) {
    Attempt([&] { printer.SetPaperSize(*number); });
  }
  Attempt([&] { printer.SetOrientation(orientation); });
  Attempt([&] { printer.SetPaperBin(bin); });
}

void SelectFontSize(Printer& printer, std::string_view tag, const std::string& face) {
  auto points = static_cast<float>(Val(Part(tag, 6, 4)) / 100);
  printer.SetFontSize(points);
  printer.SetFontName(face);
  printer.SetFontSize(points);
}

// Where the interpreter's calls go: to the printer, but not the output of
// the documents that went out in an earlier attempt at the same file (they
// are interpreted again, so that fonts and forms are as they were), and
// nowhere when the file is only read through. Counts the documents that end.
struct Output {
  Printer* printer = nullptr;
  int skip = 0;
  int ended = 0;
  int sent = 0;
  // Something was printed after the last document that ended.
  bool wrote = false;

  template <typename Setting>
  void Set(Setting setting) {
    if (printer) setting(*printer);
  }
  template <typename Writing>
  void Write(Writing writing) {
    if (!printer || ended < skip) return;
    wrote = true;
    writing(*printer);
  }
  // A closing form feed ends the host's print job, so the job reaches the
  // spooler at once; an inner one only turns the page. A failure of either
  // is thrown: the document did not go out whole.
  void FormFeed(bool closing) {
    if (!closing) {
      Write([](Printer& p) { p.NewPage(); });
      return;
    }
    if (printer && ended >= skip) {
      printer->EndDoc();
      wrote = false;
      ++sent;
    }
    ++ended;
  }
};

constexpr std::string_view kJobEndTag = "#JOBend#";
// A line is handed over in pieces of this size, so that a line of any
// length costs the same memory; a line within the 32767 characters of a
// print file always comes in one piece.
constexpr std::size_t kPieceSize = 1 << 16;
// The start of a tag that a piece ends in waits for the next piece as long
// as it is no longer than this; a longer one is printed as text, which is
// what every tag of sensible length would be too.
constexpr std::size_t kLongestHeldTag = 256;

class LineInterpreter {
 public:
  enum class Result { kLineDone, kNeedMore, kJobEnd };

  LineInterpreter(Output& output, const ModuleState& state) : out_(output), state_(state) {}

  // Prints text of one line without its line end. When the line goes on
  // beyond text (lineComplete false), a tag that text cuts off is left
  // unhandled: kNeedMore, and consumed says how much of text was handled.
  Result Interpret(std::string_view text, bool lineComplete, std::size_t& consumed) {
    std::string_view rest = text;
    auto wait = [&] {
      consumed = text.size() - rest.size();
      return Result::kNeedMore;
    };
    while (!rest.empty()) {
      std::size_t p1 = rest.find('#');
      std::size_t p2 = p1 == std::string_view::npos ? p1 : rest.find('#', p1 + 1);
      if (p2 == std::string_view::npos) {
        bool holdTag = !lineComplete && p1 != std::string_view::npos &&
                       rest.size() - p1 <= kLongestHeldTag;
        std::size_t printed = holdTag ? p1 : rest.size();
        Print(rest.substr(0, printed));
        rest.remove_prefix(printed);
        break;
      }
      if (p1 > 0) {
        Print(rest.substr(0, p1));
        rest.remove_prefix(p1);
        p2 -= p1;
      }
      std::string_view tag = rest.substr(0, p2 + 1);
      std::string_view after = rest.substr(p2 + 1);
      Tag kind = Classify(tag);
      if (kind == Tag::kJobEnd) return Result::kJobEnd;
      // Whether a form feed closes the job depends on the rest of the line.
      if (kind == Tag::kFormFeed && !lineComplete && after.size() <= kJobEndTag.size()) {
        return wait();
      }
      if (kind == Tag::kOther) {
        // Not a tag after all: its closing "#" may open the next one.
        Print(rest.substr(0, p2));
        rest.remove_prefix(p2);
        continue;
      }
      Act(kind, tag, after);
      rest = after;
    }
    if (!lineComplete) return wait();
    consumed = text.size();
    return Result::kLineDone;
  }

 private:
  void Act(Tag kind, std::string_view tag, std::string_view after) {
    auto form = [&](int16_t orientation, int16_t bin) {
      out_.Set([&](Printer& p) { SelectForm(p, tag, orientation, bin); });
    };
    switch (kind) {
      case Tag::kBoldOn: out_.Set([](Printer& p) { p.SetFontBold(true); }); break;
      case Tag::kBoldOff: out_.Set([](Printer& p) { p.SetFontBold(false); }); break;
      case Tag::kUnderlineOn: out_.Set([](Printer& p) { p.SetFontUnderline(true); }); break;
      case Tag::kUnderlineOff: out_.Set([](Printer& p) { p.SetFontUnderline(false); }); break;
      case Tag::kItalicOn: out_.Set([](Printer& p) { p.SetFontItalic(true); }); break;
      case Tag::kItalicOff: out_.Set([](Printer& p) { p.SetFontItalic(false); }); break;
      case Tag::kFormPortrait: form(kOrientationPortrait, kPaperBinAuto); break;
      case Tag::kFormLandscape: form(kOrientationLandscape, kPaperBinAuto); break;
      case Tag::kFormPortraitManual: form(kOrientationPortrait, kPaperBinManual); break;
      case Tag::kFormLandscapeManual: form(kOrientationLandscape, kPaperBinManual); break;
      case Tag::kFormFeed: out_.FormFeed(after == kJobEndTag || state_.Debug(kDebugOneJob)); break;
      case Tag::kFont:
        out_.Set([&](Printer& p) { SelectFontSize(p, tag, state_.fontFaceName); });
        break;
      default: break;
    }
  }

  void Print(std::string_view text) {
    if (!text.empty()) out_.Write([&](Printer& p) { p.PrintText(text); });
  }

  Output& out_;
  const ModuleState& state_;
};

class FileTableLines : public PrintFileLines {
 public:
  FileTableLines(FileTable& files, int16_t number) : files_(files), number_(number) {}
  ~FileTableLines() override { files_.Close(number_); }
  bool AtEnd() override { return files_.Eof(number_); }
  bool ReadPiece(std::string& piece, std::size_t max, bool& lineEnded) override {
    return files_.LineInputPiece(number_, piece, max, lineEnded);
  }
  bool Failed() const override { return files_.ReadFailed(number_); }

 private:
  FileTable& files_;
  int16_t number_;
};

bool Interpret(PrintFileLines& lines, Output& output, const ModuleState& state,
               bool* jobEnded) {
  if (jobEnded) *jobEnded = false;
  output.Set([](Printer& p) {
    p.SetFontBold(false);
    p.SetFontItalic(false);
    p.SetFontUnderline(false);
  });
  LineInterpreter interpreter(output, state);
  std::string piece;
  // The part of the current line not yet handled: a tag cut off by the end
  // of a piece, followed by the next piece.
  std::string line;
  while (!lines.AtEnd()) {
    bool lineEnded = true;
    // A read that fails short of the end would otherwise be retried forever.
    if (!lines.ReadPiece(piece, kPieceSize, lineEnded)) break;
    // Nearly every line comes whole in one piece, which needs no copy.
    const bool held = !line.empty();
    if (held) line += piece;
    std::string_view text = held ? std::string_view(line) : std::string_view(piece);
    std::size_t consumed = 0;
    auto result = interpreter.Interpret(text, lineEnded, consumed);
    if (result == LineInterpreter::Result::kJobEnd) {
      if (jobEnded) *jobEnded = true;
      return !lines.Failed();
    }
    if (result == LineInterpreter::Result::kNeedMore) {
      if (held) {
        line.erase(0, consumed);
      } else {
        line.assign(text.substr(consumed));
      }
      continue;
    }
    line.clear();
    output.Write([](Printer& p) { p.LineEnd(); });
  }
  return !lines.Failed();
}

}  // namespace

bool InterpretPrintFile(PrintFileLines& lines, Printer& printer, const ModuleState& state,
                        bool* jobEnded) {
  Output output{&printer};
  return Interpret(lines, output, state, jobEnded);
}

RenderOutcome RenderPrintFile(Program& program, const std::string& path, int documentsDone) {
  int16_t number = program.files.OpenFileByMode(path, "I", "R", "W", 0);
  if (number == 0) return {RenderOutcome::kNotOpened, {}, 0};
  // Closes the file also when a printer failure ends the printing early.
  FileTableLines lines(program.files, number);
  Output output{&program.printer, documentsDone};
  RenderOutcome outcome;
  try {
    if (!Interpret(lines, output, program.state, nullptr)) {
      outcome.kind = RenderOutcome::kFailed;
      outcome.why = "the print file could not be read";
    }
  } catch (const PrinterError& e) {
    outcome.kind = RenderOutcome::kFailed;
    outcome.why = e.what();
  }
  outcome.documentsEnded = output.ended;
  outcome.documentsSent = output.sent;
  outcome.wroteIntoOpenDocument = output.wrote;
  return outcome;
}

std::optional<bool> ReachesJobEnd(Program& program, const std::string& path) {
  int16_t number = program.files.OpenFileByMode(path, "I", "R", "W", 0);
  if (number == 0) return std::nullopt;
  FileTableLines lines(program.files, number);
  Output nowhere;
  bool jobEnded = false;
  if (!Interpret(lines, nowhere, program.state, &jobEnded)) return std::nullopt;
  return jobEnded;
}

bool StreamPrintFileLines::Fill() {
  if (next_ < buffer_.size()) return true;
  buffer_.resize(kStreamBufferSize);
  std::size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  buffer_.resize(got);
  next_ = 0;
  return got > 0;
}

bool StreamPrintFileLines::AtEnd() { return !Fill(); }

bool StreamPrintFileLines::ReadPiece(std::string& piece, std::size_t max, bool& lineEnded) {
  piece.clear();
  lineEnded = false;
  if (!Fill()) return false;
  while (Fill()) {
    const char* begin = buffer_.data() + next_;
    std::size_t look = std::min(buffer_.size() - next_, max - piece.size());
    // memchr: the search runs over every byte of the print file.
    const auto* found = static_cast<const char*>(std::memchr(begin, '\r', look));
    const char* cr = found ? found : begin + look;
    piece.append(begin, cr);
    next_ = static_cast<std::size_t>(cr - buffer_.data());
    if (found) {
      ++next_;
      if (Fill() && buffer_[next_] == '\n') ++next_;
      lineEnded = true;
      return true;
    }
    if (piece.size() == max) {
      lineEnded = !Fill();
      return true;
    }
  }
  lineEnded = true;
  return true;
}

bool StreamPrintFileLines::ReadLine(std::string& line) {
  line.clear();
  if (!Fill()) return false;
  while (Fill()) {
    auto begin = buffer_.begin() + static_cast<std::ptrdiff_t>(next_);
    auto cr = std::find(begin, buffer_.end(), '\r');
    line.append(begin, cr);
    next_ = static_cast<std::size_t>(cr - buffer_.begin());
    if (cr != buffer_.end()) {
      ++next_;
      if (Fill() && buffer_[next_] == '\n') ++next_;
      return true;
    }
  }
  return true;
}

bool StreamPrintFileLines::Failed() const { return std::ferror(file_) != 0; }

}  // namespace rizarode
