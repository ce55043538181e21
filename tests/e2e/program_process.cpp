#include "program_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace e2e {

pid_t StartProgram(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  const char* underTest = std::getenv("ORBELUNE_PROGRAM_UNDER_TEST");
  std::string program = underTest != nullptr ? underTest : ORBELUNE_PROGRAM;
  argv.push_back(program.data());
  std::vector<std::string> copies = arguments;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return child;
}

std::optional<int> WaitForExit(pid_t program, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(program, &status, WNOHANG);
    if (done == program) {
      if (WIFEXITED(status)) return static_cast<signed char>(WEXITSTATUS(status));
      return 1000 + WTERMSIG(status);  // a signal: never a code the program could return
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool StillRunning(pid_t program) {
  int status = 0;
  return waitpid(program, &status, WNOHANG) == 0;
}

void Stop(pid_t program) {
  if (program <= 0 || !StillRunning(program)) return;
  kill(program, SIGTERM);
  if (!WaitForExit(program, 2)) {
    kill(program, SIGKILL);
    WaitForExit(program, 2);
  }
}

bool Xdotool(const std::string& arguments) {
  return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

void Pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

}  // namespace e2e
