// Environment switches that tests and benchmarks use to steer the stand-in (documented in
// d3d9.h): ORBELUNE_D3D_FAIL makes creation steps fail on purpose, ORBELUNE_NO_VSYNC turns off
// the pacing of Present, ORBELUNE_D3D_LOSE_EVERY loses the device at every Nth Present,
// ORBELUNE_REF_SIMD narrows the reference device's vector forms. All are read at each use, so a
// test may change them between calls; the device reads ORBELUNE_REF_SIMD once, as it is created.
// Implements: reading the four switches. Leaves out: ORBELUNE_REF_THREADS, read by the device.
#pragma once

#include "d3d9.h"
#include "refdevice.h"

namespace d3d9 {

enum class CreationStep {
  Direct3D,           // Direct3DCreate9
  DisplayMode,        // IDirect3D9::GetAdapterDisplayMode
  HalHardwareVertex,  // CreateDevice(HAL, hardware vertex processing)
  HalSoftwareVertex,  // CreateDevice(HAL, software or mixed vertex processing)
  Reference,          // CreateDevice(REF)
};

bool IsMadeToFail(CreationStep step);
bool PresentPacingDisabled();
// N of ORBELUNE_D3D_LOSE_EVERY=N; 0 when unset or not a positive number.
unsigned PresentsPerDeviceLoss();
// The level of ORBELUNE_REF_SIMD=scalar|sse2|avx2; Avx2 (the widest, so no limit) when unset or
// anything else.
refdevice::SimdLevel ReferenceSimdLimit();

}  // namespace d3d9
