#include "platform/linux/file_registry_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "support/temp_dir.h"

namespace rizarode {
namespace {

namespace fs = std::filesystem;
using testing::EnvGuard;
using testing::TempDir;

constexpr uint32_t kAllAccess = 63;

class FileRegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "registry/Key");
    ASSERT_EQ(store.OpenKey("Key", kAllAccess, key), kRegSuccess);
  }
  void TearDown() override { store.CloseKey(key); }

  std::string Read(const std::string& name, uint32_t* type = nullptr) {
    uint32_t t = 0, size = 1 << 20;
    std::string data;
    int32_t status = store.QueryValue(key, name, t, &data, size);
    if (type) *type = t;
    return status == kRegSuccess ? data : "<" + std::to_string(status) + ">";
  }
  std::set<std::string> Files() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir / "registry/Key")) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  TempDir dir;
  FileRegistryStore store{dir / "registry"};
  RegKey key = 0;
};

TEST_F(FileRegistryStoreTest, AnyValueNameIsStoredAsOneSafeFileName) {
  const std::string names[] = {"a/b", "..", ".", ".hidden", "@", "", "50%",
                               "caf\xE9", "x\ny", "a\\b", "%41", "@home"};
  for (const std::string& name : names) {
    ASSERT_EQ(store.SetValue(key, name, kRegSz, name + "|"), kRegSuccess) << name;
  }
  for (const std::string& name : names) EXPECT_EQ(Read(name), name + "|") << name;

  std::set<std::string> files = Files();
  EXPECT_EQ(files.size(), std::size(names));
  for (const std::string& file : files) {
    EXPECT_NE(file[0], '.') << file;
    for (char c : file) {
      EXPECT_TRUE(c > 0x20 - 1 && c < 0x7F && c != '/') << file;
    }
    EXPECT_TRUE(fs::is_regular_file(dir / ("registry/Key/" + file))) << file;
  }
  EXPECT_TRUE(files.count("@"));  // the unnamed value
  EXPECT_TRUE(files.count("a%2Fb"));
  EXPECT_TRUE(files.count("caf%E9"));
}

TEST_F(FileRegistryStoreTest, ValueNamesMatchWithoutRegardToCaseAndKeepTheirFirstCase) {
  ASSERT_EQ(store.SetValue(key, "Font Name", kRegSz, "one"), kRegSuccess);
  ASSERT_EQ(store.SetValue(key, "FONT NAME", kRegSz, "two"), kRegSuccess);
  EXPECT_EQ(Read("font name"), "two");
  EXPECT_EQ(Files(), std::set<std::string>{"Font Name"});
}

TEST_F(FileRegistryStoreTest, ARewriteReplacesTheValueWholeAndLeavesNoTemporaryFile) {
  ASSERT_EQ(store.SetValue(key, "v", kRegSz, "old"), kRegSuccess);
  // A reader holding the old file keeps reading the old value: the new one
  // arrives as another file, never by rewriting the old one in place.
  fs::create_hard_link(dir / "registry/Key/v", dir / "held");
  ASSERT_EQ(store.SetValue(key, "v", kRegDword, std::string("\x07\0\0\0", 4)), kRegSuccess);

  EXPECT_EQ(dir.Read("held"), "1\nold");
  uint32_t type = 0;
  EXPECT_EQ(Read("v", &type), std::string("\x07\0\0\0", 4));
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(Files(), std::set<std::string>{"v"});
}

TEST_F(FileRegistryStoreTest, ValuesAreReadableByEveryUserWhateverTheUmask) {
  mode_t old = ::umask(077);
  ASSERT_EQ(store.SetValue(key, "v", kRegSz, "x"), kRegSuccess);
  ::umask(old);
  struct stat st {};
  ASSERT_EQ(::stat((dir / "registry/Key/v").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(FileRegistryStoreTest, SizeComesBackAndASmallBufferIsRefused) {
  ASSERT_EQ(store.SetValue(key, "v", kRegSz, std::string("abc\0", 4)), kRegSuccess);
  uint32_t type = 0, size = 0;
  EXPECT_EQ(store.QueryValue(key, "v", type, nullptr, size), kRegSuccess);
  EXPECT_EQ(size, 4u);
  std::string data;
  size = 3;
  EXPECT_EQ(store.QueryValue(key, "v", type, &data, size), kRegMoreData);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(data, "");
}

TEST_F(FileRegistryStoreTest, FilesThatAreNoValuesAreNotRead) {
  dir.Write("registry/Key/untyped", "VKCOUR.TTF");
  dir.Write("registry/Key/letters", "SZ\nVKCOUR.TTF");
  dir.Write("registry/Key/huge type", "99999999999\nx");
  fs::create_directory(dir / "registry/Key/Subkey");
  fs::create_symlink(dir / "registry/Key/untyped", dir / "registry/Key/link");
  EXPECT_EQ(Read("untyped"), "<" + std::to_string(kRegCorrupt) + ">");
  EXPECT_EQ(Read("letters"), "<" + std::to_string(kRegCorrupt) + ">");
  EXPECT_EQ(Read("huge type"), "<" + std::to_string(kRegCorrupt) + ">");
  EXPECT_EQ(Read("Subkey"), "<" + std::to_string(kRegFileNotFound) + ">");
  EXPECT_EQ(Read("link"), "<" + std::to_string(kRegFileNotFound) + ">");
  // A subkey's name cannot be taken by a value.
  EXPECT_NE(store.SetValue(key, "Subkey", kRegSz, "x"), kRegSuccess);
  EXPECT_TRUE(fs::is_directory(dir / "registry/Key/Subkey"));
}

TEST_F(FileRegistryStoreTest, AHandleDoesOnlyWhatItWasOpenedFor) {
  ASSERT_EQ(store.SetValue(key, "v", kRegSz, "x"), kRegSuccess);
  RegKey reading = 0, writing = 0;
  ASSERT_EQ(store.OpenKey("Key", kKeyQueryValue, reading), kRegSuccess);
  ASSERT_EQ(store.OpenKey("Key", kKeySetValue, writing), kRegSuccess);
  EXPECT_NE(reading, writing);
  uint32_t type = 0, size = 0;
  EXPECT_EQ(store.QueryValue(reading, "v", type, nullptr, size), kRegSuccess);
  EXPECT_EQ(store.SetValue(reading, "v", kRegSz, "y"), kRegAccessDenied);
  EXPECT_EQ(store.QueryValue(writing, "v", type, nullptr, size), kRegAccessDenied);
  EXPECT_EQ(store.SetValue(writing, "v", kRegSz, "y"), kRegSuccess);
  store.CloseKey(reading);
  store.CloseKey(writing);
}

TEST_F(FileRegistryStoreTest, AKeyRemovedWhileOpenFailsQuietly) {
  RegKey gone = 0;
  fs::create_directories(dir / "registry/Gone");
  ASSERT_EQ(store.OpenKey("Gone", kAllAccess, gone), kRegSuccess);
  fs::remove(dir / "registry/Gone");
  EXPECT_NE(store.SetValue(gone, "v", kRegSz, "x"), kRegSuccess);
  EXPECT_EQ(store.CloseKey(gone), kRegSuccess);
  EXPECT_FALSE(fs::exists(dir / "registry/Gone"));
}

TEST(FileRegistryStoreRootTest, AMissingRootHasNoKeysAndTheRootCanBeChosen) {
  TempDir dir;
  FileRegistryStore store(dir / "none");
  RegKey key = 0;
  EXPECT_EQ(store.OpenKey("SOFTWARE", kAllAccess, key), kRegFileNotFound);
  EXPECT_EQ(key, 0u);
  {
    EnvGuard root("RIZARODE_REGISTRY_ROOT", "/srv/registry");
    EXPECT_EQ(DefaultRegistryRoot(), "/srv/registry");
  }
  EnvGuard none("RIZARODE_REGISTRY_ROOT", nullptr);
  EXPECT_EQ(DefaultRegistryRoot(), "/var/lib/rizarode/registry");
}

}  // namespace
}  // namespace rizarode
