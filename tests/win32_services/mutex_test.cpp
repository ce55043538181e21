#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "temporary_folder.h"
#include "winapi.h"

namespace {

class NamedMutex : public testing::Test {
 protected:
  void SetUp() override { setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1); }
  TemporaryFolder folder_;
};

TEST_F(NamedMutex, SecondCreatorInTheSameProcessSeesItExists) {
  HANDLE first = CreateMutexA(nullptr, FALSE, "SCRNSAVE");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  HANDLE second = CreateMutexA(nullptr, FALSE, "SCRNSAVE");
  ASSERT_NE(second, nullptr) << "creating an existing mutex succeeds";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  HANDLE other = CreateMutexA(nullptr, FALSE, "scrnsave/other");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "names are case-sensitive and apart";

  EXPECT_TRUE(CloseHandle(second));
  EXPECT_TRUE(CloseHandle(first));
  EXPECT_TRUE(CloseHandle(other));
  EXPECT_FALSE(CloseHandle(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  HANDLE again = CreateMutexA(nullptr, FALSE, "SCRNSAVE");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "closing the holder frees the name";
  CloseHandle(again);
}

// The child takes the name and waits; while it lives the parent sees the name taken; once the
// child is killed, the system has freed the name.
TEST_F(NamedMutex, IsSharedAcrossProcessesAndFreedWhenTheHolderIsKilled) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HANDLE held = CreateMutexA(nullptr, FALSE, "SCRNSAVE");
    char answer = (held != nullptr && GetLastError() == ERROR_SUCCESS) ? 'y' : 'n';
    if (write(ready[1], &answer, 1) != 1) _exit(2);
    pause();
    _exit(0);
  }
  char answer = 0;
  ASSERT_EQ(read(ready[0], &answer, 1), 1);
  ASSERT_EQ(answer, 'y');

  HANDLE mine = CreateMutexA(nullptr, FALSE, "SCRNSAVE");
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(mine);

  kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  mine = CreateMutexA(nullptr, FALSE, "SCRNSAVE");
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  CloseHandle(mine);
  close(ready[0]);
  close(ready[1]);
}

TEST_F(NamedMutex, FallsBackToAPrivateFolderWithoutARuntimeDirectory) {
  unsetenv("XDG_RUNTIME_DIR");
  HANDLE first = CreateMutexA(nullptr, FALSE, "OrbeluneFallbackTest");
  ASSERT_NE(first, nullptr);
  HANDLE second = CreateMutexA(nullptr, FALSE, "OrbeluneFallbackTest");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(second);
  CloseHandle(first);
}

}  // namespace
