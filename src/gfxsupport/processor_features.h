// Whether the processor's MMX instructions may be used, found once per process.
#pragma once

// False when the processor lacks MMX or the machine-wide DWORD value "DisableMMX" under
// HKEY_LOCAL_MACHINE\Software\Microsoft\Direct3D is non-zero; the JPEG decoder then takes
// the fast integer inverse DCT.
bool ProcessorHasMmx();
