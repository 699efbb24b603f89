#include "pdf/pdf_file.h"

#include <cstdio>

#include "pdf/pdf_syntax.h"

namespace rizarode::pdf {
namespace {

constexpr std::size_t kFlushSize = 1 << 16;
// Pages of text compress well at any level; a low one keeps writing cheap.
constexpr int kDeflateLevel = 6;
constexpr uint64_t kNotWritten = ~uint64_t{0};

}  // namespace

PdfFile::PdfFile(std::unique_ptr<ByteSink> sink) : sink_(std::move(sink)) {
  if (deflateInit(&zip_, kDeflateLevel) != Z_OK) {
    throw PdfError("cannot start a PDF document: no compressor");
  }
  buffer_.reserve(kFlushSize + 4096);
  // The comment of high bytes marks the file as binary for transfers.
  Put("%PDF-1.6\n%\xE2\xE3\xCF\xD3\n");
}

PdfFile::~PdfFile() { deflateEnd(&zip_); }

uint32_t PdfFile::Reserve() {
  offsets_.push_back(kNotWritten);
  return static_cast<uint32_t>(offsets_.size() - 1);
}

void PdfFile::BeginObject(uint32_t number) {
  offsets_.at(number) = written_ + buffer_.size();
  head_.clear();
  AppendInteger(head_, number);
  head_ += " 0 obj\n";
  Put(head_);
}

void PdfFile::WriteObject(uint32_t number, std::string_view body) {
  BeginObject(number);
  Put(body);
  Put("\nendobj\n");
}

void PdfFile::WriteStream(uint32_t number, std::string_view data, std::string_view entries) {
  std::string_view deflated = Deflate(data);
  BeginObject(number);
  head_ = "<< /Length ";
  AppendInteger(head_, static_cast<int64_t>(deflated.size()));
  head_ += " /Filter /FlateDecode";
  if (!entries.empty()) {
    head_ += ' ';
    head_ += entries;
  }
  head_ += " >>\nstream\n";
  Put(head_);
  Put(deflated);
  Put("\nendstream\nendobj\n");
}

bool PdfFile::Finish(uint32_t root, uint32_t info) {
  uint64_t xref = written_ + buffer_.size();
  std::string table = "xref\n0 ";
  AppendInteger(table, static_cast<int64_t>(offsets_.size()));
  table += "\n0000000000 65535 f \n";
  Put(table);
  char entry[32];
  for (std::size_t i = 1; i < offsets_.size(); ++i) {
    // An object reserved but never written reads as free.
    if (offsets_[i] == kNotWritten) {
      Put("0000000000 00000 f \n");
      continue;
    }
    std::snprintf(entry, sizeof entry, "%010llu 00000 n \n",
                  static_cast<unsigned long long>(offsets_[i]));
    Put(entry);
  }
  table = "trailer\n<< /Size ";
  AppendInteger(table, static_cast<int64_t>(offsets_.size()));
  table += " /Root ";
  AppendReference(table, root);
  table += " /Info ";
  AppendReference(table, info);
  table += " >>\nstartxref\n";
  AppendInteger(table, static_cast<int64_t>(xref));
  table += "\n%%EOF\n";
  Put(table);
  Flush();
  return !failed_;
}

void PdfFile::Put(std::string_view bytes) {
  if (buffer_.size() + bytes.size() > kFlushSize) {
    Flush();
    if (bytes.size() > kFlushSize) {
      if (!failed_ && !sink_->Write(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())) {
        failed_ = true;
      }
      written_ += bytes.size();
      return;
    }
  }
  buffer_ += bytes;
}

void PdfFile::Flush() {
  if (!buffer_.empty() && !failed_ &&
      !sink_->Write(reinterpret_cast<const unsigned char*>(buffer_.data()), buffer_.size())) {
    failed_ = true;
  }
  written_ += buffer_.size();
  buffer_.clear();
}

// Making a compressor costs more than all the rest of a page, so the one
// compressor is reset for every stream.
std::string_view PdfFile::Deflate(std::string_view data) {
  deflateReset(&zip_);
  std::size_t bound = deflateBound(&zip_, static_cast<uLong>(data.size()));
  if (deflated_.size() < bound) deflated_.resize(bound);
  zip_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zip_.avail_in = static_cast<uInt>(data.size());
  zip_.next_out = reinterpret_cast<Bytef*>(deflated_.data());
  zip_.avail_out = static_cast<uInt>(deflated_.size());
  int status = deflate(&zip_, Z_FINISH);
  if (status != Z_STREAM_END) {
    throw PdfError("the PDF document could not be written: deflate failed");
  }
  return std::string_view(deflated_.data(), deflated_.size() - zip_.avail_out);
}

}  // namespace rizarode::pdf
