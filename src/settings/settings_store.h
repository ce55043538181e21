// The four primitives over the program's registry key. Each opens the key (creating it when
// missing, unless a read asks to leave the store alone) and closes it again; no handle is kept
// between calls.
#pragma once

#include "winapi.h"

// "Software\VORLANE\Orbelune Scr F" under HKEY_CURRENT_USER.
extern const char kSettingsKeyPath[];

// How a read reaches the key. The saver's reads create it when it is missing; a look that must
// leave the store exactly as it found it opens an existing key only, and where there is none it
// finds every value missing, which the readers take as the creating read's empty key.
enum class KeyAccess { kCreateWhenMissing, kOpenExisting };

// Data of at most 4 bytes, of any stored type, are read as a little-endian number (missing
// high bytes are 0). On failure (missing, longer than 4 bytes, key not opened) *value is 0.
// *status is the registry's result code: ERROR_SUCCESS (0) or the reason of the failure.
void ReadDwordSetting(LPCSTR valueName, DWORD* value, LONG* status, KeyAccess access = KeyAccess::kCreateWhenMissing);

// Reads a text into a buffer of kFileNameBufferSize bytes; the text ends at the first NUL or
// at the end of the data. On failure (missing, no room for the text and its terminator, key
// not opened) the buffer holds the empty text.
void ReadStringSetting(LPCSTR valueName, char* text, LONG* status, KeyAccess access = KeyAccess::kCreateWhenMissing);

// Writes a REG_DWORD of 4 bytes. A failure is ignored.
void WriteDwordSetting(LPCSTR valueName, DWORD value);

// Writes a REG_SZ holding the text's bytes without the terminating NUL. A failure is ignored.
void WriteStringSetting(LPCSTR valueName, LPCSTR text);
