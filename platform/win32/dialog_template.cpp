// Implements: the reader of dialog templates (classic and extended). Every field is read
// through a cursor that checks the remaining length first, so no offset is added before it
// is known to lie inside the data.
// Leaves out: what dialog_template.h leaves out.
#include "dialog_template.h"

#include <utility>

namespace standin {
namespace {

constexpr uint16_t kOrdinalMarker = 0xFFFF;
constexpr uint32_t kSetFont = 0x40;    // DS_SETFONT
constexpr uint32_t kShellFont = 0x48;  // DS_SHELLFONT: DS_SETFONT | DS_FIXEDSYS

// A reading position inside the template, with the checks every read needs.
class Cursor {
 public:
  Cursor(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  bool Word(uint16_t* value) {
    if (size_ - offset_ < 2) return Fail("the data end inside a field");
    *value = static_cast<uint16_t>(bytes_[offset_] | (bytes_[offset_ + 1] << 8));
    offset_ += 2;
    return true;
  }
  bool Short(int* value) {
    uint16_t word = 0;
    if (!Word(&word)) return false;
    *value = static_cast<int16_t>(word);
    return true;
  }
  bool Dword(uint32_t* value) {
    uint16_t low = 0;
    uint16_t high = 0;
    if (!Word(&low) || !Word(&high)) return false;
    *value = low | (static_cast<uint32_t>(high) << 16);
    return true;
  }
  bool Byte(uint8_t* value) {
    if (size_ - offset_ < 1) return Fail("the data end inside a field");
    *value = bytes_[offset_++];
    return true;
  }
  bool Skip(size_t count) {
    if (size_ - offset_ < count) return Fail("the creation data of an item run past the end");
    offset_ += count;
    return true;
  }
  // Items start on a 4-byte boundary from the start of the template.
  bool AlignToDword() {
    const size_t padding = (4 - offset_ % 4) % 4;
    if (size_ - offset_ < padding) return Fail("the data end before an item");
    offset_ += padding;
    return true;
  }
  // A NUL-terminated UTF-16 text, converted to UTF-8.
  bool Text(std::string* text) {
    std::u16string units;
    for (;;) {
      uint16_t unit = 0;
      if (!Word(&unit)) return Fail("a text has no terminating NUL");
      if (unit == 0) break;
      units.push_back(static_cast<char16_t>(unit));
    }
    *text = ToUtf8(units);
    return true;
  }
  // A text, an ordinal (0xFFFF and a number), or nothing (a single 0).
  bool TextOrOrdinal(std::string* text, uint16_t* ordinal) {
    uint16_t first = 0;
    if (!Word(&first)) return false;
    *ordinal = 0;
    text->clear();
    if (first == 0) return true;
    if (first == kOrdinalMarker) return Word(ordinal);
    offset_ -= 2;
    return Text(text);
  }
  const std::string& failure() const { return failure_; }

 private:
  bool Fail(const char* reason) {
    if (failure_.empty()) failure_ = reason;
    return false;
  }
  static void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  static std::string ToUtf8(const std::u16string& units) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
      uint32_t code = units[i];
      const bool high = code >= 0xD800 && code < 0xDC00;
      if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
        ++i;
      } else if (code >= 0xD800 && code < 0xE000) {
        code = 0xFFFD;  // a lone surrogate
      }
      AppendUtf8(out, code);
    }
    return out;
  }

  const uint8_t* bytes_;
  size_t size_;
  size_t offset_ = 0;
  std::string failure_;
};

const char* PredefinedClass(uint16_t atom) {
  switch (atom) {
    case 0x80:
      return "BUTTON";
    case 0x81:
      return "EDIT";
    case 0x82:
      return "STATIC";
    case 0x83:
      return "LISTBOX";
    case 0x84:
      return "SCROLLBAR";
    case 0x85:
      return "COMBOBOX";
    default:
      return "";
  }
}

bool ReadRectangle(Cursor& cursor, int* x, int* y, int* width, int* height) {
  return cursor.Short(x) && cursor.Short(y) && cursor.Short(width) && cursor.Short(height);
}

bool ReadItem(Cursor& cursor, bool extended, DialogItemTemplate* item) {
  uint32_t helpId = 0;
  if (!cursor.AlignToDword()) return false;
  if (extended) {
    if (!cursor.Dword(&helpId) || !cursor.Dword(&item->exStyle) || !cursor.Dword(&item->style)) {
      return false;
    }
  } else if (!cursor.Dword(&item->style) || !cursor.Dword(&item->exStyle)) {
    return false;
  }
  if (!ReadRectangle(cursor, &item->x, &item->y, &item->width, &item->height)) return false;
  if (extended) {
    uint32_t id = 0;
    if (!cursor.Dword(&id)) return false;
    item->id = static_cast<int32_t>(id);
  } else {
    int id = 0;
    if (!cursor.Short(&id)) return false;
    item->id = id;
  }
  uint16_t classAtom = 0;
  uint16_t textOrdinal = 0;
  if (!cursor.TextOrOrdinal(&item->className, &classAtom)) return false;
  if (classAtom != 0) item->className = PredefinedClass(classAtom);
  if (!cursor.TextOrOrdinal(&item->text, &textOrdinal)) return false;
  uint16_t creationDataSize = 0;
  return cursor.Word(&creationDataSize) && cursor.Skip(creationDataSize);
}

}  // namespace

bool ReadDialogTemplate(const uint8_t* bytes, size_t size, DialogTemplate* dialog, std::string* failure) {
  *dialog = DialogTemplate{};
  Cursor cursor(bytes, size);
  uint16_t version = 0;
  uint16_t signature = 0;
  bool extended = false;
  if (size >= 4) {
    Cursor peek(bytes, size);
    peek.Word(&version);
    peek.Word(&signature);
    extended = version == 1 && signature == kOrdinalMarker;
  }
  uint16_t itemCount = 0;
  bool good = true;
  if (extended) {
    uint32_t helpId = 0;
    good = cursor.Dword(&helpId) && cursor.Dword(&helpId) && cursor.Dword(&dialog->exStyle) &&
           cursor.Dword(&dialog->style);
  } else {
    good = cursor.Dword(&dialog->style) && cursor.Dword(&dialog->exStyle);
  }
  good =
      good && cursor.Word(&itemCount) && ReadRectangle(cursor, &dialog->x, &dialog->y, &dialog->width, &dialog->height);

  std::string menuOrClass;
  uint16_t ordinal = 0;
  good = good && cursor.TextOrOrdinal(&menuOrClass, &ordinal) && cursor.TextOrOrdinal(&menuOrClass, &ordinal) &&
         cursor.Text(&dialog->caption);
  if (good && (dialog->style & kSetFont) != 0) {
    good = cursor.Short(&dialog->fontPoints);
    if (good && extended) {
      uint16_t weight = 0;
      uint8_t italic = 0;
      uint8_t charset = 0;
      good = cursor.Word(&weight) && cursor.Byte(&italic) && cursor.Byte(&charset);
    }
    good = good && cursor.Text(&dialog->fontName);
  }
  static_assert((kShellFont & kSetFont) == kSetFont, "DS_SHELLFONT carries a font as well");

  // Each item takes at least 18 bytes, so the count cannot ask for more than the data hold.
  for (uint16_t index = 0; good && index < itemCount; ++index) {
    DialogItemTemplate item;
    good = ReadItem(cursor, extended, &item);
    if (good) dialog->items.push_back(std::move(item));
  }
  if (good) return true;
  if (failure != nullptr) *failure = cursor.failure();
  *dialog = DialogTemplate{};
  return false;
}

}  // namespace standin
