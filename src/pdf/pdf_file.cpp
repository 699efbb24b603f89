#include "pdf/pdf_file.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <system_error>
#include <thread>

#include "pdf/pdf_syntax.h"
#include "pdf/zlib_encoder.h"

namespace rizarode::pdf {
namespace {

constexpr std::size_t kFlushSize = 1 << 16;
// Streams are handed to the deflating thread a batch at a time, some thirty
// pages of text: each hand-over wakes a thread, which costs more than
// deflating a small page. A document smaller than one batch starts no
// thread at all.
constexpr std::size_t kBatchSize = 1 << 18;
constexpr uint64_t kNotWritten = ~uint64_t{0};

}  // namespace

// Objects and streams in the order written, the bodies and the streams'
// data one after another in `data`.
struct PdfFile::Batch {
  struct Item {
    uint32_t number;
    bool stream;
    std::size_t begin, size;  // in data; for a stream, then in deflated
    std::string entries;
  };
  std::vector<Item> items;
  std::string data, deflated;  // deflated: the streams' room, used from the start
  std::size_t streamBytes = 0;

  void Clear() {
    items.clear();
    data.clear();
    streamBytes = 0;
  }
};

// Deflates a batch's streams, on a thread of its own once there is a
// second batch. Between Start and Wait the thread alone touches the batch
// and the encoder; the mutex hands them over both ways.
class PdfFile::Deflater {
 public:
  Deflater() = default;

  ~Deflater() {
    if (thread_.joinable()) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
      }
      handedOver_.notify_all();
      thread_.join();
    }
  }

  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // Deflates the batch's streams where the caller is.
  void DeflateHere(Batch& batch) { Deflate(batch); }

  // Starts on the batch, which is the thread's until Wait; the batch before
  // must have been waited for.
  void Start(Batch& batch) {
    if (!threadTried_) {
      threadTried_ = true;
      try {
        thread_ = std::thread(&Deflater::Run, this);
      } catch (const std::system_error&) {
        // Without a second thread each batch is deflated when it is started.
      }
    }
    if (!thread_.joinable()) {
      Deflate(batch);
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      batch_ = &batch;
    }
    handedOver_.notify_all();
  }

  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    handedOver_.wait(lock, [this] { return batch_ == nullptr; });
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      handedOver_.wait(lock, [this] { return batch_ != nullptr || stopping_; });
      if (stopping_) return;
      lock.unlock();
      Deflate(*batch_);
      lock.lock();
      batch_ = nullptr;
      handedOver_.notify_all();
    }
  }

  // A stream is deflated whole, in the zlib format that /FlateDecode reads.
  void Deflate(Batch& batch) {
    std::size_t room = 0;
    for (const Batch::Item& item : batch.items) {
      if (item.stream) room += ZlibEncoder::Bound(item.size);
    }
    // Grows to the largest batch and never shrinks, so it is seldom filled.
    if (batch.deflated.size() < room) batch.deflated.resize(room);
    std::size_t at = 0;
    for (Batch::Item& item : batch.items) {
      if (!item.stream) continue;
      std::size_t size = encoder_.Compress(
          reinterpret_cast<const unsigned char*>(batch.data.data()) + item.begin, item.size,
          reinterpret_cast<unsigned char*>(batch.deflated.data()) + at);
      item.begin = at;
      item.size = size;
      at += size;
    }
  }

  ZlibEncoder encoder_;
  Batch* batch_ = nullptr;  // being deflated on the thread
  std::mutex mutex_;
  std::condition_variable handedOver_;
  bool stopping_ = false, threadTried_ = false;
  std::thread thread_;
};

PdfFile::PdfFile(std::unique_ptr<ByteSink> sink)
    : sink_(std::move(sink)),
      deflater_(std::make_unique<Deflater>()),
      filling_(std::make_unique<Batch>()),
      deflating_(std::make_unique<Batch>()) {
  buffer_.reserve(kFlushSize + 4096);
  // The comment of high bytes marks the file as binary for transfers.
  Put("%PDF-1.6\n%\xE2\xE3\xCF\xD3\n");
}

// The deflater goes first: its thread may still hold a batch.
PdfFile::~PdfFile() { deflater_.reset(); }

uint32_t PdfFile::Reserve() {
  offsets_.push_back(kNotWritten);
  return static_cast<uint32_t>(offsets_.size() - 1);
}

void PdfFile::WriteObject(uint32_t number, std::string_view body) {
  // An object after a stream in hand (a page's after its contents) waits
  // with it, to keep the file's order.
  if (!inFlight_ && filling_->items.empty()) {
    PutObject(number, body);
    return;
  }
  filling_->items.push_back({number, false, filling_->data.size(), body.size(), {}});
  filling_->data += body;
}

void PdfFile::WriteStream(uint32_t number, std::string_view data, std::string_view entries) {
  filling_->items.push_back({number, true, filling_->data.size(), data.size(), std::string(entries)});
  filling_->data += data;
  filling_->streamBytes += data.size();
  if (filling_->streamBytes < kBatchSize) return;
  Settle();
  std::swap(filling_, deflating_);
  deflater_->Start(*deflating_);
  inFlight_ = true;
}

// Writes the batch being deflated, when there is one.
void PdfFile::Settle() {
  if (!inFlight_) return;
  deflater_->Wait();
  inFlight_ = false;
  PutBatch(*deflating_);
}

void PdfFile::PutBatch(Batch& batch) {
  std::string_view data = batch.data, deflated = batch.deflated;
  for (const Batch::Item& item : batch.items) {
    if (item.stream) {
      PutStream(item.number, deflated.substr(item.begin, item.size), item.entries);
    } else {
      PutObject(item.number, data.substr(item.begin, item.size));
    }
  }
  batch.Clear();
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
  // The last batch is deflated here: handing it over would only wait.
  deflater_->DeflateHere(*filling_);
  PutBatch(*filling_);
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
