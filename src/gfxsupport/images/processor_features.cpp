// MMX availability with the Direct3D registry override; AVX2 availability.
#include "gfxsupport/images/processor_features.h"

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
  const LSTATUS status = RegQueryValueExA(key, "DisableMMX", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value != 0;
}

}  // namespace

bool ProcessorHasMmx() {
  static const bool hasMmx = CpuReportsMmx() && !MmxDisabledByMachineSetting();
  return hasMmx;
}

namespace {

bool CpuReportsAvx2() {
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
  // The compiler's check includes the operating system's saving of the wide registers.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

bool avx2Allowed = true;

}  // namespace

bool ProcessorHasAvx2() {
  static const bool reported = CpuReportsAvx2();
  return reported && avx2Allowed;
}

void AllowAvx2(bool allowed) { avx2Allowed = allowed; }
