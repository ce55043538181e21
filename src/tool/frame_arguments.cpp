#include "tool/frame_arguments.h"

#include <cstring>

#include "tool/commands.h"
#include "tool/failure_report.h"

namespace {

constexpr unsigned long long kLatestTime = 0xFFFFFFFF;  // the clock's 32 bits
// The largest back buffer side of the reference device, and of the headless screen.
constexpr unsigned long long kLargestSide = 16384;

// Decimal digits alone, making a number no larger than `largest`.
bool ReadWholeNumber(const char* text, size_t length, unsigned long long largest, unsigned long long* number) {
  if (length == 0) return false;
  unsigned long long value = 0;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + static_cast<unsigned long long>(text[i] - '0');
    if (value > largest) return false;
  }
  *number = value;
  return true;
}

// WIDTHxHEIGHT, each side from 1 to kLargestSide.
bool ReadSize(const char* text, int* width, int* height) {
  const char* cross = std::strchr(text, 'x');
  if (cross == nullptr) return false;
  unsigned long long across = 0;
  unsigned long long down = 0;
  if (!ReadWholeNumber(text, static_cast<size_t>(cross - text), kLargestSide, &across) ||
      !ReadWholeNumber(cross + 1, std::strlen(cross + 1), kLargestSide, &down) || across == 0 || down == 0) {
    return false;
  }
  *width = static_cast<int>(across);
  *height = static_cast<int>(down);
  return true;
}

bool Refuse(const char* problem, const char* argument = nullptr) {
  ReportUsageError(kFrameUsage, problem, argument);
  return false;
}

}  // namespace

bool ReadFrameArguments(int argc, char** argv, FrameRequest* request) {
  bool timeGiven = false;
  bool sizeGiven = false;
  for (int i = 0; i < argc; ++i) {
    const char* option = argv[i];
    const bool known = std::strcmp(option, "--time") == 0 || std::strcmp(option, "--size") == 0 ||
                       std::strcmp(option, "--registry") == 0 || std::strcmp(option, "--out") == 0 ||
                       std::strcmp(option, "--device") == 0;
    if (!known) return Refuse("unexpected argument", option);
    if (i + 1 == argc || argv[i + 1][0] == '\0') return Refuse("a value is missing after", option);
    const char* value = argv[++i];
    if (std::strcmp(option, "--time") == 0) {
      unsigned long long milliseconds = 0;
      if (!ReadWholeNumber(value, std::strlen(value), kLatestTime, &milliseconds)) {
        return Refuse("--time takes whole milliseconds from 0 to 4294967295, not", value);
      }
      request->milliseconds = static_cast<DWORD>(milliseconds);
      timeGiven = true;
    } else if (std::strcmp(option, "--size") == 0) {
      if (!ReadSize(value, &request->width, &request->height)) {
        return Refuse("--size takes WIDTHxHEIGHT with each side from 1 to 16384, not", value);
      }
      sizeGiven = true;
    } else if (std::strcmp(option, "--registry") == 0) {
      request->registryFile = value;
    } else if (std::strcmp(option, "--device") == 0) {
      if (std::strcmp(value, "ref") != 0 && std::strcmp(value, "hal") != 0) {
        return Refuse("--device takes ref or hal, not", value);
      }
      request->deviceType = std::strcmp(value, "hal") == 0 ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF;
    } else {
      request->outFile = value;
    }
  }
  if (!timeGiven) return Refuse("--time MS is missing");
  if (!sizeGiven) return Refuse("--size WxH is missing");
  if (request->outFile == nullptr) return Refuse("--out FILE.bmp is missing");
  return true;
}
