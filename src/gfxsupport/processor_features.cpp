// MMX availability with the Direct3D registry override.
#include "gfxsupport/processor_features.h"

#include "winapi.h"

namespace {

bool CpuReportsMmx() {
#if defined(__x86_64__) || defined(_M_X64)
  return true;  // part of the 64-bit instruction set
#elif defined(__i386__)
  return __builtin_cpu_supports("mmx");
#else
  return false;
#endif
}

bool MmxDisabledByMachineSetting() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Direct3D", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  const LSTATUS status =
      RegQueryValueExA(key, "DisableMMX", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value != 0;
}

}  // namespace

bool ProcessorHasMmx() {
  static const bool hasMmx = CpuReportsMmx() && !MmxDisabledByMachineSetting();
  return hasMmx;
}
