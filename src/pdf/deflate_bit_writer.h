#pragma once
// The bits of a deflate stream, gathered from the first on as the format
// packs them, and the Huffman codes that most of them are.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace rizarode::pdf {

// A symbol's code, bit-reversed as the stream holds it, its length, and
// that length with the extra bits that follow the code.
struct DeflateCode {
  uint16_t bits;
  uint8_t length, withExtra;
};

class DeflateBitWriter {
 public:
  explicit DeflateBitWriter(unsigned char* out) : start_(out), out_(out) {}

  // At most 32 bits at once. The buffer's eight bytes are stored whole,
  // one store instead of four; the four not yet complete are stored again
  // by the next, so nothing lands past what the stream goes on to hold.
  void Put(uint32_t bits, int count) {
    buffer_ |= uint64_t{bits} << count_;
    count_ += count;
    if (count_ >= 32) {
      std::memcpy(out_, &buffer_, 8);
      out_ += 4;
      buffer_ >>= 32;
      count_ -= 32;
    }
  }

  // A code and its extra bits in one.
  void Put(const DeflateCode& code, uint32_t extra) {
    Put(code.bits | extra << code.length, code.withExtra);
  }

  // Bits gathered before by another writer, `count` of them from the first
  // byte's lowest bit on, four bytes at a time.
  void PutBits(const unsigned char* bytes, std::size_t count) {
    // Through a copy that the stores to the output cannot touch, so it
    // stays in registers.
    DeflateBitWriter out = *this;
    for (; count >= 32; count -= 32, bytes += 4) out.Put(Load32(bytes), 32);
    if (count != 0) {
      uint32_t tail = 0;
      for (std::size_t i = 0; i * 8 < count; ++i) tail |= uint32_t{bytes[i]} << (8 * i);
      out.Put(tail & ((uint32_t{1} << count) - 1), static_cast<int>(count));
    }
    *this = out;
  }

  // How many bits have been put so far.
  std::size_t BitCount() const {
    return 8 * static_cast<std::size_t>(out_ - start_) + static_cast<std::size_t>(count_);
  }

  void AlignToByte() {
    Put(0, (8 - count_ % 8) % 8);
    for (; count_ > 0; count_ -= 8, buffer_ >>= 8) *out_++ = static_cast<unsigned char>(buffer_);
  }

  // Only after AlignToByte.
  void PutBytes(const unsigned char* bytes, std::size_t size) {
    if (size != 0) std::memcpy(out_, bytes, size);
    out_ += size;
  }

  std::size_t Finish() {
    AlignToByte();
    return static_cast<std::size_t>(out_ - start_);
  }

 private:
  static uint32_t Load32(const unsigned char* b) {
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
  }

  unsigned char* start_;
  unsigned char* out_;
  uint64_t buffer_ = 0;
  int count_ = 0;
};

}  // namespace rizarode::pdf
