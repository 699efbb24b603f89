#include "fileio/open_file.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace rizarode {

OpenFileEntry::OpenFileEntry(std::unique_ptr<FileHandle> handle, const OpenPlan& plan)
    : handle_(std::move(handle)),
      canRead_(plan.request.read),
      canWrite_(plan.request.write),
      lineWidth_(plan.lineWidth),
      recordLength_(plan.recordLength),
      buffer_(static_cast<std::size_t>(plan.readBufferSize)) {}

bool OpenFileEntry::FillBuffer() {
  if (start_ < end_) return true;
  start_ = end_ = 0;
  if (!canRead_ || buffer_.empty()) return false;
  long n = handle_->Read(buffer_.data(), buffer_.size());
  if (n < 0) readFailed_ = true;
  if (n <= 0) return false;
  end_ = static_cast<std::size_t>(n);
  return true;
}

bool OpenFileEntry::ReadLine(std::string& line) {
  if (!FillBuffer()) return false;
  line.clear();
  for (;;) {
    const char* begin = buffer_.data() + start_;
    std::size_t available = end_ - start_;
    const void* cr = std::memchr(begin, '\r', available);
    if (!cr) {
      line.append(begin, available);
      start_ = end_;
      if (!FillBuffer()) return true;
      continue;
    }
    std::size_t length = static_cast<std::size_t>(static_cast<const char*>(cr) - begin);
    line.append(begin, length);
    start_ += length + 1;
    if (FillBuffer() && buffer_[start_] == '\n') ++start_;
    return true;
  }
}

bool OpenFileEntry::ReadLinePiece(std::string& piece, std::size_t max, bool& lineEnded) {
  if (!FillBuffer()) return false;
  piece.clear();
  lineEnded = false;
  for (;;) {
    const char* begin = buffer_.data() + start_;
    std::size_t look = std::min(end_ - start_, max - piece.size());
    const void* cr = std::memchr(begin, '\r', look);
    if (cr) {
      std::size_t length = static_cast<std::size_t>(static_cast<const char*>(cr) - begin);
      piece.append(begin, length);
      start_ += length + 1;
      if (FillBuffer() && buffer_[start_] == '\n') ++start_;
      lineEnded = true;
      return true;
    }
    piece.append(begin, look);
    start_ += look;
    if (!FillBuffer()) {
      lineEnded = true;
      return true;
    }
    if (piece.size() == max) return true;
  }
}

bool OpenFileEntry::AtEnd() { return !FillBuffer(); }

// Bytes read ahead are given back before anything moves the file position.
bool OpenFileEntry::SyncPosition() {
  if (start_ == end_) return true;
  int64_t position = Position() - 1;
  start_ = end_ = 0;
  return handle_->Seek(position);
}

bool OpenFileEntry::WriteLine(std::string_view text) {
  if (!canWrite_ || !SyncPosition()) return false;
  std::string out;
  out.reserve(text.size() + 2);
  int column = 0;
  for (char c : text) {
    if (lineWidth_ > 0 && column == lineWidth_) {
      out += "\r\n";
      column = 0;
    }
    out += c;
    column = (c == '\r' || c == '\n') ? 0 : column + 1;
  }
  out += "\r\n";
  return handle_->Write(out.data(), out.size());
}

bool OpenFileEntry::WriteAt(int64_t position, std::string_view bytes) {
  if (!canWrite_) return false;
  if (position >= 1 ? !SetPosition(position) : !SyncPosition()) return false;
  return handle_->Write(bytes.data(), bytes.size());
}

int64_t OpenFileEntry::Length() { return handle_->Length(); }

int64_t OpenFileEntry::Position() {
  int64_t physical = handle_->Position();
  if (physical < 0) return -1;
  return physical - static_cast<int64_t>(end_ - start_) + 1;
}

bool OpenFileEntry::SetPosition(int64_t position) {
  if (position < 1) return false;
  start_ = end_ = 0;
  return handle_->Seek(position - 1);
}

bool OpenFileEntry::Close() { return handle_->Close(); }

}  // namespace rizarode
