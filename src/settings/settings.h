// The user's settings, as they are kept under the program's registry key.
#pragma once

#include "winapi.h"

// Room for a file name of 259 bytes and its terminating NUL.
constexpr DWORD kFileNameBufferSize = 260;

// Field names are the registry value names. Colours are COLORREF (0x00BBGGRR).
struct Settings {
  DWORD ObjectDistance;
  DWORD ObjectXSpeed;
  DWORD ObjectYSpeed;
  DWORD ObjectRotationSpeed;
  DWORD Distance;
  DWORD RotationSpeed;
  DWORD ObjectClockwise;
  DWORD Clockwise;
  DWORD BackColor;
  DWORD HaloColor;
  char FileName[kFileNameBufferSize];  // "Default" for the built-in images, else a path
  DWORD DefImageNum;                   // which built-in image this run shows: 0 or 1
};

// The record read at renderer start (LoadStartupSettings), held for the whole run.
extern Settings g_startupSettings;
