#include "system/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/linux/file_registry_store.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace rizarode {
namespace {

namespace fs = std::filesystem;
using testing::AsUnprivilegedUser;
using testing::TempDir;

constexpr char kKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
constexpr char kKeyDir[] = "registry/SOFTWARE/Microsoft/Windows/CurrentVersion/Fonts";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir / kKeyDir); }
  // A value file as another program (or an administrator) left it.
  void PutValueFile(const std::string& name, const std::string& content) {
    dir.Write(std::string(kKeyDir) + "/" + name, content);
  }
  std::string ValueFile(const std::string& name) {
    return dir.Read(std::string(kKeyDir) + "/" + name);
  }

  TempDir dir;
  std::string root = dir / "registry";
  FileRegistryStore store{root};
};

TEST_F(RegistryTest, TextIsStoredWithOneNulThatItsSizeCountsAndReadBackWithout) {
  WriteRegValue(store, kKey, "RUZeruzaz Ori Standaard (TrueType)", std::string("VKCOUR.TTF"),
                kRegSz);

  EXPECT_EQ(ValueFile("RUZeruzaz Ori Standaard (TrueType)"), std::string("1\nVKCOUR.TTF\0", 13));
  RegKey key = 0;
  ASSERT_EQ(store.OpenKey(kKey, kRegOpenAccess, key), kRegSuccess);
  uint32_t type = 0, size = 0;
  EXPECT_EQ(store.QueryValue(key, "RUZeruzaz Ori Standaard (TrueType)", type, nullptr, size),
            kRegSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 11u);
  RegValue holder;
  EXPECT_EQ(QueryRegValue(store, key, "RUZeruzaz Ori Standaard (TrueType)", holder), kRegSuccess);
  EXPECT_EQ(holder, RegValue(std::string("VKCOUR.TTF\0", 11)));
  store.CloseKey(key);

  EXPECT_EQ(ReadRegString(store, kKey, "RUZeruzaz Ori Standaard (TrueType)"), "VKCOUR.TTF");
}

TEST_F(RegistryTest, NumbersAreFourLittleEndianBytesAndReadAsDecimalText) {
  WriteRegValue(store, kKey, "five", int32_t{5}, kRegDword);
  WriteRegValue(store, kKey, "negative", int32_t{-2}, kRegDword);
  WriteRegValue(store, kKey, "from text", std::string(" 258 "), kRegDword);

  EXPECT_EQ(ValueFile("five"), std::string("4\n\x05\0\0\0", 6));
  EXPECT_EQ(ValueFile("from text"), std::string("4\n\x02\x01\0\0", 6));
  EXPECT_EQ(ReadRegString(store, kKey, "five"), "5");
  EXPECT_EQ(ReadRegString(store, kKey, "negative"), "-2");
  EXPECT_EQ(ReadRegString(store, kKey, "from text"), "258");

  // A number as text gives its digits and a NUL, as any text does.
  WriteRegValue(store, kKey, "as text", int32_t{42}, kRegSz);
  EXPECT_EQ(ValueFile("as text"), std::string("1\n42\0", 5));
}

TEST_F(RegistryTest, TextThatIsNoNumberIsNotWrittenAsOne) {
  RegKey key = 0;
  ASSERT_EQ(store.OpenKey(kKey, kRegOpenAccess, key), kRegSuccess);
  EXPECT_NE(SetRegValue(store, key, "n", kRegDword, std::string("12abc")), kRegSuccess);
  EXPECT_NE(SetRegValue(store, key, "n", kRegDword, std::string("")), kRegSuccess);
  EXPECT_NE(SetRegValue(store, key, "n", kRegDword, std::string("99999999999")), kRegSuccess);
  store.CloseKey(key);
  EXPECT_FALSE(fs::exists(dir / (std::string(kKeyDir) + "/n")));
}

TEST_F(RegistryTest, MissingValuesKeysAndOtherTypesReadAsEmptyText) {
  PutValueFile("expand", std::string("2\n%WINDIR%\\FONTS\0", 17));
  PutValueFile("binary", std::string("3\n\x01\x02", 4));
  PutValueFile("multi", std::string("7\na\0b\0\0", 8));

  EXPECT_EQ(ReadRegString(store, kKey, "absent"), "");
  EXPECT_EQ(ReadRegString(store, "SOFTWARE\\Absent", "absent"), "");
  EXPECT_EQ(ReadRegString(store, kKey, "expand"), "");
  EXPECT_EQ(ReadRegString(store, kKey, "binary"), "");
  EXPECT_EQ(ReadRegString(store, kKey, "multi"), "");

  RegKey key = 0;
  ASSERT_EQ(store.OpenKey(kKey, kRegOpenAccess, key), kRegSuccess);
  RegValue holder = int32_t{9};
  EXPECT_EQ(QueryRegValue(store, key, "expand", holder), kRegUnsupportedType);
  EXPECT_EQ(holder, RegValue(int32_t{9}));
  EXPECT_EQ(QueryRegValue(store, key, "absent", holder), kRegFileNotFound);
  EXPECT_EQ(holder, RegValue(int32_t{9}));
  store.CloseKey(key);
}

TEST_F(RegistryTest, TextIsCutAtItsFirstNulAndKeptWholeWithoutOne) {
  PutValueFile("two", std::string("1\nVKCOUR.TTF\0junk\0", 19));
  PutValueFile("bare", "1\nVKCOURBD.TTF");
  PutValueFile("empty", "1\n");
  EXPECT_EQ(ReadRegString(store, kKey, "two"), "VKCOUR.TTF");
  EXPECT_EQ(ReadRegString(store, kKey, "bare"), "VKCOURBD.TTF");
  EXPECT_EQ(ReadRegString(store, kKey, "empty"), "");
}

TEST_F(RegistryTest, OtherTypesWriteNothingAndSucceed) {
  RegKey key = 0;
  ASSERT_EQ(store.OpenKey(kKey, kRegOpenAccess, key), kRegSuccess);
  EXPECT_EQ(SetRegValue(store, key, "expand", kRegExpandSz, std::string("x")), kRegSuccess);
  EXPECT_EQ(SetRegValue(store, key, "binary", kRegBinary, std::string("x")), kRegSuccess);
  store.CloseKey(key);
  EXPECT_TRUE(fs::is_empty(dir / kKeyDir));
}

TEST_F(RegistryTest, KeysAreNeverCreated) {
  WriteRegValue(store, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "v",
                std::string("VKCOUR.TTF"), kRegSz);
  WriteRegValue(store, "SOFTWARE\\New", "v", std::string("x"), kRegSz);
  EXPECT_FALSE(fs::exists(dir / "registry/SOFTWARE/Microsoft/Windows NT"));
  EXPECT_FALSE(fs::exists(dir / "registry/SOFTWARE/New"));
  EXPECT_FALSE(RegKeyExists(store, "SOFTWARE\\New"));
}

TEST_F(RegistryTest, KeyPathsStayInsideTheStore) {
  fs::create_directories(dir / "outside/Fonts");
  fs::create_directory_symlink(dir / "outside", dir / "registry/SOFTWARE/Linked");
  dir.Write("registry/SOFTWARE/NotAKey", "1\nx");

  EXPECT_TRUE(RegKeyExists(store, kKey));
  EXPECT_TRUE(RegKeyExists(store, "SOFTWARE"));
  EXPECT_FALSE(RegKeyExists(store, "SOFTWARE\\Linked\\Fonts"));
  EXPECT_FALSE(RegKeyExists(store, "SOFTWARE\\NotAKey"));
  EXPECT_FALSE(RegKeyExists(store, "SOFTWARE\\..\\..\\outside"));
  EXPECT_FALSE(RegKeyExists(store, ".."));
  EXPECT_FALSE(RegKeyExists(store, "SOFTWARE\\."));
  EXPECT_FALSE(RegKeyExists(store, "SOFTWARE/Microsoft"));
  EXPECT_FALSE(RegKeyExists(store, "SOFTWARE\\\\Microsoft"));
  EXPECT_FALSE(RegKeyExists(store, "\\SOFTWARE"));
  EXPECT_FALSE(RegKeyExists(store, "SOFTWARE\\"));
  EXPECT_FALSE(RegKeyExists(store, std::string("SOFTWARE\0x", 10)));

  WriteRegValue(store, "SOFTWARE\\Linked\\Fonts", "v", std::string("x"), kRegSz);
  EXPECT_TRUE(fs::is_empty(dir / "outside/Fonts"));
}

TEST_F(RegistryTest, KeyNamesMatchWithoutRegardToCase) {
  EXPECT_TRUE(RegKeyExists(store, "software\\MICROSOFT\\windows\\currentversion\\fonts"));
  WriteRegValue(store, "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts", "v",
                std::string("x"), kRegSz);
  EXPECT_EQ(ReadRegString(store, kKey, "v"), "x");
}

TEST_F(RegistryTest, KeyTheUserMayReadButNotWriteDoesNotOpen) {
  WriteRegValue(store, kKey, "v", std::string("VKCOUR.TTF"), kRegSz);
  fs::create_directories(dir / "registry/SOFTWARE/Open");
  fs::permissions(dir.path(), fs::perms(0755));
  fs::permissions(dir / "registry/SOFTWARE/Open", fs::perms(0777));
  ASSERT_EQ(::chmod((dir / kKeyDir).c_str(), 0555), 0);

  auto check = [&](auto condition) {
    return AsUnprivilegedUser([&] {
      FileRegistryStore own(root);
      return condition(own) ? 0 : 1;
    });
  };
  // The user reaches the store and may open a key that everyone may write.
  EXPECT_EQ(check([](RegistryStore& s) { return RegKeyExists(s, "SOFTWARE\\Open"); }), 0);
  EXPECT_EQ(check([](RegistryStore& s) { return !RegKeyExists(s, kKey); }), 0);
  EXPECT_EQ(check([](RegistryStore& s) { return ReadRegString(s, kKey, "v").empty(); }), 0);
  EXPECT_EQ(check([](RegistryStore& s) {
              WriteRegValue(s, kKey, "w", std::string("x"), kRegSz);
              return true;
            }),
            0);
  EXPECT_FALSE(fs::exists(dir / (std::string(kKeyDir) + "/w")));
  // Opened for reading alone, the same key reads, and refuses a write.
  EXPECT_EQ(check([](RegistryStore& s) {
              RegKey key = 0;
              if (s.OpenKey(kKey, kKeyQueryValue, key) != kRegSuccess) return false;
              RegValue holder;
              bool read = QueryRegValue(s, key, "v", holder) == kRegSuccess &&
                          holder == RegValue(std::string("VKCOUR.TTF\0", 11));
              bool refused = s.SetValue(key, "v", kRegSz, "y") == kRegAccessDenied;
              s.CloseKey(key);
              return read && refused;
            }),
            0);
}

TEST_F(RegistryTest, HandlesThatAreNotOpenAreRefused) {
  RegKey key = 0;
  ASSERT_EQ(store.OpenKey(kKey, kRegOpenAccess, key), kRegSuccess);
  EXPECT_NE(key, 0u);
  EXPECT_EQ(store.CloseKey(key), kRegSuccess);
  EXPECT_EQ(store.CloseKey(key), kRegInvalidHandle);
  EXPECT_EQ(store.CloseKey(0), kRegInvalidHandle);
  RegValue holder;
  EXPECT_EQ(QueryRegValue(store, key, "v", holder), kRegInvalidHandle);
  EXPECT_EQ(SetRegValue(store, 0, "v", kRegSz, std::string("x")), kRegInvalidHandle);
  EXPECT_TRUE(fs::is_empty(dir / kKeyDir));
}

}  // namespace
}  // namespace rizarode
