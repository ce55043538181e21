// Showing the system's Japanese texts. The ANSI functions of Windows read text in the user's
// code page, which garbles Japanese on every Windows that is not set to Japanese: there the
// system's Shift-JIS texts (code page 932) are converted and shown through the wide functions,
// and the dialogs, whose templates hold UTF-16 texts, are made by the wide function, since the
// ANSI one passes the templates' texts through the user's code page too. The Linux stand-ins
// take Shift-JIS in the ANSI functions themselves. Text that comes from the user (file names)
// is in the user's code page and keeps the ANSI functions.
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

// The dialog procedure handles no message that carries text, so it serves a wide dialog alike.
inline INT_PTR DialogBoxFromTemplate(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure,
                                     LPARAM parameter) {
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, procedure, parameter);
}
#else
inline int MessageBoxShiftJis(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return MessageBoxA(owner, text, caption, type);
}

inline BOOL SetDlgItemTextShiftJis(HWND dialog, int id, LPCSTR text) { return SetDlgItemTextA(dialog, id, text); }

inline INT_PTR DialogBoxFromTemplate(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure,
                                     LPARAM parameter) {
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, procedure, parameter);
}
#endif
