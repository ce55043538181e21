// Showing the system's own texts, which are Shift-JIS (code page 932). The ANSI functions of
// Windows read text in the user's code page, which garbles Shift-JIS on every Windows that is
// not set to Japanese; there the texts are converted from code page 932 and shown through the
// wide functions. The Linux stand-ins take Shift-JIS in the ANSI functions themselves.
// Text that comes from the user (file names) is in the user's code page and keeps the ANSI
// functions.
#pragma once

#include "winapi.h"

#if defined(_WIN32)
#include <string>

// The text as UTF-16; an empty text when it cannot be converted.
inline std::wstring WideFromShiftJis(LPCSTR text) {
  constexpr UINT kShiftJis = 932;
  const int length = MultiByteToWideChar(kShiftJis, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(kShiftJis, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));  // the terminator is the string's own
  return wide;
}

inline int MessageBoxShiftJis(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return MessageBoxW(owner, WideFromShiftJis(text).c_str(), WideFromShiftJis(caption).c_str(), type);
}

inline BOOL SetDlgItemTextShiftJis(HWND dialog, int id, LPCSTR text) {
  return SetDlgItemTextW(dialog, id, WideFromShiftJis(text).c_str());
}
#else
inline int MessageBoxShiftJis(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return MessageBoxA(owner, text, caption, type);
}

inline BOOL SetDlgItemTextShiftJis(HWND dialog, int id, LPCSTR text) {
  return SetDlgItemTextA(dialog, id, text);
}
#endif
