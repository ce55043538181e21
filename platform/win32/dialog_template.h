// Reading a dialog template, the RT_DIALOG resource data that windres and rc write: the
// classic DLGTEMPLATE form (a DIALOG statement) and the extended DLGTEMPLATEEX form
// (DIALOGEX). Internal to the dialog stand-in; not part of Win32.
// Implements: the header (styles, rectangle in dialog units, caption, font of DS_SETFONT) and
// every item (styles, rectangle, id, class by name or by the predefined atoms, text by name or
// ordinal). Texts come out in UTF-8.
// Leaves out: menus and custom dialog classes (their names are skipped), the creation data of
// items (skipped), DS_SHELLFONT's meaning beyond reading its font.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

struct DialogItemTemplate {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int id = 0;             // -1 for 0xFFFF in a classic template
  std::string className;  // "BUTTON", "STATIC", ... for the predefined atoms
  std::string text;       // UTF-8; empty when the text is an ordinal (an icon or bitmap)
};

struct DialogTemplate {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::string caption;   // UTF-8
  int fontPoints = 0;    // 0 when the template names no font
  std::string fontName;  // UTF-8
  std::vector<DialogItemTemplate> items;
};

// Fills *dialog from the `size` bytes at `bytes`. Returns false, leaving a reason in *failure,
// when any part lies outside the bytes or is malformed.
bool ReadDialogTemplate(const uint8_t* bytes, size_t size, DialogTemplate* dialog, std::string* failure);

}  // namespace standin
