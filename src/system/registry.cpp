#include "system/registry.h"

#include <charconv>
#include <optional>

#include "program/numbers.h"

namespace rizarode {
namespace {

std::string AsText(const RegValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<int32_t>(&value)) return Decimal(*number);
  return {};
}

// A text counts as a number only when all of it (blanks aside) is one.
std::optional<int32_t> AsDword(const RegValue& value) {
  if (const auto* number = std::get_if<int32_t>(&value)) return *number;
  const auto* text = std::get_if<std::string>(&value);
  if (text == nullptr) return 0;
  std::size_t first = text->find_first_not_of(" \t");
  std::size_t last = text->find_last_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  double number = 0;
  const char* begin = text->data() + first;
  const char* end = text->data() + last + 1;
  auto [stop, error] = std::from_chars(begin, end, number);
  if (error != std::errc() || stop != end) return std::nullopt;
  return ToInt32(number);
}

std::string DwordBytes(int32_t number) {
  auto bits = static_cast<uint32_t>(number);
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  return bytes;
}

// Little-endian, as the value's bytes sit in a 32-bit integer that was 0.
int32_t DwordFromBytes(const std::string& bytes) {
  uint32_t bits = 0;
  for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) {
    bits |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  }
  return static_cast<int32_t>(bits);
}

RegKey OpenForAllAccess(RegistryStore& store, const std::string& path) {
  RegKey key = 0;
  store.OpenKey(path, kRegOpenAccess, key);
  return key;
}

}  // namespace

int32_t QueryRegValue(RegistryStore& store, RegKey key,
                      const std::string& valueName, RegValue& holder) {
  uint32_t type = 0;
  uint32_t size = 0;
  int32_t status = store.QueryValue(key, valueName, type, nullptr, size);
  if (status != kRegSuccess) return status;

  if (type == kRegSz) {
    std::string text(size, '\0');
    uint32_t returned = size;
    status = store.QueryValue(key, valueName, type, &text, returned);
    if (status == kRegSuccess) {
      // The count includes the stored NUL, so the text keeps it.
      holder = text.substr(0, returned);
    } else {
      holder = std::monostate{};
    }
    return status;
  }
  if (type == kRegDword) {
    std::string bytes;
    uint32_t room = 4;
    status = store.QueryValue(key, valueName, type, &bytes, room);
    if (status == kRegSuccess) holder = DwordFromBytes(bytes);
    return status;
  }
  return kRegUnsupportedType;
}

int32_t SetRegValue(RegistryStore& store, RegKey key,
                    const std::string& valueName, uint32_t type,
                    const RegValue& value) {
  if (type == kRegSz) {
    return store.SetValue(key, valueName, kRegSz, AsText(value) + '\0');
  }
  if (type == kRegDword) {
    std::optional<int32_t> number = AsDword(value);
    if (!number) return kRegInvalidParameter;
    return store.SetValue(key, valueName, kRegDword, DwordBytes(*number));
  }
  return kRegSuccess;
}

bool RegKeyExists(RegistryStore& store, const std::string& path) {
  // The handle decides, not the status.
  RegKey key = OpenForAllAccess(store, path);
  if (key == 0) return false;
  store.CloseKey(key);
  return true;
}

std::string ReadRegString(RegistryStore& store, const std::string& path,
                          const std::string& valueName) {
  // A key that does not open leaves the handle 0, and the query on it fails.
  RegKey key = OpenForAllAccess(store, path);
  RegValue holder;
  QueryRegValue(store, key, valueName, holder);
  store.CloseKey(key);
  std::string text = AsText(holder);
  return text.substr(0, text.find('\0'));
}

void WriteRegValue(RegistryStore& store, const std::string& path,
                   const std::string& valueName, const RegValue& value,
                   uint32_t type) {
  RegKey key = OpenForAllAccess(store, path);
  SetRegValue(store, key, valueName, type, value);
  store.CloseKey(key);
}

}  // namespace rizarode
