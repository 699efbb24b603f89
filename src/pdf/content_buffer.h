#pragma once
// The bytes of a page's content as its operators are written: each piece
// makes its own room and is then only stores. A page takes some thousands
// of short writes, a document millions.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "pdf/pdf_syntax.h"

namespace rizarode::pdf {

class ContentBuffer {
 public:
  ContentBuffer& Text(std::string_view text) {
    char* out = Room(text.size());
    std::memcpy(out, text.data(), text.size());
    size_ += text.size();
    return *this;
  }
  ContentBuffer& Integer(int64_t value) {
    Wrote(PutInteger(Room(kIntegerRoom), value));
    return *this;
  }
  ContentBuffer& Real(double value, int decimals) {
    Wrote(PutReal(Room(kRealRoom), value, decimals));
    return *this;
  }
  // A literal string of the bytes, marked as shown.
  ContentBuffer& String(std::string_view bytes, ShownBytes& shown) {
    Wrote(PutString(Room(StringRoom(bytes.size())), bytes, shown));
    return *this;
  }

  std::string_view View() const { return {data_.get(), size_}; }
  bool Empty() const { return size_ == 0; }
  void Clear() { size_ = 0; }

 private:
  char* Room(std::size_t size) {
    if (capacity_ - size_ < size) Grow(size);
    return data_.get() + size_;
  }
  void Wrote(char* end) { size_ = static_cast<std::size_t>(end - data_.get()); }
  void Grow(std::size_t size);

  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0, capacity_ = 0;
};

}  // namespace rizarode::pdf
