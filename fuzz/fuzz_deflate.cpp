// The PDF writer's encoder on any bytes: each stream inflates to exactly
// them, within the bound, or a document would be unreadable. The input's
// first byte cuts the rest into one to eight buffers, which one encoder
// compresses in turn as a document's streams: what an earlier buffer left
// behind (its positions, the code kept from it) must not spoil a later one.

#include <libdeflate.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pdf/zlib_encoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
  rizarode::pdf::ZlibEncoder encoder;
  std::size_t buffers = 1;
  if (size > 0) {
    buffers += data[0] % 8;
    ++data;
    --size;
  }
  std::vector<unsigned char> out, back;
  for (std::size_t i = 0; i < buffers; ++i) {
    const uint8_t* buffer = data + size * i / buffers;
    const std::size_t length = size * (i + 1) / buffers - size * i / buffers;
    out.assign(rizarode::pdf::ZlibEncoder::Bound(length), 0);
    std::size_t written = encoder.Compress(buffer, length, out.data());
    if (written == 0 || written > out.size()) __builtin_trap();
    back.assign(length + 1, 0);
    std::size_t got = 0;
    if (libdeflate_zlib_decompress(inflater, out.data(), written, back.data(), back.size(), &got) !=
            LIBDEFLATE_SUCCESS ||
        got != length || (length > 0 && std::memcmp(back.data(), buffer, length) != 0)) {
      __builtin_trap();
    }
  }
  return 0;
}
