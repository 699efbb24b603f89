#pragma once
// A PDF file written front to back into a ByteSink: numbered objects,
// streams deflated whole, and at the end the cross-reference table. Streams
// and the objects between them are gathered into batches of some thirty
// pages; a full batch deflates on a thread of its own while the caller goes
// on (to draw the next pages), and reaches the file in its order when the
// next batch is full or the end comes. Nothing more is held back than two
// batches and the small offsets table, so a document of any length costs
// the same memory.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rizarode::pdf {

// Where the bytes of a document go.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False when the bytes could not be written.
  virtual bool Write(const unsigned char* data, std::size_t size) = 0;
};

// A document that could not be made or written.
class PdfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PdfFile {
 public:
  // Writes the header.
  explicit PdfFile(std::unique_ptr<ByteSink> sink);
  ~PdfFile();
  PdfFile(const PdfFile&) = delete;
  PdfFile& operator=(const PdfFile&) = delete;

  // A number for an object to be written now or later.
  uint32_t Reserve();
  // Writes object `number` with this body ("<< ... >>", "[ ... ]", ...).
  void WriteObject(uint32_t number, std::string_view body);
  // Writes object `number` as a deflated stream of data; `entries` are
  // further dictionary entries ("/Length1 1234").
  void WriteStream(uint32_t number, std::string_view data, std::string_view entries = {});
  // Writes the cross-reference table and trailer and flushes. Returns false
  // when any write failed.
  bool Finish(uint32_t root, uint32_t info);

 private:
  struct Batch;
  class Deflater;

  void BeginObject(uint32_t number);
  void PutObject(uint32_t number, std::string_view body);
  void PutStream(uint32_t number, std::string_view deflated, std::string_view entries);
  void Settle();
  void PutBatch(Batch& batch);
  void Put(std::string_view bytes);
  void Flush();

  std::unique_ptr<ByteSink> sink_;
  std::unique_ptr<Deflater> deflater_;
  // The batch being gathered, and the one before it while it deflates.
  std::unique_ptr<Batch> filling_, deflating_;
  bool inFlight_ = false;
  std::string buffer_;
  uint64_t written_ = 0;  // bytes before buffer_
  bool failed_ = false;
  // Offset of each object, by number; index 0 is the free list's head.
  std::vector<uint64_t> offsets_{0};
  std::string head_;
};

}  // namespace rizarode::pdf
