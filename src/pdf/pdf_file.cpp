#include "pdf/pdf_file.h"

#include <libdeflate.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <system_error>
#include <thread>

#include "pdf/pdf_syntax.h"

namespace rizarode::pdf {
namespace {

constexpr std::size_t kFlushSize = 1 << 16;
// Pages of text compress well at any level; the fastest keeps long
// documents cheap to write.
constexpr int kDeflateLevel = 1;
constexpr uint64_t kNotWritten = ~uint64_t{0};

}  // namespace

// Deflates one stream at a time on a thread of its own. Between Start and
// Wait the thread alone touches the buffers and the compressor; the mutex
// hands them over both ways.
class PdfFile::Deflater {
 public:
  Deflater() : compressor_(libdeflate_alloc_compressor(kDeflateLevel)) {
    if (compressor_ == nullptr) {
      throw PdfError("cannot start a PDF document: no compressor");
    }
    try {
      thread_ = std::thread(&Deflater::Run, this);
    } catch (const std::system_error&) {
      // Without a second thread each stream is deflated when it is started.
    }
  }

  ~Deflater() {
    if (thread_.joinable()) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
      }
      handedOver_.notify_all();
      thread_.join();
    }
    libdeflate_free_compressor(compressor_);
  }

  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // Starts on a copy of the data; the stream before must have been waited for.
  void Start(std::string_view data) {
    input_.assign(data);
    if (!thread_.joinable()) {
      Deflate();
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      working_ = true;
    }
    handedOver_.notify_all();
  }

  // The stream deflated, valid until the next Start. Throws PdfError
  // when it could not be deflated.
  std::string_view Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    handedOver_.wait(lock, [this] { return !working_; });
    if (size_ == 0) {
      throw PdfError("the PDF document could not be written: deflate failed");
    }
    return std::string_view(output_.data(), size_);
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      handedOver_.wait(lock, [this] { return working_ || stopping_; });
      if (stopping_) return;
      lock.unlock();
      Deflate();
      lock.lock();
      working_ = false;
      handedOver_.notify_all();
    }
  }

  // A stream is deflated whole, in the zlib format that /FlateDecode reads.
  void Deflate() {
    std::size_t bound = libdeflate_zlib_compress_bound(compressor_, input_.size());
    if (output_.size() < bound) output_.resize(bound);
    size_ = libdeflate_zlib_compress(compressor_, input_.data(), input_.size(), output_.data(),
                                     output_.size());
  }

  libdeflate_compressor* compressor_;
  // Both grow to the largest stream and never shrink.
  std::string input_, output_;
  std::size_t size_ = 0;
  std::mutex mutex_;
  std::condition_variable handedOver_;
  bool working_ = false, stopping_ = false;
  std::thread thread_;
};

PdfFile::PdfFile(std::unique_ptr<ByteSink> sink)
    : sink_(std::move(sink)), deflater_(std::make_unique<Deflater>()) {
  buffer_.reserve(kFlushSize + 4096);
  // The comment of high bytes marks the file as binary for transfers.
  Put("%PDF-1.6\n%\xE2\xE3\xCF\xD3\n");
}

PdfFile::~PdfFile() = default;

uint32_t PdfFile::Reserve() {
  offsets_.push_back(kNotWritten);
  return static_cast<uint32_t>(offsets_.size() - 1);
}

void PdfFile::WriteObject(uint32_t number, std::string_view body) {
  // A page's object follows its contents, and waits with them.
  if (deflating_ && !holding_) {
    holding_ = true;
    heldNumber_ = number;
    heldBody_.assign(body);
    return;
  }
  Settle();
  PutObject(number, body);
}

void PdfFile::WriteStream(uint32_t number, std::string_view data, std::string_view entries) {
  Settle();
  deflater_->Start(data);
  deflating_ = true;
  deflatingNumber_ = number;
  deflatingEntries_.assign(entries);
}

// Writes the stream being deflated and the object held after it.
void PdfFile::Settle() {
  if (!deflating_) return;
  deflating_ = false;
  bool held = holding_;
  holding_ = false;
  PutStream(deflatingNumber_, deflater_->Wait(), deflatingEntries_);
  if (held) PutObject(heldNumber_, heldBody_);
}

void PdfFile::BeginObject(uint32_t number) {
  offsets_.at(number) = written_ + buffer_.size();
  head_.clear();
  AppendInteger(head_, number);
  head_ += " 0 obj\n";
  Put(head_);
}

void PdfFile::PutObject(uint32_t number, std::string_view body) {
  BeginObject(number);
  Put(body);
  Put("\nendobj\n");
}

void PdfFile::PutStream(uint32_t number, std::string_view deflated, std::string_view entries) {
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
  Settle();
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

}  // namespace rizarode::pdf
