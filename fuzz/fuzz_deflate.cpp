// The PDF writer's encoder on any bytes: the stream inflates to exactly
// them, within the bound, or a document would be unreadable.

#include <libdeflate.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pdf/zlib_encoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // One encoder for every input, as one document uses one for all its
  // streams: what an earlier buffer left in its tables must not leak in.
  static rizarode::pdf::ZlibEncoder encoder;
  static libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
  std::vector<unsigned char> out(rizarode::pdf::ZlibEncoder::Bound(size));
  std::size_t written = encoder.Compress(data, size, out.data());
  if (written == 0 || written > out.size()) __builtin_trap();
  std::vector<unsigned char> back(size + 1);
  std::size_t got = 0;
  if (libdeflate_zlib_decompress(inflater, out.data(), written, back.data(), back.size(),
                                 &got) != LIBDEFLATE_SUCCESS ||
      got != size || (size > 0 && std::memcmp(back.data(), data, size) != 0)) {
    __builtin_trap();
  }
  return 0;
}
