// The registry operations against the real registry of the Wine prefix, on a
// key of the test's own under HKEY_LOCAL_MACHINE.

#include "platform/win32/win32_registry_store.h"

#include <gtest/gtest.h>

#include <string>

#include "system/registry.h"

namespace rizarode {
namespace {

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey.c_str()); }

  // The value as the system stores it: type and bytes.
  std::pair<DWORD, std::string> Stored(const std::string& name) {
    DWORD type = 0;
    char data[64] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kKey.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                     &type, data, &size) != ERROR_SUCCESS) {
      return {0, "missing"};
    }
    return {type, std::string(data, size)};
  }
  void Store(const std::string& name, DWORD type, const std::string& bytes) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey.c_str(), name.c_str(), type, bytes.data(),
                    static_cast<DWORD>(bytes.size()));
  }

  const std::string kKey = "SOFTWARE\\RizarodeTest" + std::to_string(GetCurrentProcessId());
  Win32RegistryStore store;
};

TEST_F(Win32RegistryTest, TextsAreStoredWithOneNulAndReadBackWithoutIt) {
  WriteRegValue(store, kKey, "RUZeruzaz Ori Standaard (TrueType)", std::string("VKCOUR.TTF"),
                kRegSz);
  EXPECT_EQ(Stored("RUZeruzaz Ori Standaard (TrueType)"),
            std::make_pair(DWORD{REG_SZ}, std::string("VKCOUR.TTF\0", 11)));
  EXPECT_EQ(ReadRegString(store, kKey, "RUZeruzaz Ori Standaard (TrueType)"), "VKCOUR.TTF");
  // 8-bit texts go in and come out as they are.
  WriteRegValue(store, kKey, "caf\xE9", std::string("\xC4rger"), kRegSz);
  EXPECT_EQ(ReadRegString(store, kKey, "caf\xE9"), "\xC4rger");
}

TEST_F(Win32RegistryTest, NumbersAreReadAsDigitsAndOtherTypesAsNothing) {
  WriteRegValue(store, kKey, "five", 5, kRegDword);
  EXPECT_EQ(Stored("five"), std::make_pair(DWORD{REG_DWORD}, std::string("\x05\0\0\0", 4)));
  EXPECT_EQ(ReadRegString(store, kKey, "five"), "5");
  Store("expand", REG_EXPAND_SZ, std::string("%WINDIR%\0", 9));
  EXPECT_EQ(ReadRegString(store, kKey, "expand"), "");
  EXPECT_EQ(ReadRegString(store, kKey, "missing"), "");
}

TEST_F(Win32RegistryTest, AMissingKeyIsNeitherReadNorCreated) {
  const std::string missing = kKey + "\\Fonts";
  EXPECT_FALSE(RegKeyExists(store, missing));
  WriteRegValue(store, missing, "RUZeruzaz Ori Vet (TrueType)", std::string("VKCOURBD.TTF"),
                kRegSz);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, missing.c_str(), 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(RegKeyExists(store, kKey));
}

// The program registers its fonts under the Windows NT family's key, which
// the prefix has and which opens with the program's access.
TEST_F(Win32RegistryTest, TheFontKeyOfTheSystemOpens) {
  EXPECT_TRUE(RegKeyExists(store, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"));
}

}  // namespace
}  // namespace rizarode
