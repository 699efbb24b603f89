#pragma once
// The registry on a Linux file system: one root directory stands for the
// machine root, a key is a directory below it ("A\B\C" is root/A/B/C), and a
// value is a regular file in its key's directory.
//
// A value file holds the value's type as decimal digits, one line feed, and
// then the value's bytes exactly as stored (a REG_SZ text with its NUL, a
// REG_DWORD as 4 little-endian bytes). The file is named after the value:
// bytes outside printable ASCII, "/" and "%", and a leading "." or "@" are
// written as "%" and two hexadecimal digits; the unnamed value is the file
// "@". Names of keys and values are matched without regard to ASCII case, as
// in the Windows registry; a new value keeps the case it was written with.
//
// Keys are never created here: the store's owner makes the directories. An
// open that asks to change a key is refused where the user may not write the
// key's directory, the way a user without administrator rights is refused.

#include <cstdint>
#include <map>
#include <string>

#include "platform/registry_store.h"

namespace rizarode {

inline constexpr int32_t kRegCorrupt = 1015;   // a value file of unknown form
inline constexpr int32_t kRegIoFailed = 1016;  // the file system failed

// Key access bits that the store tells apart.
inline constexpr uint32_t kKeyQueryValue = 0x01;
inline constexpr uint32_t kKeySetValue = 0x02;
inline constexpr uint32_t kKeyCreateSubKey = 0x04;
inline constexpr uint32_t kKeyEnumerateSubKeys = 0x08;
inline constexpr uint32_t kKeyNotify = 0x10;
inline constexpr uint32_t kKeyCreateLink = 0x20;

// The store's root: $RIZARODE_REGISTRY_ROOT when set, else
// /var/lib/rizarode/registry.
std::string DefaultRegistryRoot();

class FileRegistryStore : public RegistryStore {
 public:
  explicit FileRegistryStore(std::string root);
  ~FileRegistryStore() override;
  FileRegistryStore(const FileRegistryStore&) = delete;
  FileRegistryStore& operator=(const FileRegistryStore&) = delete;

  int32_t OpenKey(const std::string& path, uint32_t accessMask,
                  RegKey& key) override;
  int32_t QueryValue(RegKey key, const std::string& name, uint32_t& type,
                     std::string* data, uint32_t& size) override;
  int32_t SetValue(RegKey key, const std::string& name, uint32_t type,
                   const std::string& data) override;
  int32_t CloseKey(RegKey key) override;

  // The file name under which a value of that name is stored.
  static std::string ValueFileName(const std::string& valueName);

 private:
  struct OpenKeyEntry {
    int directory;  // descriptor of the key's directory
    uint32_t access;
  };
  const OpenKeyEntry* Entry(RegKey key) const;

  std::string root_;
  std::map<RegKey, OpenKeyEntry> open_;
  RegKey next_ = 1;
  unsigned temporaryCounter_ = 0;
};

}  // namespace rizarode
