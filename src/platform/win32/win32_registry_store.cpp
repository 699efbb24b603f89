#include "platform/win32/win32_registry_store.h"

namespace rizarode {

Win32RegistryStore::~Win32RegistryStore() {
  for (auto& [key, handle] : open_) RegCloseKey(handle);
}

HKEY Win32RegistryStore::Handle(RegKey key) const {
  auto it = open_.find(key);
  return it == open_.end() ? nullptr : it->second;
}

int32_t Win32RegistryStore::OpenKey(const std::string& path, uint32_t accessMask, RegKey& key) {
  HKEY handle = nullptr;
  LONG status = RegOpenKeyExA(root_, path.c_str(), 0, accessMask, &handle);
  if (status != ERROR_SUCCESS) return status;
  key = ++lastKey_;
  if (key == 0) key = ++lastKey_;  // after wrapping round: 0 is no key
  open_[key] = handle;
  return ERROR_SUCCESS;
}

int32_t Win32RegistryStore::QueryValue(RegKey key, const std::string& name, uint32_t& type,
                                       std::string* data, uint32_t& size) {
  HKEY handle = Handle(key);
  if (handle == nullptr) return ERROR_INVALID_HANDLE;
  DWORD valueType = 0;
  DWORD valueSize = size;
  LONG status;
  if (data == nullptr) {
    status = RegQueryValueExA(handle, name.c_str(), nullptr, &valueType, nullptr, &valueSize);
  } else {
    // Room for what the caller offers; the value's bytes come back as they
    // are stored.
    data->assign(size, '\0');
    status = RegQueryValueExA(handle, name.c_str(), nullptr, &valueType,
                              reinterpret_cast<BYTE*>(data->data()), &valueSize);
    if (status == ERROR_SUCCESS) data->resize(valueSize);
  }
  if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    type = valueType;
    size = valueSize;
  }
  return status;
}

int32_t Win32RegistryStore::SetValue(RegKey key, const std::string& name, uint32_t type,
                                     const std::string& data) {
  HKEY handle = Handle(key);
  if (handle == nullptr) return ERROR_INVALID_HANDLE;
  return RegSetValueExA(handle, name.c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

int32_t Win32RegistryStore::CloseKey(RegKey key) {
  auto it = open_.find(key);
  if (it == open_.end()) return ERROR_INVALID_HANDLE;
  LONG status = RegCloseKey(it->second);
  open_.erase(it);
  return status;
}

}  // namespace rizarode
