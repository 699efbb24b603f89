#pragma once
// One open file of the file table: text lines read through a buffer, text
// lines written within the output line width, bytes at a position.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fileio/open_mode.h"
#include "platform/file_system.h"

namespace rizarode {

class OpenFileEntry {
 public:
  OpenFileEntry(std::unique_ptr<FileHandle> handle, const OpenPlan& plan);

  // The next line without its terminator: CR LF or a lone CR ends a line, a
  // lone LF is part of it, and the last line needs no terminator. False
  // when nothing is left to read.
  bool ReadLine(std::string& line);
  // At most max bytes of the current line. lineEnded tells whether the
  // line's terminator (or the end of the file) follows the piece; a line
  // longer than max comes in several pieces. False when nothing is left.
  bool ReadLinePiece(std::string& piece, std::size_t max, bool& lineEnded);
  bool AtEnd();
  // A read failed: what looked like the end of the file was not.
  bool ReadFailed() const { return readFailed_; }
  // The text and CR LF; after lineWidth characters (when set) a line is
  // ended and the rest continues on the next.
  bool WriteLine(std::string_view text);
  // Bytes at a position counted from 1, or at the current position when the
  // position is below 1.
  bool WriteAt(int64_t position, std::string_view bytes);
  int64_t Length();
  int64_t Position();  // counted from 1
  bool SetPosition(int64_t position);
  bool Close();

  int readBufferSize() const { return static_cast<int>(buffer_.size()); }
  int lineWidth() const { return lineWidth_; }
  int recordLength() const { return recordLength_; }

 private:
  bool FillBuffer();
  bool SyncPosition();

  std::unique_ptr<FileHandle> handle_;
  bool canRead_;
  bool canWrite_;
  int lineWidth_;
  int recordLength_;
  // Bytes read ahead of the position that the caller sees: [start_, end_).
  std::vector<char> buffer_;
  std::size_t start_ = 0;
  std::size_t end_ = 0;
  bool readFailed_ = false;
};

}  // namespace rizarode
