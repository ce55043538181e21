#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "temporary_folder.h"
#include "winapi.h"

namespace {

const char kKeyPath[] = "Software\\VORLANE\\Orbelune Scr F";
const char kSection[] = "[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]";

class RegistryStore : public testing::Test {
 protected:
  void SetUp() override {
    storePath_ = folder_.File("config/orbelune/registry.reg");
    setenv("ORBELUNE_REGISTRY", storePath_.c_str(), 1);
  }

  HKEY OpenKey() {
    HKEY key = nullptr;
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &key, &disposition),
              ERROR_SUCCESS);
    return key;
  }

  LONG Set(const char* name, DWORD type, const std::vector<uint8_t>& data) {
    HKEY key = OpenKey();
    LONG status = RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return status;
  }

  // The stored type and bytes, or the failure.
  LONG Get(const char* name, DWORD* type, std::vector<uint8_t>* data) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) return status;
    DWORD size = 0;
    status = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
      data->assign(size, 0xcc);
      status = RegQueryValueExA(key, name, nullptr, type, data->data(), &size);
    }
    RegCloseKey(key);
    return status;
  }

  std::vector<std::string> DamagedCopies() const {
    std::vector<std::string> copies;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(storePath_).parent_path())) {
      if (entry.path().filename().string().starts_with("registry.reg.damaged-")) copies.push_back(entry.path());
    }
    return copies;
  }

  TemporaryFolder folder_;
  std::string storePath_;
};

TEST_F(RegistryStore, KeepsTypeAndExactBytesOfEveryValue) {
  const std::vector<std::pair<DWORD, std::vector<uint8_t>>> values = {
      {REG_DWORD, {0x0a, 0, 0, 0}},
      {REG_SZ, {'D', 'e', 'f', 'a', 'u', 'l', 't'}},  // no terminator, as the settings write it
      {REG_SZ, {0x95, 0x5c, 0x8e, 0xa6, 0}},          // Shift-JIS with a backslash byte
      {REG_SZ, {}},
      {REG_BINARY, {0, 1, 0xff}},
      {REG_DWORD, {1, 2}},
      {REG_MULTI_SZ, {'a', 0, 'b', 0, 0}},
  };
  for (size_t index = 0; index < values.size(); ++index) {
    std::string name = "Value" + std::to_string(index);
    ASSERT_EQ(Set(name.c_str(), values[index].first, values[index].second), ERROR_SUCCESS);
  }
  for (size_t index = 0; index < values.size(); ++index) {
    SCOPED_TRACE(index);
    std::string name = "Value" + std::to_string(index);
    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_EQ(Get(name.c_str(), &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, values[index].first);
    EXPECT_EQ(data, values[index].second);
  }
}

TEST_F(RegistryStore, WritesTheExportFormat) {
  ASSERT_EQ(Set("DefImageNum", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
  ASSERT_EQ(Set("FileName", REG_SZ, {'C', ':', '\\', 'a', 0}), ERROR_SUCCESS);
  EXPECT_EQ(ReadTextFile(storePath_),
            std::string("REGEDIT4\n\n") + kSection + "\n\"DefImageNum\"=dword:00000001\n\"FileName\"=\"C:\\\\a\"\n\n");
}

TEST_F(RegistryStore, QueryFollowsTheWin32Contract) {
  ASSERT_EQ(Set("Number", REG_DWORD, {7, 0, 0, 0}), ERROR_SUCCESS);
  HKEY key = OpenKey();
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Number", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(size, 4u);

  BYTE small[2] = {0xee, 0xee};
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, "Number", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(small[0], 0xee) << "a buffer too small is left alone";

  size = 4;
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, small, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "number", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS)
      << "value names ignore case";
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExA(key, "Number", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryStore, CreatingAKeyOpensItAndOpeningAMissingKeyFails) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VORLANE", 0, KEY_READ, &key), ERROR_SUCCESS)
      << "a key holding sub-keys exists";
  RegCloseKey(key);
  EXPECT_EQ(ReadTextFile(storePath_), std::string("REGEDIT4\n\n") + kSection + "\n\n");
}

TEST_F(RegistryStore, MachineStoreFindsNothing) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Direct3D", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  DWORD size = 4;
  DWORD value = 0;
  EXPECT_EQ(
      RegQueryValueExA(HKEY_LOCAL_MACHINE, "DisableMMX", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
      ERROR_FILE_NOT_FOUND);
  EXPECT_NE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Direct3D", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_FALSE(std::filesystem::exists(storePath_));
}

// A damaged file gives missing values; the next write keeps every value that still reads and
// the damaged original is kept aside byte for byte.
TEST_F(RegistryStore, DamagedFileIsNeverLost) {
  std::filesystem::create_directories(std::filesystem::path(storePath_).parent_path());
  const std::string damaged = std::string("REGEDIT4\n") + kSection +
                              "\n\"Distance\"=dword:00000030\n\"ObjectDistance\"=dword:zz\n\x01\x02\x03 garbage\n";
  WriteTextFile(storePath_, damaged);

  DWORD type = 0;
  std::vector<uint8_t> data;
  EXPECT_EQ(Get("ObjectDistance", &type, &data), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Set("DefImageNum", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);

  ASSERT_EQ(Get("Distance", &type, &data), ERROR_SUCCESS);
  EXPECT_EQ(data, (std::vector<uint8_t>{0x30, 0, 0, 0}));
  ASSERT_EQ(Get("DefImageNum", &type, &data), ERROR_SUCCESS);
  std::vector<std::string> copies = DamagedCopies();
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(ReadTextFile(copies[0]), damaged);

  ASSERT_EQ(Set("Clockwise", REG_DWORD, {0, 0, 0, 0}), ERROR_SUCCESS);
  EXPECT_EQ(DamagedCopies().size(), 1u) << "a clean file is not set aside again";
}

// A writer killed between writing its temporary file and the rename leaves the file behind;
// such leftovers must not pile up start after start, and they never stand for the store.
TEST_F(RegistryStore, TemporaryFilesOfKilledWritersDoNotPileUp) {
  ASSERT_EQ(Set("Distance", REG_DWORD, {25, 0, 0, 0}), ERROR_SUCCESS);
  const std::filesystem::path folder = std::filesystem::path(storePath_).parent_path();
  WriteTextFile(storePath_ + ".tmp", "REGEDIT4\nhalf written by a killed writer");
  for (const char* pid : {"4711", "12345", "99999"}) WriteTextFile(storePath_ + ".tmp-" + pid, "REGEDIT4\n");
  WriteTextFile((folder / "notes.tmp-1").string(), "not the store's");

  ASSERT_EQ(Set("Clockwise", REG_DWORD, {0, 0, 0, 0}), ERROR_SUCCESS);

  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".tmp") != std::string::npos) left.push_back(name);
  }
  EXPECT_EQ(left, std::vector<std::string>{"notes.tmp-1"});
  DWORD type = 0;
  std::vector<uint8_t> data;
  ASSERT_EQ(Get("Distance", &type, &data), ERROR_SUCCESS);
  EXPECT_EQ(data, (std::vector<uint8_t>{25, 0, 0, 0}));
}

TEST_F(RegistryStore, UnreadableStoreIsNotOverwritten) {
  std::filesystem::create_directories(storePath_);  // a folder where the file should be
  HKEY key = nullptr;
  EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_NE(RegSetValueExA(HKEY_CURRENT_USER, "Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4),
            ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::is_directory(storePath_));
}

TEST_F(RegistryStore, RefusesWhatItCannotStore) {
  HKEY key = OpenKey();
  EXPECT_EQ(RegSetValueExA(key, "Two\nLines", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key, "NoData", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
  HKEY sub = nullptr;
  EXPECT_EQ(RegCreateKeyExA(key, "Bad]Name", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

// Two processes writing at once lose nothing but the older value of a name both write.
TEST_F(RegistryStore, ConcurrentWritersFromTwoProcessesLoseNothing) {
  constexpr int kValuesEach = 60;
  pid_t children[2];
  for (int child = 0; child < 2; ++child) {
    children[child] = fork();
    ASSERT_GE(children[child], 0);
    if (children[child] == 0) {
      int failures = 0;
      for (int index = 0; index < kValuesEach; ++index) {
        std::string name = "Writer" + std::to_string(child) + "_" + std::to_string(index);
        DWORD number = static_cast<DWORD>(index);
        if (Set(name.c_str(), REG_DWORD, {static_cast<uint8_t>(number), 0, 0, 0}) != ERROR_SUCCESS) ++failures;
        if (Set("Shared", REG_DWORD, {static_cast<uint8_t>(child), 0, 0, 0}) != ERROR_SUCCESS) ++failures;
      }
      _exit(failures == 0 ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int child = 0; child < 2; ++child) {
    for (int index = 0; index < kValuesEach; ++index) {
      std::string name = "Writer" + std::to_string(child) + "_" + std::to_string(index);
      DWORD type = 0;
      std::vector<uint8_t> data;
      ASSERT_EQ(Get(name.c_str(), &type, &data), ERROR_SUCCESS) << name;
      EXPECT_EQ(data, (std::vector<uint8_t>{static_cast<uint8_t>(index), 0, 0, 0}));
    }
  }
  DWORD type = 0;
  std::vector<uint8_t> shared;
  ASSERT_EQ(Get("Shared", &type, &shared), ERROR_SUCCESS);
  EXPECT_TRUE(shared[0] == 0 || shared[0] == 1);
  EXPECT_TRUE(DamagedCopies().empty());
}

TEST_F(RegistryStore, FollowsXdgConfigHomeWithoutAnExplicitPath) {
  unsetenv("ORBELUNE_REGISTRY");
  setenv("XDG_CONFIG_HOME", folder_.File("xdg").c_str(), 1);
  ASSERT_EQ(Set("Clockwise", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::exists(folder_.File("xdg/orbelune/registry.reg")));
}

}  // namespace
