#pragma once
// The registry under HKEY_LOCAL_MACHINE. The program's key numbers stand for
// the system's key handles, which do not fit its 32-bit key type.

#include <map>

#include "platform/win32/windows_api.h"

#include "platform/registry_store.h"

namespace rizarode {

class Win32RegistryStore : public RegistryStore {
 public:
  // root is HKEY_LOCAL_MACHINE for the program; tests give a key of their own.
  explicit Win32RegistryStore(HKEY root = HKEY_LOCAL_MACHINE) : root_(root) {}
  ~Win32RegistryStore() override;

  int32_t OpenKey(const std::string& path, uint32_t accessMask, RegKey& key) override;
  int32_t QueryValue(RegKey key, const std::string& name, uint32_t& type,
                     std::string* data, uint32_t& size) override;
  int32_t SetValue(RegKey key, const std::string& name, uint32_t type,
                   const std::string& data) override;
  int32_t CloseKey(RegKey key) override;

 private:
  HKEY Handle(RegKey key) const;

  HKEY root_;
  std::map<RegKey, HKEY> open_;
  RegKey lastKey_ = 0;
};

}  // namespace rizarode
