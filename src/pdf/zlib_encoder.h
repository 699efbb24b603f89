#pragma once
// Compresses a buffer whole into the zlib format that /FlateDecode reads,
// built for the many small, wordy streams of a long document: one probe per
// position for an earlier match, no search along chains, and a Huffman code
// made for each block of the buffer. It trades some size for far fewer
// instructions than a general compressor at its fastest level.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace rizarode::pdf {

class DeflateBitWriter;

class ZlibEncoder {
 public:
  ZlibEncoder();
  ~ZlibEncoder();
  ZlibEncoder(const ZlibEncoder&) = delete;
  ZlibEncoder& operator=(const ZlibEncoder&) = delete;

  // The most bytes that Compress writes for `size` bytes.
  static std::size_t Bound(std::size_t size);

  // Writes the zlib stream of the data to `out`, which has room for
  // Bound(size) bytes; returns the bytes written.
  std::size_t Compress(const unsigned char* data, std::size_t size, unsigned char* out);

 private:
  // Matches within data alone, which is part of the buffer or all of it.
  void FindMatches(const unsigned char* data, std::size_t size, DeflateBitWriter& bits);
  // The block ends before `end`.
  void EndBlock(const unsigned char* end, DeflateBitWriter& bits, bool last);
  void PutStored(std::size_t blockSize, DeflateBitWriter& bits, bool last) const;
  void NextBlock(const unsigned char* end);

  struct KeptCode;
  std::unique_ptr<KeptCode> kept_;

  // Where each 4-byte prefix was last seen, as stamp_ + its position.
  // Each buffer's stamp is more than a window past the last one's end, so
  // an entry from an earlier buffer is too far back to match and the table
  // is never cleared between buffers.
  std::vector<uint32_t> seen_;
  uint32_t stamp_ = 32768 + 1;
  // The current block: its symbols and their counts, and where it starts. A
  // block ends at kBlockSymbols symbols; the steps over bytes that match
  // nothing may go a few beyond.
  std::vector<uint32_t> symbols_;
  std::size_t symbolCount_ = 0;
  std::vector<uint32_t> literalCounts_, distanceCounts_;
  const unsigned char* blockStart_ = nullptr;
};

}  // namespace rizarode::pdf
