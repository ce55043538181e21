// Which of the processor's vector instructions may be used, as the system reports them, found once per
// process.
#pragma once

// False when the processor lacks MMX or the machine-wide DWORD value "DisableMMX" under
// HKEY_LOCAL_MACHINE\Software\Microsoft\Direct3D is non-zero; the JPEG decoder then takes
// the fast integer inverse DCT.
bool ProcessorHasMmx();

// True when the processor and the operating system support AVX2 (the pixel conversions then
// work on two pixels at a time) and its use is allowed below.
bool ProcessorHasAvx2();
// Allowed by default. Not allowed, the SSE2 forms run instead, with the same results (the
// tests check both forms this way).
void AllowAvx2(bool allowed);
