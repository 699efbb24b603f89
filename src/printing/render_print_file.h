#pragma once
// The print-file interpreter: tagged text in, printer calls out.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace rizarode {

class Program;
class Printer;
struct ModuleState;

// What became of a print file.
struct RenderOutcome {
  enum Kind {
    kPrinted,    // every line went to the printer
    kNotOpened,  // someone else has the file: nothing was printed
    kFailed,     // the printer or the file failed; why says how
  };
  Kind kind = kPrinted;
  std::string why;
  // Documents of the file that went out, those skipped included.
  int documentsEnded = 0;
  // Documents that this attempt sent (the skipped ones not counted).
  int documentsSent = 0;
  // Something was printed after the last document that this attempt
  // ended (or at all, when it ended none): a document is left open.
  bool wroteIntoOpenDocument = false;
};

// Prints one complete print file on the printer. Anything but kPrinted
// means the job has not gone out whole and its file must be kept. The
// first documentsDone documents of the file went out in an earlier attempt
// and are not printed again.
RenderOutcome RenderPrintFile(Program& program, const std::string& path, int documentsDone = 0);

// Whether the interpreter reaches the file's "#JOBend#": the host finished
// writing its job. Nothing is printed. Empty when the file cannot be read.
std::optional<bool> ReachesJobEnd(Program& program, const std::string& path);

// The lines of a print file, read a piece at a time: a line ends with CR LF
// or a lone CR, which are not part of it; a lone LF belongs to the line.
class PrintFileLines {
 public:
  virtual ~PrintFileLines() = default;
  virtual bool AtEnd() = 0;
  // At most max bytes of the current line; lineEnded tells whether the line
  // ends with the piece. False when nothing could be read.
  virtual bool ReadPiece(std::string& piece, std::size_t max, bool& lineEnded) = 0;
  // True when a read failed (as opposed to reaching the end).
  virtual bool Failed() const = 0;
};

// Interprets every line until the end or until "#JOBend#". Uses the debug
// flags and the font face name of state. A printer failure other than a
// refused form setting is thrown (PrinterError); false when a read failed.
// Memory stays bounded whatever the length of a line. jobEnded, when given,
// tells whether "#JOBend#" was reached.
bool InterpretPrintFile(PrintFileLines& lines, Printer& printer, const ModuleState& state,
                        bool* jobEnded = nullptr);

// Lines read from an open stdio stream, for tools that run the interpreter
// without the program's file table.
class StreamPrintFileLines : public PrintFileLines {
 public:
  explicit StreamPrintFileLines(std::FILE* file) : file_(file) {}
  bool AtEnd() override;
  bool ReadPiece(std::string& piece, std::size_t max, bool& lineEnded) override;
  bool ReadLine(std::string& line);
  bool Failed() const override;

 private:
  static constexpr std::size_t kStreamBufferSize = 1 << 16;
  bool Fill();

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t next_ = 0;
};

}  // namespace rizarode
