#pragma once
// The program's registry operations: read, write and test keys under the
// machine root of a RegistryStore. None of them shows a message; failures come
// back as results or are dropped.

#include <cstdint>
#include <string>
#include <variant>

#include "platform/registry_store.h"

namespace rizarode {

// The access every key is opened with (query, set, create subkey,
// enumerate, notify, create link), also when it is only read: a key the user
// may read but not write therefore does not open.
inline constexpr uint32_t kRegOpenAccess = 63;

// The result of QueryRegValue returned when the value's type is neither
// REG_SZ nor REG_DWORD.
inline constexpr int32_t kRegUnsupportedType = -1;

// Nothing, a text (8-bit, as stored, NUL included) or a 32-bit integer.
using RegValue = std::variant<std::monostate, std::string, int32_t>;

// Reads a value of an open key into holder. Returns 0 or the store's error
// code, or kRegUnsupportedType (holder unchanged) for other types.
int32_t QueryRegValue(RegistryStore& store, RegKey key,
                      const std::string& valueName, RegValue& holder);

// Writes a value into an open key as REG_SZ (text plus one NUL) or
// REG_DWORD (4 bytes). Any other type writes nothing and returns 0.
int32_t SetRegValue(RegistryStore& store, RegKey key,
                    const std::string& valueName, uint32_t type,
                    const RegValue& value);

// True when the key can be opened with kRegOpenAccess.
bool RegKeyExists(RegistryStore& store, const std::string& path);

// The value as text, up to its first NUL; "" for a missing key or value, a
// key that does not open, or an unsupported type.
std::string ReadRegString(RegistryStore& store, const std::string& path,
                          const std::string& valueName);

// Writes a value into an existing key; the key is never created, and every
// failure is dropped. Note the order: value before type.
void WriteRegValue(RegistryStore& store, const std::string& path,
                   const std::string& valueName, const RegValue& value,
                   uint32_t type);

}  // namespace rizarode
