#pragma once
// The program's table of open files. Files are named by small numbers
// (1..255); every open goes through OpenFileByMode, which answers 0 for any
// failure and never reports an error in another way.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace rizarode {

inline constexpr int kMaxFileNumber = 255;
inline constexpr int kDefaultLineWidth = 255;

class OpenFileEntry;

class FileTable {
 public:
  explicit FileTable(FileSystem& files);
  ~FileTable();
  FileTable(const FileTable&) = delete;
  FileTable& operator=(const FileTable&) = delete;

  // Opens path by a mode letter ("A", "B", "I", "O", "R"; any case), an
  // access code ("", "R", "W", "RW") and a lock code ("", "S", "R", "W",
  // "RW"). Returns the file number, the lowest one free, or 0 when nothing
  // was opened: a combination that is not accepted, a missing file where one
  // is needed, a sharing conflict, a full table. Nothing else is reported.
  int16_t OpenFileByMode(const std::string& path, const std::string& mode,
                         const std::string& access, const std::string& lock,
                         int16_t recordLength);

  // Reads the next text line without its terminator: CR LF or a lone CR
  // ends a line; a lone LF belongs to the line. False at the end of the file
  // or on failure.
  bool LineInput(int16_t fileNumber, std::string& line);
  // As LineInput, but at most max bytes of the line at a time; lineEnded
  // tells whether the piece ends the line. Holds a line of any length
  // within max bytes.
  bool LineInputPiece(int16_t fileNumber, std::string& piece, std::size_t max,
                      bool& lineEnded);
  // True when a read of the file failed: an end seen since is no end.
  bool ReadFailed(int16_t fileNumber) const;
  // True when no more bytes can be read (or the number is not open).
  bool Eof(int16_t fileNumber);
  // Writes text and CR LF; a line longer than the handle's output line width
  // is continued on a new line.
  bool PrintLine(int16_t fileNumber, std::string_view text);
  // Writes bytes at a position counted from 1, or at the current position
  // when the position is below 1.
  bool Put(int16_t fileNumber, int64_t position, std::string_view bytes);
  // Length of the file in bytes, -1 when the number is not open.
  int64_t Lof(int16_t fileNumber);
  // The position of the next read or write, counted from 1.
  int64_t Seek(int16_t fileNumber);
  bool SetSeek(int16_t fileNumber, int64_t position);
  // The number of bytes read from the file at a time: for mode "I" the
  // record length it was opened with, 0 meaning 4096; 0 for output modes.
  int BufferSize(int16_t fileNumber) const;
  // Characters per written line: 255 for modes "A" and "O", 0 (no limit)
  // otherwise.
  int LineWidth(int16_t fileNumber) const;
  // The record length of a file opened in mode "R", as given.
  int RecordLength(int16_t fileNumber) const;
  bool Close(int16_t fileNumber);
  bool IsOpen(int16_t fileNumber) const;

 private:
  OpenFileEntry* Entry(int16_t fileNumber) const;
  int16_t NextFreeNumber() const;

  FileSystem& files_;
  std::array<std::unique_ptr<OpenFileEntry>, kMaxFileNumber + 1> entries_;
};

}  // namespace rizarode
