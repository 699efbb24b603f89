#include "pdf/content_buffer.h"

#include <algorithm>

namespace rizarode::pdf {

// Doubles, so that a page's content is copied a few times as it grows;
// a page of text fits in the first room.
void ContentBuffer::Grow(std::size_t size) {
  std::size_t capacity = std::max({capacity_ * 2, size_ + size, std::size_t{1} << 14});
  std::unique_ptr<char[]> data(new char[capacity]);
  if (size_ != 0) std::memcpy(data.get(), data_.get(), size_);
  data_ = std::move(data);
  capacity_ = capacity;
}

}  // namespace rizarode::pdf
