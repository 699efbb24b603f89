#include "dos_host/program_kind.h"

#include <cstdint>
#include <fstream>

#include "base/text.h"

namespace rizarode {
namespace {

constexpr std::size_t kHeadSize = 64;
constexpr std::size_t kNewHeaderOffsetAt = 0x3C;

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

bool HasComExtension(const std::string& name) {
  return name.size() >= 4 && UpperCase(std::string_view(name).substr(name.size() - 4)) == ".COM";
}

bool IsNativeStart(const std::string& head) {
  return StartsWith(head, "\x7f" "ELF") || StartsWith(head, "#!");
}

uint32_t NewHeaderOffset(const std::string& head) {
  uint32_t offset = 0;
  for (int i = 3; i >= 0; --i) {
    offset = offset << 8 | static_cast<unsigned char>(head[kNewHeaderOffsetAt + i]);
  }
  return offset;
}

// The kind from the file's first bytes (up to 64 of them, plus the two at
// the offset named at 3Ch) and its name.
ProgramKind KindFromFirstBytes(const std::string& name, const std::string& head,
                               const std::string& newHeaderMagic) {
  if (IsNativeStart(head)) return ProgramKind::kNative;
  if (StartsWith(head, "MZ") || StartsWith(head, "ZM")) {
    // A Windows program keeps a DOS stub in front of its own header; DOS
    // extenders (LE, LX) run under DOS all the same.
    const bool windows = newHeaderMagic == "PE" || newHeaderMagic == "NE";
    return windows ? ProgramKind::kNative : ProgramKind::kDos;
  }
  // A .COM file has no header at all: its name is all there is to go by.
  return HasComExtension(name) ? ProgramKind::kDos : ProgramKind::kNative;
}

}  // namespace

bool HasNativeStart(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(4, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  return IsNativeStart(head);
}

ProgramKind KindOfProgram(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return ProgramKind::kNative;
  std::string head(kHeadSize, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  std::string magic;
  if (head.size() == kHeadSize) {
    in.clear();
    in.seekg(NewHeaderOffset(head));
    magic.assign(2, '\0');
    in.read(magic.data(), 2);
    magic.resize(static_cast<std::size_t>(in.gcount()));
  }
  return KindFromFirstBytes(path, head, magic);
}

}  // namespace rizarode
