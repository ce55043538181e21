#include "first_frame_report.h"

#include <time.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace d3d9 {

namespace {

bool ReportWanted() {
  const char* value = std::getenv("ORBELUNE_FIRST_FRAME_REPORT");
  return value != nullptr && value[0] != '\0' && std::string_view(value) != "0";
}

}  // namespace

void NoteFramePresented(D3DDEVTYPE deviceType) {
  static std::atomic<bool> presentedBefore{false};
  if (presentedBefore.exchange(true) || !ReportWanted()) return;
  // Wall-clock time, since the script's own clock reading is of the same kind.
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::fprintf(stderr, "orbelune: first frame drawn by the %s device\n",
               deviceType == D3DDEVTYPE_HAL ? "hal" : "reference");
  std::fprintf(stderr, "orbelune: first frame presented at %lld.%06ld\n", static_cast<long long>(now.tv_sec),
               now.tv_nsec / 1000);
  std::fflush(stderr);
}

}  // namespace d3d9
