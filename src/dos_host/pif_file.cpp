#include "dos_host/pif_file.h"

#include <fstream>
#include <iterator>

#include "base/text.h"

namespace rizarode {
namespace {

constexpr std::size_t kTitleAt = 0x02, kTitleSize = 30;
constexpr std::size_t kProgramAt = 0x24, kProgramSize = 63;
constexpr std::size_t kFlagsAt = 0x63;
constexpr std::size_t kDirectoryAt = 0x65, kDirectorySize = 64;
constexpr std::size_t kParametersAt = 0xA5, kParametersSize = 64;
// The standard section is 171h bytes; the fields read end at E5h.
constexpr std::size_t kFieldsEnd = kParametersAt + kParametersSize;
// Reading stops well past the standard section: a PIF is small, and a large
// file of that name is not one.
constexpr std::size_t kMaxPifSize = 64 * 1024;

// A text field ends at its first NUL; editors also pad with blanks.
std::string Field(const std::string& bytes, std::size_t at, std::size_t size) {
  std::string text = bytes.substr(at, size);
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
  return Trimmed(text, " ");
}

}  // namespace

std::optional<PifStart> ParsePif(const std::string& bytes) {
  if (bytes.size() < kFieldsEnd) return std::nullopt;
  PifStart pif;
  pif.title = Field(bytes, kTitleAt, kTitleSize);
  pif.programFile = Field(bytes, kProgramAt, kProgramSize);
  pif.flags = static_cast<unsigned char>(bytes[kFlagsAt]);
  pif.startDirectory = Field(bytes, kDirectoryAt, kDirectorySize);
  pif.parameters = Field(bytes, kParametersAt, kParametersSize);
  if (pif.programFile.empty()) return std::nullopt;
  return pif;
}

std::optional<PifStart> ReadPif(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(kMaxPifSize + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad() || bytes.size() > kMaxPifSize) return std::nullopt;
  return ParsePif(bytes);
}

}  // namespace rizarode
