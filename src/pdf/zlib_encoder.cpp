#include "pdf/zlib_encoder.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

namespace rizarode::pdf {
namespace {

constexpr int kHashBits = 15;
constexpr std::size_t kMinMatch = 4, kMaxMatch = 258, kWindow = 32768;
// A block's code is made for some thousands of symbols: a page or so.
constexpr std::size_t kBlockSymbols = 1 << 14;
constexpr std::size_t kStoredChunk = 65535;
// Positions are stamped in 32 bits, so a larger buffer is matched in parts.
constexpr std::size_t kSegment = std::size_t{1} << 30;
constexpr uint32_t kMatchFlag = 1u << 31;
constexpr int kLiteralSymbols = 286, kDistanceSymbols = 30, kLengthSymbols = 19;
constexpr int kEndOfBlock = 256;

constexpr std::array<uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,
                                                  15, 17, 19, 23, 27, 31, 35, 43, 51,  59,
                                                  67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a block's header gives the code lengths' own lengths.
constexpr std::array<uint8_t, 19> kLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                  11, 4,  12, 3, 13, 2, 14, 1, 15};

// The length code (0 for symbol 257) of each match length less 3; 258 has
// a code of its own although the code before could also say it.
constexpr std::array<uint8_t, 256> kLengthCode = [] {
  std::array<uint8_t, 256> codes{};
  for (int code = 0; code < 28; ++code) {
    for (int i = 0; i < (1 << kLengthExtra[code]) && kLengthBase[code] + i < 258; ++i) {
      codes[kLengthBase[code] + i - 3] = static_cast<uint8_t>(code);
    }
  }
  codes[255] = 28;
  return codes;
}();

// The distance code of each distance less 1: below 256 directly, above
// by the distance less 1 shifted right by 7.
constexpr std::array<uint8_t, 512> kDistanceCode = [] {
  std::array<uint8_t, 512> codes{};
  for (int code = 0; code < 30; ++code) {
    for (int i = 0; i < (1 << kDistanceExtra[code]); ++i) {
      int d = kDistanceBase[code] - 1 + i;
      if (d < 256) {
        codes[d] = static_cast<uint8_t>(code);
      } else {
        codes[256 + (d >> 7)] = static_cast<uint8_t>(code);
      }
    }
  }
  return codes;
}();

int DistanceCode(uint32_t distanceLess1) {
  return distanceLess1 < 256 ? kDistanceCode[distanceLess1] : kDistanceCode[256 + (distanceLess1 >> 7)];
}

uint32_t Load32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

uint32_t HashOf(uint32_t fourBytes) { return (fourBytes * 2654435761u) >> (32 - kHashBits); }

// How far the bytes at a (earlier) and b agree, up to limit.
std::size_t MatchLength(const unsigned char* a, const unsigned char* b, std::size_t limit) {
  std::size_t length = kMinMatch;
  if constexpr (std::endian::native == std::endian::little) {
    for (; length + 8 <= limit; length += 8) {
      uint64_t x, y;
      std::memcpy(&x, a + length, 8);
      std::memcpy(&y, b + length, 8);
      if (x != y) return length + static_cast<std::size_t>(std::countr_zero(x ^ y) / 8);
    }
  }
  while (length < limit && a[length] == b[length]) ++length;
  return length;
}

// Code lengths of at most maxBits for symbols with these counts, by the
// in-place method of Moffat and Katajainen over the counts in rising order,
// then shortened where too long. Fewer than two symbols in use still get a
// complete code of two, which every reader takes.
void BuildLengths(const uint32_t* counts, int symbols, int maxBits, uint8_t* lengths) {
  std::array<std::pair<uint32_t, uint16_t>, kLiteralSymbols> used;
  int n = 0;
  for (int s = 0; s < symbols; ++s) {
    lengths[s] = 0;
    if (counts[s] != 0) used[n++] = {counts[s], static_cast<uint16_t>(s)};
  }
  if (n < 2) {
    int first = n == 1 ? used[0].second : 0;
    lengths[first] = 1;
    lengths[first == 0 ? 1 : 0] = 1;
    return;
  }
  std::sort(used.begin(), used.begin() + n);
  std::array<uint32_t, kLiteralSymbols> a;
  for (int i = 0; i < n; ++i) a[i] = used[i].first;
  // Parents' weights, then their depths, then the leaves' depths.
  a[0] += a[1];
  int root = 0, leaf = 2;
  for (int next = 1; next < n - 1; ++next) {
    if (leaf >= n || a[root] < a[leaf]) {
      a[next] = a[root];
      a[root++] = static_cast<uint32_t>(next);
    } else {
      a[next] = a[leaf++];
    }
    if (leaf >= n || (root < next && a[root] < a[leaf])) {
      a[next] += a[root];
      a[root++] = static_cast<uint32_t>(next);
    } else {
      a[next] += a[leaf++];
    }
  }
  a[n - 2] = 0;
  for (int next = n - 3; next >= 0; --next) a[next] = a[a[next]] + 1;
  int available = 1, inUse = 0, depth = 0;
  root = n - 2;
  int next = n - 1;
  while (available > 0) {
    while (root >= 0 && static_cast<int>(a[root]) == depth) {
      ++inUse;
      --root;
    }
    while (available > inUse) {
      a[next--] = static_cast<uint32_t>(depth);
      --available;
    }
    available = 2 * inUse;
    ++depth;
    inUse = 0;
  }

  // How many codes of each length; codes too long are made maxBits long and
  // the code made whole again by lengthening shorter ones.
  std::array<int, 33> ofLength{};
  for (int i = 0; i < n; ++i) ++ofLength[std::min<uint32_t>(a[i], 32)];
  for (int len = maxBits + 1; len <= 32; ++len) {
    ofLength[maxBits] += ofLength[len];
    ofLength[len] = 0;
  }
  uint32_t total = 0;
  for (int len = 1; len <= maxBits; ++len) total += static_cast<uint32_t>(ofLength[len]) << (maxBits - len);
  while (total > (1u << maxBits)) {
    --ofLength[maxBits];
    for (int len = maxBits - 1; len > 0; --len) {
      if (ofLength[len] != 0) {
        --ofLength[len];
        ofLength[len + 1] += 2;
        break;
      }
    }
    --total;
  }
  // The most frequent symbols get the shortest codes.
  int at = n - 1;
  for (int len = 1; len <= maxBits; ++len) {
    for (int k = 0; k < ofLength[len]; ++k) lengths[used[at--].second] = static_cast<uint8_t>(len);
  }
}

constexpr std::array<uint8_t, 256> kReversedByte = [] {
  std::array<uint8_t, 256> reversed{};
  for (int b = 0; b < 256; ++b) {
    for (int i = 0; i < 8; ++i) reversed[b] |= static_cast<uint8_t>(((b >> i) & 1) << (7 - i));
  }
  return reversed;
}();

// The canonical codes for the lengths, bit-reversed, since the stream
// holds codes from their first bit on.
void BuildCodes(const uint8_t* lengths, int symbols, uint16_t* codes) {
  std::array<uint16_t, 16> ofLength{}, next{};
  for (int s = 0; s < symbols; ++s) ++ofLength[lengths[s]];
  ofLength[0] = 0;
  uint32_t code = 0;
  for (int bits = 1; bits < 16; ++bits) {
    code = (code + ofLength[bits - 1]) << 1;
    next[bits] = static_cast<uint16_t>(code);
  }
  for (int s = 0; s < symbols; ++s) {
    int len = lengths[s];
    if (len == 0) continue;
    uint32_t c = next[len]++;
    uint32_t reversed = (uint32_t{kReversedByte[c & 0xFF]} << 8) | kReversedByte[c >> 8];
    codes[s] = static_cast<uint16_t>(reversed >> (16 - len));
  }
}

// The lengths of both codes as the header gives them: runs of zeros and
// repeats of the length before shortened by the length code's 16, 17, 18.
struct LengthItem {
  uint8_t symbol, extra;
};

int RunLengths(const uint8_t* lengths, int count, LengthItem* items) {
  int n = 0;
  for (int i = 0; i < count;) {
    uint8_t len = lengths[i];
    int run = 1;
    while (i + run < count && lengths[i + run] == len) ++run;
    i += run;
    if (len == 0) {
      for (; run >= 11; run -= std::min(run, 138)) items[n++] = {18, static_cast<uint8_t>(std::min(run, 138) - 11)};
      if (run >= 3) {
        items[n++] = {17, static_cast<uint8_t>(run - 3)};
        run = 0;
      }
    } else {
      items[n++] = {len, 0};
      --run;
      for (; run >= 3; run -= std::min(run, 6)) items[n++] = {16, static_cast<uint8_t>(std::min(run, 6) - 3)};
    }
    for (; run > 0; --run) items[n++] = {len, 0};
  }
  return n;
}

constexpr int ExtraBitsOfLengthSymbol(int symbol) { return symbol == 16 ? 2 : symbol == 17 ? 3 : symbol == 18 ? 7 : 0; }

}  // namespace

// Bits gathered from the first on and written out four bytes at a time.
class ZlibEncoder::BitWriter {
 public:
  explicit BitWriter(unsigned char* out) : start_(out), out_(out) {}

  // At most 32 bits at once.
  void Put(uint32_t bits, int count) {
    buffer_ |= uint64_t{bits} << count_;
    count_ += count;
    if (count_ >= 32) {
      for (int i = 0; i < 4; ++i) out_[i] = static_cast<unsigned char>(buffer_ >> (8 * i));
      out_ += 4;
      buffer_ >>= 32;
      count_ -= 32;
    }
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
  unsigned char* start_;
  unsigned char* out_;
  uint64_t buffer_ = 0;
  int count_ = 0;
};

ZlibEncoder::ZlibEncoder()
    : seen_(std::size_t{2} << kHashBits, 0),
      literalCounts_(kLiteralSymbols, 0),
      distanceCounts_(kDistanceSymbols, 0) {
  symbols_.resize(kBlockSymbols + 32);
}

// Every block is at most its bytes stored, and there is a block for at
// least every kBlockSymbols bytes.
std::size_t ZlibEncoder::Bound(std::size_t size) { return size + size / 1024 + 64; }

std::size_t ZlibEncoder::Compress(const unsigned char* data, std::size_t size, unsigned char* out) {
  out[0] = 0x78;  // deflate with a window of 32 K
  out[1] = 0x01;  // the fastest level; the check bits
  BitWriter bits(out + 2);
  blockStart_ = data;
  blockSize_ = 0;
  for (std::size_t begin = 0; begin < size; begin += kSegment) {
    FindMatches(data + begin, std::min(kSegment, size - begin), bits);
  }
  EndBlock(bits, true);
  std::size_t written = 2 + bits.Finish();
  uint32_t check = libdeflate_adler32(1, data, size);
  for (int i = 0; i < 4; ++i) out[written++] = static_cast<unsigned char>(check >> (24 - 8 * i));
  return written;
}

void ZlibEncoder::FindMatches(const unsigned char* data, std::size_t size, BitWriter& bits) {
  if (stamp_ > UINT32_MAX - size - 1) {
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = 1;
  }
  const uint32_t stamp = stamp_;
  std::size_t p = 0, misses = 0;
  while (p + kMinMatch <= size) {
    if (symbolCount_ >= kBlockSymbols) EndBlock(bits, false);
    uint32_t four = Load32(data + p);
    uint32_t* bucket = &seen_[2 * HashOf(four)];
    std::size_t length = 0, distance = 0;
    for (int i = 0; i < 2; ++i) {
      std::size_t from = bucket[i] - stamp;
      if (bucket[i] < stamp || p - from > kWindow || Load32(data + from) != four) continue;
      std::size_t found = MatchLength(data + from, data + p, std::min(kMaxMatch, size - p));
      if (found > length) {
        length = found;
        distance = p - from;
      }
    }
    bucket[1] = bucket[0];
    bucket[0] = stamp + static_cast<uint32_t>(p);
    if (length != 0) {
      AddMatch(length, distance);
      p += length;
      // The match's end is where the next repeat most likely starts from.
      if (p + kMinMatch <= size) {
        uint32_t* end = &seen_[2 * HashOf(Load32(data + p - 2))];
        end[1] = end[0];
        end[0] = stamp + static_cast<uint32_t>(p - 2);
      }
      misses = 0;
      continue;
    }
    // Bytes that keep finding nothing (a font's tables) are probed ever
    // more sparsely.
    std::size_t step = 1 + std::min<std::size_t>(misses++ >> 5, 15);
    for (std::size_t k = 0; k < step && p < size; ++k) AddLiteral(data[p++]);
  }
  while (p < size) AddLiteral(data[p++]);
  stamp_ += static_cast<uint32_t>(size) + 1;
}

void ZlibEncoder::AddLiteral(unsigned char byte) {
  symbols_[symbolCount_++] = byte;
  ++literalCounts_[byte];
  ++blockSize_;
}

void ZlibEncoder::AddMatch(std::size_t length, std::size_t distance) {
  symbols_[symbolCount_++] =
      kMatchFlag | static_cast<uint32_t>((length - 3) << 15) | static_cast<uint32_t>(distance - 1);
  ++literalCounts_[257 + kLengthCode[length - 3]];
  ++distanceCounts_[DistanceCode(static_cast<uint32_t>(distance - 1))];
  blockSize_ += length;
}

// Writes the block's symbols with codes made for them, or its bytes as
// they are when that is no longer.
void ZlibEncoder::EndBlock(BitWriter& bits, bool last) {
  literalCounts_[kEndOfBlock] = 1;
  std::array<uint8_t, kLiteralSymbols + kDistanceSymbols> lengths;
  uint8_t* literalLengths = lengths.data();
  std::array<uint8_t, kDistanceSymbols> distanceLengths;
  BuildLengths(literalCounts_.data(), kLiteralSymbols, 15, literalLengths);
  BuildLengths(distanceCounts_.data(), kDistanceSymbols, 15, distanceLengths.data());
  int literals = kLiteralSymbols, distances = kDistanceSymbols;
  while (literals > 257 && literalLengths[literals - 1] == 0) --literals;
  while (distances > 1 && distanceLengths[distances - 1] == 0) --distances;
  std::copy(distanceLengths.begin(), distanceLengths.begin() + distances, lengths.begin() + literals);

  std::array<LengthItem, kLiteralSymbols + kDistanceSymbols> items;
  int itemCount = RunLengths(lengths.data(), literals + distances, items.data());
  std::array<uint32_t, kLengthSymbols> itemCounts{};
  for (int i = 0; i < itemCount; ++i) ++itemCounts[items[i].symbol];
  std::array<uint8_t, kLengthSymbols> itemLengths;
  BuildLengths(itemCounts.data(), kLengthSymbols, 7, itemLengths.data());
  int ordered = kLengthSymbols;
  while (ordered > 4 && itemLengths[kLengthOrder[ordered - 1]] == 0) --ordered;

  uint64_t coded = 3 + 14 + 3 * static_cast<uint64_t>(ordered);
  for (int s = 0; s < kLengthSymbols; ++s) coded += uint64_t{itemCounts[s]} * (itemLengths[s] + ExtraBitsOfLengthSymbol(s));
  for (int s = 0; s < kLiteralSymbols; ++s) {
    int extra = s > kEndOfBlock ? kLengthExtra[s - 257] : 0;
    coded += uint64_t{literalCounts_[s]} * (literalLengths[s] + extra);
  }
  for (int s = 0; s < kDistanceSymbols; ++s) coded += uint64_t{distanceCounts_[s]} * (distanceLengths[s] + kDistanceExtra[s]);
  std::size_t chunks = std::max<std::size_t>(1, (blockSize_ + kStoredChunk - 1) / kStoredChunk);
  uint64_t stored = 8 * uint64_t{blockSize_} + 42 * uint64_t{chunks};

  if (coded <= stored) {
    std::array<uint16_t, kLiteralSymbols> literalCodes;
    std::array<uint16_t, kDistanceSymbols> distanceCodes;
    std::array<uint16_t, kLengthSymbols> itemCodes;
    // Only the first `literals` lengths are the literal code's now.
    BuildCodes(literalLengths, literals, literalCodes.data());
    BuildCodes(distanceLengths.data(), kDistanceSymbols, distanceCodes.data());
    BuildCodes(itemLengths.data(), kLengthSymbols, itemCodes.data());
    bits.Put(last ? 1 : 0, 1);
    bits.Put(2, 2);
    bits.Put(static_cast<uint32_t>(literals - 257), 5);
    bits.Put(static_cast<uint32_t>(distances - 1), 5);
    bits.Put(static_cast<uint32_t>(ordered - 4), 4);
    for (int i = 0; i < ordered; ++i) bits.Put(itemLengths[kLengthOrder[i]], 3);
    for (int i = 0; i < itemCount; ++i) {
      const LengthItem& item = items[i];
      bits.Put(itemCodes[item.symbol], itemLengths[item.symbol]);
      if (int extra = ExtraBitsOfLengthSymbol(item.symbol)) bits.Put(item.extra, extra);
    }
    for (std::size_t i = 0; i < symbolCount_; ++i) {
      uint32_t symbol = symbols_[i];
      if (!(symbol & kMatchFlag)) {
        bits.Put(literalCodes[symbol], literalLengths[symbol]);
        continue;
      }
      uint32_t lengthLess3 = (symbol >> 15) & 0xFF, distanceLess1 = symbol & 0x7FFF;
      int code = kLengthCode[lengthLess3];
      int len = literalLengths[257 + code];
      bits.Put(literalCodes[257 + code] | ((lengthLess3 + 3 - kLengthBase[code]) << len), len + kLengthExtra[code]);
      int dcode = DistanceCode(distanceLess1);
      int dlen = distanceLengths[dcode];
      bits.Put(distanceCodes[dcode] | ((distanceLess1 + 1 - kDistanceBase[dcode]) << dlen), dlen + kDistanceExtra[dcode]);
    }
    bits.Put(literalCodes[kEndOfBlock], literalLengths[kEndOfBlock]);
  } else {
    std::size_t left = blockSize_;
    const unsigned char* at = blockStart_;
    do {
      std::size_t size = std::min(left, kStoredChunk);
      left -= size;
      bits.Put(last && left == 0 ? 1 : 0, 1);
      bits.Put(0, 2);
      bits.AlignToByte();
      bits.Put(static_cast<uint32_t>(size) | (static_cast<uint32_t>(size ^ 0xFFFF) << 16), 32);
      bits.AlignToByte();
      bits.PutBytes(at, size);
      at += size;
    } while (left > 0);
  }

  symbolCount_ = 0;
  std::fill(literalCounts_.begin(), literalCounts_.end(), 0);
  std::fill(distanceCounts_.begin(), distanceCounts_.end(), 0);
  blockStart_ += blockSize_;
  blockSize_ = 0;
}

}  // namespace rizarode::pdf
