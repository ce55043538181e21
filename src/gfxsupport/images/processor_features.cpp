// MMX availability with the Direct3D registry override; AVX2 availability. The processor is
// asked through the system (IsProcessorFeaturePresent), the one answer the whole program shares.
#include "gfxsupport/images/processor_features.h"

#include "winapi.h"

namespace {

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

bool avx2Allowed = true;

}  // namespace

bool ProcessorHasMmx() {
  static const bool hasMmx = IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE) && !MmxDisabledByMachineSetting();
  return hasMmx;
}

bool ProcessorHasAvx2() {
  // Windows answers for the operating system's saving of the wide registers too.
  static const bool reported = IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE) != FALSE;
  return reported && avx2Allowed;
}

void AllowAvx2(bool allowed) { avx2Allowed = allowed; }
