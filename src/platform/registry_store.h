#pragma once
// A store of keys and typed values under one root, opened and read the way
// the Windows registry is.

#include <cstdint>
#include <string>

namespace rizarode {

using RegKey = uint32_t;  // 0 is no key

inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;

inline constexpr int32_t kRegSuccess = 0;
inline constexpr int32_t kRegFileNotFound = 2;
inline constexpr int32_t kRegAccessDenied = 5;
inline constexpr int32_t kRegInvalidHandle = 6;
inline constexpr int32_t kRegInvalidParameter = 87;
inline constexpr int32_t kRegMoreData = 234;

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;
  // Opens an existing key by its path under the root ("A\B\C"). Never
  // creates it. Sets key to the new handle on success.
  virtual int32_t OpenKey(const std::string& path, uint32_t accessMask,
                          RegKey& key) = 0;
  // Reads a value's type and size; with data not null also its bytes, when
  // size (in: room in bytes) is large enough. size comes back as the
  // value's size in bytes.
  virtual int32_t QueryValue(RegKey key, const std::string& name,
                             uint32_t& type, std::string* data,
                             uint32_t& size) = 0;
  virtual int32_t SetValue(RegKey key, const std::string& name, uint32_t type,
                           const std::string& data) = 0;
  virtual int32_t CloseKey(RegKey key) = 0;
};

}  // namespace rizarode
