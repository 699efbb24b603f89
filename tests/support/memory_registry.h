#pragma once
// A registry held in memory: keys by path, typed values, keys that refuse an
// open for writing.

#include <map>
#include <string>

#include "platform/registry_store.h"

namespace rizarode::testing {

class MemoryRegistry : public RegistryStore {
 public:
  struct Value {
    uint32_t type;
    std::string data;  // the bytes as stored
  };
  struct Key {
    bool writable = true;
    std::map<std::string, Value> values;
  };
  std::map<std::string, Key> keys;

  int32_t OpenKey(const std::string& path, uint32_t accessMask, RegKey& key) override {
    auto it = keys.find(path);
    if (it == keys.end()) return kRegFileNotFound;
    if ((accessMask & 0x2) && !it->second.writable) return kRegAccessDenied;
    key = next_++;
    open_[key] = path;
    return kRegSuccess;
  }
  int32_t QueryValue(RegKey key, const std::string& name, uint32_t& type,
                     std::string* data, uint32_t& size) override {
    auto k = open_.find(key);
    if (k == open_.end()) return kRegInvalidHandle;
    auto& values = keys[k->second].values;
    auto v = values.find(name);
    if (v == values.end()) return kRegFileNotFound;
    type = v->second.type;
    uint32_t room = size;
    size = static_cast<uint32_t>(v->second.data.size());
    if (data == nullptr) return kRegSuccess;
    if (room < size) return kRegMoreData;
    *data = v->second.data;
    return kRegSuccess;
  }
  int32_t SetValue(RegKey key, const std::string& name, uint32_t type,
                   const std::string& data) override {
    auto k = open_.find(key);
    if (k == open_.end()) return kRegInvalidHandle;
    keys[k->second].values[name] = {type, data};
    return kRegSuccess;
  }
  int32_t CloseKey(RegKey key) override {
    return open_.erase(key) ? kRegSuccess : kRegInvalidHandle;
  }
  bool AllClosed() const { return open_.empty(); }

 private:
  RegKey next_ = 1;
  std::map<RegKey, std::string> open_;
};

}  // namespace rizarode::testing
