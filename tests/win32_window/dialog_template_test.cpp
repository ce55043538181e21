// The dialog template reader, on the program's own dialog 110 and on damaged copies of it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dialog_template.h"
#include "winapi.h"

namespace {

std::vector<uint8_t> ConfigDialogBytes() {
  const HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(110), RT_DIALOG);
  EXPECT_NE(found, nullptr);
  if (found == nullptr) return {};
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
  return std::vector<uint8_t>(bytes, bytes + SizeofResource(nullptr, found));
}

TEST(DialogTemplate, ReadsTheConfigurationDialogAsItsResourceDeclaresIt) {
  const std::vector<uint8_t> bytes = ConfigDialogBytes();
  standin::DialogTemplate dialog;
  std::string failure;
  ASSERT_TRUE(standin::ReadDialogTemplate(bytes.data(), bytes.size(), &dialog, &failure)) << failure;
  EXPECT_EQ(dialog.caption, "オプション");
  EXPECT_EQ(dialog.fontName, "ＭＳ Ｐゴシック");
  EXPECT_EQ(dialog.fontPoints, 9);
  EXPECT_EQ(dialog.width, 283);
  EXPECT_EQ(dialog.height, 275);
  EXPECT_EQ(dialog.style,
            static_cast<uint32_t>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT));
  ASSERT_EQ(dialog.items.size(), 51u);
  const standin::DialogItemTemplate& ok = dialog.items[0];
  EXPECT_EQ(ok.id, 1);
  EXPECT_EQ(ok.className, "BUTTON");
  EXPECT_EQ(ok.text, "OK");
  EXPECT_EQ(ok.style, static_cast<uint32_t>(BS_DEFPUSHBUTTON | WS_TABSTOP | WS_CHILD | WS_VISIBLE));
  EXPECT_EQ(std::vector<int>({ok.x, ok.y, ok.width, ok.height}), std::vector<int>({65, 255, 50, 14}));
  const standin::DialogItemTemplate& slider = dialog.items[4];
  EXPECT_EQ(slider.id, 1001);
  EXPECT_EQ(slider.className, "MSCTLS_TRACKBAR32");  // windres writes class names in capitals
  EXPECT_EQ(dialog.items[3].id, -1);                 // a group box nobody addresses
  EXPECT_EQ(dialog.items[50].text, "背景色");
}

TEST(DialogTemplate, RefusesEveryCutOfTheTemplateAndLeavesItEmpty) {
  const std::vector<uint8_t> bytes = ConfigDialogBytes();
  ASSERT_GT(bytes.size(), 100u);
  // Every cut ends inside some field: the header, a text, an item or its padding.
  for (size_t size = 0; size < bytes.size() - 2; size += 7) {
    standin::DialogTemplate dialog;
    dialog.caption = "left over";
    std::string failure;
    EXPECT_FALSE(standin::ReadDialogTemplate(bytes.data(), size, &dialog, &failure)) << size;
    EXPECT_FALSE(failure.empty()) << size;
    EXPECT_TRUE(dialog.caption.empty() && dialog.items.empty()) << size;
  }
}

TEST(DialogTemplate, AnItemCountBeyondTheDataIsRefused) {
  std::vector<uint8_t> bytes = ConfigDialogBytes();
  ASSERT_GT(bytes.size(), 10u);
  bytes[8] = 0xFF;  // the item count's low byte: 255 items, 51 present
  standin::DialogTemplate dialog;
  std::string failure;
  EXPECT_FALSE(standin::ReadDialogTemplate(bytes.data(), bytes.size(), &dialog, &failure));
}

}  // namespace
