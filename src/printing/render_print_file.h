#pragma once
// The print-file interpreter: tagged text in, printer calls out.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace rizarode {

class Program;
class Printer;
struct ModuleState;

// Prints one complete print file on the printer. False when the file could
// not be opened: then nothing was printed and the file is still unprinted.
bool RenderPrintFile(Program& program, const std::string& path);

// The lines of a print file, read one at a time: a line ends with CR LF or
// a lone CR, which are not part of it; a lone LF belongs to the line.
class PrintFileLines {
 public:
  virtual ~PrintFileLines() = default;
  virtual bool AtEnd() = 0;
  // False when no line could be read.
  virtual bool ReadLine(std::string& line) = 0;
};

// Interprets every line until the end or until "#JOBend#". Uses the debug
// flags and the font face name of state.
void InterpretPrintFile(PrintFileLines& lines, Printer& printer, const ModuleState& state);

// Lines read from an open stdio stream, for tools that run the interpreter
// without the program's file table.
class StreamPrintFileLines : public PrintFileLines {
 public:
  explicit StreamPrintFileLines(std::FILE* file) : file_(file) {}
  bool AtEnd() override;
  bool ReadLine(std::string& line) override;
  // True when a read failed (as opposed to reaching the end).
  bool Failed() const;

 private:
  static constexpr std::size_t kStreamBufferSize = 1 << 16;
  bool Fill();

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t next_ = 0;
};

}  // namespace rizarode
