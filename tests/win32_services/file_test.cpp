#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "temporary_folder.h"
#include "winapi.h"

namespace {

// The two ways the system opens files: the surface saver writes, the image reader maps.
HANDLE OpenForWriting(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE OpenForMapping(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS,
                     nullptr);
}

TEST(Files, WrittenBytesMapBackAfterTheHandlesAreClosed) {
  TemporaryFolder folder;
  std::string path = folder.File("picture.bin");
  WriteTextFile(path, "old contents that are longer than the new ones");

  HANDLE out = OpenForWriting(path);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(out, "BM\0\1", 4, &written, nullptr));
  EXPECT_EQ(written, 4u);
  ASSERT_TRUE(CloseHandle(out));

  HANDLE in = OpenForMapping(path);
  ASSERT_NE(in, INVALID_HANDLE_VALUE);
  DWORD high = 99;
  EXPECT_EQ(GetFileSize(in, &high), 4u) << "create-always truncates";
  EXPECT_EQ(high, 0u);
  HANDLE mapping = CreateFileMappingA(in, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_TRUE(CloseHandle(in));
  EXPECT_EQ(std::memcmp(view, "BM\0\1", 4), 0);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_FALSE(UnmapViewOfFile(view));
}

TEST(Files, FailuresAreReportedWithTheirReasons) {
  TemporaryFolder folder;
  EXPECT_EQ(OpenForMapping(folder.File("missing.jpg")), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(OpenForMapping(folder.path()), INVALID_HANDLE_VALUE) << "a folder is not a file";
  EXPECT_EQ(OpenForWriting(folder.File("no/such/folder/shot.bmp")), INVALID_HANDLE_VALUE);

  std::string empty = folder.File("empty.png");
  WriteTextFile(empty, "");
  HANDLE in = OpenForMapping(empty);
  ASSERT_NE(in, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(in, nullptr), 0u);
  EXPECT_EQ(CreateFileMappingA(in, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr) << "an empty file cannot map";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_INVALID));
  DWORD written = 0;
  EXPECT_FALSE(WriteFile(in, "x", 1, &written, nullptr)) << "opened for reading only";
  CloseHandle(in);

  EXPECT_FALSE(CloseHandle(in));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GetFileSize(in, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(MapViewOfFile(in, FILE_MAP_READ, 0, 0, 0), nullptr) << "a file handle is not a mapping";
}

}  // namespace
