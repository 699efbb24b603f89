#include "pdf/zlib_encoder.h"

#include "pdf/deflate_bit_writer.h"

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
// A match is kept as bits 0-12 the distance's extra, 13-17 its code, 18-25
// the length less 3.
constexpr uint32_t kMatchFlag = 1u << 31;
constexpr int kLiteralSymbols = 286, kDistanceSymbols = 30, kLengthSymbols = 19;
constexpr int kEndOfBlock = 256;
// How far above their entropy a kept code may write a block's symbols: a
// 32nd of it. A code made for them would be some 0.5% above, with a header
// as long; a 64th made a new code for four pages in five, for 0.5% fewer
// bytes and a third more instructions.
constexpr int kKeptSlackShift = 5;

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

// The distance code and extra of a distance less 1, as a match symbol holds
// them in its low bits: those below 256 directly, the others from what the
// distance less 1 shifted right by 7 tells, their code less the distance
// its extra counts from, which the distance less 1 then adds to.
struct DistanceFields {
  std::array<uint32_t, 256> low{};
  std::array<uint32_t, 256> high{};

  constexpr DistanceFields() {
    for (uint32_t code = 0; code < 30; ++code) {
      for (uint32_t i = 0; i < (1u << kDistanceExtra[code]); ++i) {
        uint32_t less1 = kDistanceBase[code] - 1 + i;
        if (less1 < 256) {
          low[less1] = code << 13 | i;
        } else {
          high[less1 >> 7] = (code << 13) - (kDistanceBase[code] - 1u);
        }
      }
    }
  }
};
constexpr DistanceFields kDistanceFields;

uint32_t DistanceField(uint32_t distanceLess1) {
  if (distanceLess1 < 256) return kDistanceFields.low[distanceLess1];
  return kDistanceFields.high[distanceLess1 >> 7] + distanceLess1;
}

uint32_t Load32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

uint32_t HashOf(uint32_t fourBytes) { return (fourBytes * 2654435761u) >> (32 - kHashBits); }

// How far the bytes at a (earlier) and b agree, up to limit.
inline std::size_t MatchLength(const unsigned char* a, const unsigned char* b, std::size_t limit) {
  std::size_t length = kMinMatch;
  if constexpr (std::endian::native == std::endian::little) {
    // Where eight bytes from at first differ, or 8.
    auto differing = [&](std::size_t at) {
      uint64_t x, y;
      std::memcpy(&x, a + at, 8);
      std::memcpy(&y, b + at, 8);
      return static_cast<std::size_t>(std::countr_zero(x ^ y) / 8);
    };
    // Sixteen at a time: a page's matches run to some 26 bytes.
    for (; length + 16 <= limit; length += 16) {
      if (std::size_t at = differing(length); at < 8) return length + at;
      if (std::size_t at = differing(length + 8); at < 8) return length + 8 + at;
    }
    if (length + 8 <= limit) {
      if (std::size_t at = differing(length); at < 8) return length + at;
      length += 8;
    }
    // The eight up to the limit, those before length known to agree.
    if (length < limit && limit >= 8) return limit - 8 + differing(limit - 8);
  }
  while (length < limit && a[length] == b[length]) ++length;
  return length;
}

// The symbols whose count is not zero, as bits, so that the steps after
// counting go over the hundred or so symbols a page uses and not all 286.
class InUse {
 public:
  InUse() = default;

  InUse(const uint32_t* counts, int symbols) {
    // A byte of 0 or 1 for each symbol, eight of which a multiply gathers
    // into one byte of the bits.
    std::array<uint8_t, kWords * 64> nonZero{};
    for (int s = 0; s < symbols; ++s) nonZero[s] = counts[s] != 0;
    for (int w = 0; w < kWords; ++w) {
      uint64_t word = 0;
      for (int k = 0; k < 8; ++k) {
        uint64_t eight;
        std::memcpy(&eight, &nonZero[w * 64 + k * 8], 8);
        word |= ((eight * 0x0102040810204080u) >> 56) << (8 * k);
      }
      words_[w] = word;
    }
  }

  void Add(int symbol) { words_[symbol >> 6] |= uint64_t{1} << (symbol & 63); }

  bool Covers(const InUse& other) const {
    uint64_t outside = 0;
    for (int w = 0; w < kWords; ++w) outside |= other.words_[w] & ~words_[w];
    return outside == 0;
  }

  // Calls f with each symbol in use, in rising order.
  template <typename F>
  void ForEach(F f) const {
    for (int w = 0; w < kWords; ++w) {
      for (uint64_t bits = words_[w]; bits != 0; bits &= bits - 1) f(w * 64 + std::countr_zero(bits));
    }
  }

 private:
  static constexpr int kWords = (kLiteralSymbols + 63) / 64;
  std::array<uint64_t, kWords> words_{};
};

// Code lengths of at most maxBits for symbols with these counts, by the
// in-place method of Moffat and Katajainen over the counts in rising order,
// then shortened where too long. Fewer than two symbols in use still get a
// complete code of two, which every reader takes; the one added is then
// in use too.
void BuildLengths(const uint32_t* counts, InUse& inUse, int symbols, int maxBits, uint8_t* lengths) {
  std::memset(lengths, 0, static_cast<std::size_t>(symbols));
  // Each symbol in use as its count above its number: sorting these plain
  // keys orders by count, then by symbol.
  std::array<uint32_t, kLiteralSymbols> used;
  int n = 0;
  inUse.ForEach([&](int s) { used[n++] = counts[s] << 9 | static_cast<uint32_t>(s); });
  if (n < 2) {
    int first = n == 1 ? static_cast<int>(used[0] & 511) : 0;
    int second = first == 0 ? 1 : 0;
    lengths[first] = lengths[second] = 1;
    inUse.Add(first);
    inUse.Add(second);
    return;
  }
  std::sort(used.begin(), used.begin() + n);
  std::array<uint32_t, kLiteralSymbols> a;
  for (int i = 0; i < n; ++i) a[i] = used[i] >> 9;
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
  int available = 1, parents = 0, depth = 0;
  root = n - 2;
  int next = n - 1;
  while (available > 0) {
    while (root >= 0 && static_cast<int>(a[root]) == depth) {
      ++parents;
      --root;
    }
    while (available > parents) {
      a[next--] = static_cast<uint32_t>(depth);
      --available;
    }
    available = 2 * parents;
    ++depth;
    parents = 0;
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
    for (int k = 0; k < ofLength[len]; ++k) lengths[used[at--] & 511] = static_cast<uint8_t>(len);
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
void BuildCodes(const uint8_t* lengths, const InUse& inUse, uint16_t* codes) {
  std::array<uint16_t, 16> ofLength{}, next{};
  inUse.ForEach([&](int s) { ++ofLength[lengths[s]]; });
  uint32_t code = 0;
  for (int bits = 1; bits < 16; ++bits) {
    code = (code + ofLength[bits - 1]) << 1;
    next[bits] = static_cast<uint16_t>(code);
  }
  inUse.ForEach([&](int s) {
    int len = lengths[s];
    uint32_t c = next[len]++;
    uint32_t reversed = (uint32_t{kReversedByte[c & 0xFF]} << 8) | kReversedByte[c >> 8];
    codes[s] = static_cast<uint16_t>(reversed >> (16 - len));
  });
}

// The lengths of both codes as the header gives them: runs of zeros and
// repeats of the length before shortened by the length code's 16, 17, 18.
struct LengthItem {
  uint8_t symbol, extra;
};

bool EightAre(const uint8_t* bytes, uint8_t value) {
  uint64_t eight;
  std::memcpy(&eight, bytes, 8);
  return eight == value * uint64_t{0x0101010101010101};
}

int RunLengths(const uint8_t* lengths, int count, LengthItem* items) {
  int n = 0;
  for (int i = 0; i < count;) {
    uint8_t len = lengths[i];
    int run = 1;
    // Eight at a time first: most of a page's symbols are not in use.
    while (i + run + 8 <= count && EightAre(lengths + i + run, len)) run += 8;
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

// The codes for the lengths of the symbols in use: the extra bits' counts
// of the literal/length and the distance symbols follow from the symbol.
void FillCodes(const uint8_t* literalLengths, const InUse& literalsInUse, const uint8_t* distanceLengths,
               const InUse& distancesInUse, DeflateCode* literals, DeflateCode* distances) {
  std::array<uint16_t, kLiteralSymbols> literalBits;
  std::array<uint16_t, kDistanceSymbols> distanceBits;
  BuildCodes(literalLengths, literalsInUse, literalBits.data());
  BuildCodes(distanceLengths, distancesInUse, distanceBits.data());
  literalsInUse.ForEach([&](int s) {
    int extra = s > kEndOfBlock ? kLengthExtra[s - 257] : 0;
    literals[s] = {literalBits[s], literalLengths[s], static_cast<uint8_t>(literalLengths[s] + extra)};
  });
  distancesInUse.ForEach([&](int s) {
    distances[s] = {distanceBits[s], distanceLengths[s], static_cast<uint8_t>(distanceLengths[s] + kDistanceExtra[s])};
  });
}

// A match length's code and extra bits in one, and how many bits they are.
struct LengthBits {
  uint32_t bits;
  int count;
};

// Each match length's, less 3, from the codes of the length symbols.
void FillLengths(const DeflateCode* literals, LengthBits* lengths) {
  for (int less3 = 0; less3 < 256; ++less3) {
    const int code = kLengthCode[less3];
    const DeflateCode& symbol = literals[kEndOfBlock + 1 + code];
    const auto extra = static_cast<uint32_t>(less3 + 3 - kLengthBase[code]);
    lengths[less3] = {symbol.bits | extra << symbol.length, symbol.withExtra};
  }
}

// The fixed code of BTYPE 01, which a block may use without sending it.
struct FixedCode {
  std::array<uint8_t, kLiteralSymbols> literalLengths;
  std::array<uint8_t, kDistanceSymbols> distanceLengths;
  std::array<DeflateCode, kLiteralSymbols> literals;
  std::array<LengthBits, 256> matchLengths;
  std::array<DeflateCode, kDistanceSymbols> distances;

  FixedCode() {
    // The code has 288 symbols, the last two never used; they still have
    // 8-bit codes, which come before all the 9-bit ones.
    constexpr int kSymbols = 288;
    std::array<uint8_t, kSymbols> lengths;
    for (int s = 0; s < kSymbols; ++s) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
    std::copy(lengths.begin(), lengths.begin() + kLiteralSymbols, literalLengths.begin());
    std::array<uint32_t, kSymbols> all;
    all.fill(1);
    std::array<uint16_t, kSymbols> bits;
    BuildCodes(lengths.data(), InUse(all.data(), kSymbols), bits.data());
    for (int s = 0; s < kLiteralSymbols; ++s) {
      int extra = s > kEndOfBlock ? kLengthExtra[s - 257] : 0;
      literals[s] = {bits[s], lengths[s], static_cast<uint8_t>(lengths[s] + extra)};
    }
    FillLengths(literals.data(), matchLengths.data());
    distanceLengths.fill(5);
    std::array<uint16_t, kDistanceSymbols> distanceBits;
    BuildCodes(distanceLengths.data(), InUse(all.data(), kDistanceSymbols), distanceBits.data());
    for (int s = 0; s < kDistanceSymbols; ++s) {
      distances[s] = {distanceBits[s], 5, static_cast<uint8_t>(5 + kDistanceExtra[s])};
    }
  }
};

const FixedCode& Fixed() {
  static const FixedCode fixed;
  return fixed;
}

// A code made for a block, and its lengths as the block's header sends
// them: the literal/length code's, then the distance code's.
struct DynamicCode {
  std::array<uint8_t, kLiteralSymbols + kDistanceSymbols> lengths;
  std::array<uint8_t, kDistanceSymbols> distanceLengths;
  int literals = kLiteralSymbols, distances = kDistanceSymbols;
  std::array<LengthItem, kLiteralSymbols + kDistanceSymbols> items;
  int itemCount = 0;
  std::array<uint32_t, kLengthSymbols> itemCounts{};
  std::array<uint8_t, kLengthSymbols> itemLengths;
  int ordered = kLengthSymbols;
};

void BuildDynamic(const uint32_t* literalCounts, InUse& literalsInUse, const uint32_t* distanceCounts,
                  InUse& distancesInUse, DynamicCode& code) {
  uint8_t* literalLengths = code.lengths.data();
  BuildLengths(literalCounts, literalsInUse, kLiteralSymbols, 15, literalLengths);
  BuildLengths(distanceCounts, distancesInUse, kDistanceSymbols, 15, code.distanceLengths.data());
  while (code.literals > 257 && literalLengths[code.literals - 1] == 0) --code.literals;
  while (code.distances > 1 && code.distanceLengths[code.distances - 1] == 0) --code.distances;
  std::copy(code.distanceLengths.begin(), code.distanceLengths.begin() + code.distances,
            code.lengths.begin() + code.literals);

  code.itemCount = RunLengths(code.lengths.data(), code.literals + code.distances, code.items.data());
  for (int i = 0; i < code.itemCount; ++i) ++code.itemCounts[code.items[i].symbol];
  InUse itemsInUse(code.itemCounts.data(), kLengthSymbols);
  BuildLengths(code.itemCounts.data(), itemsInUse, kLengthSymbols, 7, code.itemLengths.data());
  while (code.ordered > 4 && code.itemLengths[kLengthOrder[code.ordered - 1]] == 0) --code.ordered;
}

// The header after its first three bits, which tell the block's type.
void PutDynamicHeader(const DynamicCode& code, DeflateBitWriter& bits) {
  std::array<uint16_t, kLengthSymbols> itemCodes;
  BuildCodes(code.itemLengths.data(), InUse(code.itemCounts.data(), kLengthSymbols), itemCodes.data());
  bits.Put(static_cast<uint32_t>(code.literals - 257), 5);
  bits.Put(static_cast<uint32_t>(code.distances - 1), 5);
  bits.Put(static_cast<uint32_t>(code.ordered - 4), 4);
  for (int i = 0; i < code.ordered; ++i) bits.Put(code.itemLengths[kLengthOrder[i]], 3);
  for (int i = 0; i < code.itemCount; ++i) {
    const LengthItem& item = code.items[i];
    bits.Put(itemCodes[item.symbol], code.itemLengths[item.symbol]);
    if (int extra = ExtraBitsOfLengthSymbol(item.symbol)) bits.Put(item.extra, extra);
  }
}

// A block's symbols and its end in the codes for them.
void PutSymbols(const uint32_t* symbols, std::size_t count, const DeflateCode* literals,
                const LengthBits* lengths, const DeflateCode* distances, DeflateBitWriter& bits) {
  // A copy of the writer that the stores to the output cannot touch, so it
  // stays in registers.
  DeflateBitWriter out = bits;
  for (std::size_t i = 0; i < count; ++i) {
    uint32_t symbol = symbols[i];
    if (!(symbol & kMatchFlag)) {
      out.Put(literals[symbol], 0);
      continue;
    }
    const LengthBits& length = lengths[(symbol >> 18) & 255];
    out.Put(length.bits, length.count);
    out.Put(distances[(symbol >> 13) & 31], symbol & 0x1FFF);
  }
  out.Put(literals[kEndOfBlock], 0);
  bits = out;
}

// log2 of 1 to 1024 with 16 bits after the point, worked out in integers so
// that every build decides alike.
constexpr int kLogFraction = 16;
constexpr std::array<uint32_t, 1025> kLog2 = [] {
  std::array<uint32_t, 1025> logs{};
  for (uint32_t x = 1; x <= 1024; ++x) {
    int whole = std::bit_width(x) - 1;
    // x / 2^whole, in [1, 2), with 31 bits after the point; each squaring
    // tells one more bit of the fraction.
    uint64_t y = uint64_t{x} << (31 - whole);
    uint32_t fraction = 0;
    for (int bit = kLogFraction - 1; bit >= 0; --bit) {
      y = (y * y) >> 31;
      if (y >> 32 != 0) {
        fraction |= 1u << bit;
        y >>= 1;
      }
    }
    logs[x] = static_cast<uint32_t>(whole) << kLogFraction | fraction;
  }
  return logs;
}();

// log2 of x, at least 1, to within a thousandth of a bit.
uint32_t Log2(uint32_t x) {
  if (x <= 1024) return kLog2[x];
  int shift = std::bit_width(x) - 10;
  return kLog2[(x + (1u << (shift - 1))) >> shift] + (static_cast<uint32_t>(shift) << kLogFraction);
}

// The extra bits after each literal/length symbol's code.
constexpr std::array<uint8_t, kLiteralSymbols> kLiteralExtra = [] {
  std::array<uint8_t, kLiteralSymbols> extra{};
  for (int s = kEndOfBlock + 1; s < kLiteralSymbols; ++s) extra[s] = kLengthExtra[s - kEndOfBlock - 1];
  return extra;
}();

// What a block's symbols of one alphabet come to, in one pass over those in
// use: their bits in the fixed code and in the kept one, the extra bits
// after them, and their entropy, the least bits any code could write them
// in, with kLogFraction bits after the point.
struct Tally {
  uint64_t fixedBits = 0, keptBits = 0, extraBits = 0, entropy = 0;

  Tally(const uint32_t* counts, const InUse& inUse, const uint8_t* fixedLengths, const uint8_t* keptLengths,
        const uint8_t* extra) {
    uint64_t total = 0, weighted = 0;
    inUse.ForEach([&](int s) {
      const uint32_t count = counts[s];
      total += count;
      weighted += uint64_t{count} * Log2(count);
      fixedBits += uint64_t{count} * fixedLengths[s];
      keptBits += uint64_t{count} * keptLengths[s];
      extraBits += uint64_t{count} * extra[s];
    });
    if (total != 0) entropy = total * Log2(static_cast<uint32_t>(total)) - weighted;
  }
};

// The bits that the counts' symbols take in a code of these lengths, less
// the extra bits after codes.
uint64_t SymbolBits(const uint32_t* counts, const InUse& inUse, const uint8_t* lengths) {
  uint64_t bits = 0;
  inUse.ForEach([&](int s) { bits += uint64_t{counts[s]} * lengths[s]; });
  return bits;
}

}  // namespace

// The last dynamic code made, kept for the blocks after it, with its header
// as written: pages in a row use much the same symbols as often, and making
// a code costs two thirds of what finding a page's matches does. A block
// takes it when it has a code for every symbol in use and writes them in
// not much more than their entropy; else a new one is made. (Giving new
// codes room for the symbols of the last few blocks as well made fewer of
// them, but left more pages in codes made for others: 0.4% more bytes for
// 1.5% fewer instructions.)
struct ZlibEncoder::KeptCode {
  // Whether there is a code yet.
  bool made = false;
  // The symbols it has codes for.
  InUse literalsHave, distancesHave;
  std::array<uint8_t, kLiteralSymbols> literalLengths{};
  std::array<uint8_t, kDistanceSymbols> distanceLengths{};
  std::array<DeflateCode, kLiteralSymbols> literals{};
  std::array<LengthBits, 256> matchLengths{};
  std::array<DeflateCode, kDistanceSymbols> distances{};
  // The header after its first three bits: the counts, 3 bits for each
  // length's length, then at most 7 bits for each symbol's length; and the
  // 8 bytes that the writer stores at once.
  static constexpr int kMostHeaderBits = 14 + 3 * kLengthSymbols + 7 * (kLiteralSymbols + kDistanceSymbols);
  std::array<unsigned char, kMostHeaderBits / 8 + 9> header{};
  std::size_t headerBits = 0;

  void Make(const uint32_t* literalCounts, const InUse& literalsInUse, const uint32_t* distanceCounts,
            const InUse& distancesInUse) {
    // Fewer than two symbols in use get a second, which the sets then have.
    literalsHave = literalsInUse;
    distancesHave = distancesInUse;
    DynamicCode code;
    BuildDynamic(literalCounts, literalsHave, distanceCounts, distancesHave, code);
    std::copy(code.lengths.begin(), code.lengths.begin() + code.literals, literalLengths.begin());
    std::fill(literalLengths.begin() + code.literals, literalLengths.end(), 0);
    distanceLengths = code.distanceLengths;
    FillCodes(literalLengths.data(), literalsHave, distanceLengths.data(), distancesHave, literals.data(),
              distances.data());
    FillLengths(literals.data(), matchLengths.data());
    DeflateBitWriter bits(header.data());
    PutDynamicHeader(code, bits);
    headerBits = bits.BitCount();
    bits.Finish();
    made = true;
  }
};

ZlibEncoder::ZlibEncoder()
    : kept_(std::make_unique<KeptCode>()),
      seen_(std::size_t{2} << kHashBits, 0),
      literalCounts_(kLiteralSymbols, 0),
      distanceCounts_(kDistanceSymbols, 0) {
  symbols_.resize(kBlockSymbols + 32);
}

ZlibEncoder::~ZlibEncoder() = default;

// Every block is at most its bytes stored, and there is a block for at
// least every kBlockSymbols bytes.
std::size_t ZlibEncoder::Bound(std::size_t size) { return size + size / 1024 + 64; }

std::size_t ZlibEncoder::Compress(const unsigned char* data, std::size_t size, unsigned char* out) {
  out[0] = 0x78;  // deflate with a window of 32 K
  out[1] = 0x01;  // the fastest level; the check bits
  DeflateBitWriter bits(out + 2);
  blockStart_ = data;
  for (std::size_t begin = 0; begin < size; begin += kSegment) {
    FindMatches(data + begin, std::min(kSegment, size - begin), bits);
  }
  EndBlock(data + size, bits, true);
  std::size_t written = 2 + bits.Finish();
  uint32_t check = libdeflate_adler32(1, data, size);
  for (int i = 0; i < 4; ++i) out[written++] = static_cast<unsigned char>(check >> (24 - 8 * i));
  return written;
}

void ZlibEncoder::FindMatches(const unsigned char* data, std::size_t size, DeflateBitWriter& bits) {
  if (stamp_ > UINT32_MAX - size - kWindow - 2) {
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = kWindow + 1;
  }
  const uint32_t stamp = stamp_;
  // The block's symbols and counts through locals, which the stores to the
  // tables cannot change, so they stay in registers.
  uint32_t* const seen = seen_.data();
  uint32_t* const symbols = symbols_.data();
  uint32_t* const literalCounts = literalCounts_.data();
  uint32_t* const distanceCounts = distanceCounts_.data();
  std::size_t count = symbolCount_;
  auto addLiteral = [&](unsigned char byte) {
    symbols[count++] = byte;
    ++literalCounts[byte];
  };
  std::size_t p = 0, misses = 0;
  while (p + kMinMatch <= size) {
    if (count >= kBlockSymbols) {
      symbolCount_ = count;
      EndBlock(data + p, bits, false);
      count = 0;
    }
    const uint32_t four = Load32(data + p);
    uint32_t* bucket = &seen[2 * HashOf(four)];
    const uint32_t here = stamp + static_cast<uint32_t>(p);
    // How far back the entries are; one from an earlier buffer is always
    // beyond the window.
    const std::size_t back0 = here - bucket[0], back1 = here - bucket[1];
    bucket[1] = bucket[0];
    bucket[0] = here;
    const bool newer = back0 <= kWindow && Load32(data + p - back0) == four;
    const bool older = back1 <= kWindow && Load32(data + p - back1) == four;
    if (!newer && !older) {
      // Bytes that keep finding nothing (a font's tables) are probed ever
      // more sparsely.
      if (misses < 32) {
        ++misses;
        addLiteral(data[p++]);
        continue;
      }
      std::size_t step = 1 + std::min<std::size_t>(misses++ >> 5, 15);
      for (std::size_t k = 0; k < step && p < size; ++k) addLiteral(data[p++]);
      continue;
    }
    const std::size_t limit = std::min(kMaxMatch, size - p);
    std::size_t length = 0, distance = 0;
    if (newer) {
      length = MatchLength(data + p - back0, data + p, limit);
      distance = back0;
    }
    // The older entry is longer only if it also agrees at the byte where
    // the newer one stopped.
    if (older && (length == 0 || (length < limit && data[p - back1 + length] == data[p + length]))) {
      std::size_t found = MatchLength(data + p - back1, data + p, limit);
      if (found > length) {
        length = found;
        distance = back1;
      }
    }
    const uint32_t distanceField = DistanceField(static_cast<uint32_t>(distance - 1));
    symbols[count++] = kMatchFlag | static_cast<uint32_t>(length - 3) << 18 | distanceField;
    ++literalCounts[kEndOfBlock + 1 + kLengthCode[length - 3]];
    ++distanceCounts[distanceField >> 13];
    p += length;
    // The match's end is where the next repeat most likely starts from.
    if (p + kMinMatch <= size) {
      uint32_t* end = &seen[2 * HashOf(Load32(data + p - 2))];
      end[1] = end[0];
      end[0] = stamp + static_cast<uint32_t>(p - 2);
    }
    misses = 0;
  }
  while (p < size) addLiteral(data[p++]);
  symbolCount_ = count;
  // Past the window, so that nothing of this buffer matches in the next.
  stamp_ += static_cast<uint32_t>(size + kWindow + 1);
}

// Writes the block's symbols with the fixed code or the dynamic one,
// whichever is shorter, or its bytes as they are when that is shorter still.
void ZlibEncoder::EndBlock(const unsigned char* end, DeflateBitWriter& bits, bool last) {
  literalCounts_[kEndOfBlock] = 1;
  InUse literalsInUse(literalCounts_.data(), kLiteralSymbols);
  InUse distancesInUse(distanceCounts_.data(), kDistanceSymbols);
  const FixedCode& fixedCode = Fixed();
  KeptCode& code = *kept_;
  const Tally literals(literalCounts_.data(), literalsInUse, fixedCode.literalLengths.data(),
                       code.literalLengths.data(), kLiteralExtra.data());
  const Tally distances(distanceCounts_.data(), distancesInUse, fixedCode.distanceLengths.data(),
                        code.distanceLengths.data(), kDistanceExtra.data());
  const uint64_t fixed = 3 + literals.fixedBits + distances.fixedBits;
  // The extra bits, which every code has.
  const uint64_t extra = literals.extraBits + distances.extraBits;

  const std::size_t blockSize = static_cast<std::size_t>(end - blockStart_);
  std::size_t chunks = std::max<std::size_t>(1, (blockSize + kStoredChunk - 1) / kStoredChunk);
  const uint64_t stored = 8 * uint64_t{blockSize} + 42 * uint64_t{chunks};

  // The kept code, unless it lacks a symbol in use or writes them too far
  // above their entropy. Else a new one; but not where one with a header
  // as long as the kept one's would lose to the fixed code or the bytes as
  // they are (an empty page, a font's tables), which keeps the kept code for
  // the pages after.
  uint64_t symbolBits = literals.keptBits + distances.keptBits;
  const uint64_t entropy = literals.entropy + distances.entropy;
  uint64_t dynamic = UINT64_MAX / 2;
  if (code.made && code.literalsHave.Covers(literalsInUse) && code.distancesHave.Covers(distancesInUse) &&
      symbolBits << kLogFraction <= entropy + (entropy >> kKeptSlackShift)) {
    dynamic = 3 + code.headerBits + symbolBits;
  } else if (const uint64_t likely = 3 + code.headerBits + (entropy >> kLogFraction);
             !code.made || (likely < fixed && likely + extra <= stored)) {
    code.Make(literalCounts_.data(), literalsInUse, distanceCounts_.data(), distancesInUse);
    symbolBits = SymbolBits(literalCounts_.data(), literalsInUse, code.literalLengths.data()) +
                 SymbolBits(distanceCounts_.data(), distancesInUse, code.distanceLengths.data());
    dynamic = 3 + code.headerBits + symbolBits;
  }

  if (stored < std::min(fixed, dynamic) + extra) {
    PutStored(blockSize, bits, last);
  } else if (fixed <= dynamic) {
    bits.Put(last ? 3 : 2, 3);
    PutSymbols(symbols_.data(), symbolCount_, fixedCode.literals.data(), fixedCode.matchLengths.data(),
               fixedCode.distances.data(), bits);
  } else {
    bits.Put(last ? 5 : 4, 3);
    bits.PutBits(code.header.data(), code.headerBits);
    PutSymbols(symbols_.data(), symbolCount_, code.literals.data(), code.matchLengths.data(),
               code.distances.data(), bits);
  }
  NextBlock(end);
}

void ZlibEncoder::PutStored(std::size_t blockSize, DeflateBitWriter& bits, bool last) const {
  std::size_t left = blockSize;
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

void ZlibEncoder::NextBlock(const unsigned char* end) {
  symbolCount_ = 0;
  std::fill(literalCounts_.begin(), literalCounts_.end(), 0);
  std::fill(distanceCounts_.begin(), distanceCounts_.end(), 0);
  blockStart_ = end;
}

}  // namespace rizarode::pdf
