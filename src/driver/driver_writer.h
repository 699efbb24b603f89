#pragma once
// Writing the driver file: numbered lines through the program's file table,
// and the fixed part (header and field blocks) that starts every driver
// file.

#include <cstdint>
#include <string>
#include <string_view>

namespace rizarode {

class FileTable;

// Lines into an open driver file. A line that cannot be written is
// remembered, so the caller can tell a complete file from a damaged one;
// writing goes on regardless, as the phases still probe the printer.
class DriverWriter {
 public:
  DriverWriter(FileTable& files, int16_t fileNumber);
  // Closes the file if Close() was not called (a phase ended the program).
  ~DriverWriter();
  DriverWriter(const DriverWriter&) = delete;
  DriverWriter& operator=(const DriverWriter&) = delete;

  // "nn : value"
  void Line(std::string_view number, std::string_view value);
  void EmptyLine();
  // True when every line was written and the file closed cleanly.
  bool Close();

 private:
  void Write(std::string_view text);

  FileTable& files_;
  int16_t fileNumber_;
  bool open_ = true;
  bool failed_ = false;
};

// Line 01 with the device name (8-bit text), then the fixed tags.
void WriteHeader(DriverWriter& writer, const std::string& deviceName);
// The 17 field blocks, each an empty line and lines 50, 51 and 52.
void WriteFieldBlocks(DriverWriter& writer);

}  // namespace rizarode
