#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/controls/dialog_template.h"
#include "platform/linux/controls/menu.h"
#include "platform/linux/resources/resource_file.h"
#include "platform/linux/resources/resources.h"
#include "res/program_resources.h"

namespace {

// The resources reached as the program reaches them: registered by its entry
// code, then looked up through the null instance handle.
class Resources : public ::testing::Test {
 protected:
  void SetUp() override {
    std::span<const uint8_t> file = ProgramResourceFile();
    ASSERT_NE(RegisterProgramResources(file.data(), file.size()), nullptr);
  }
};

std::vector<uint16_t> Words(const void *data, DWORD size) {
  std::vector<uint16_t> words(size / 2);
  const auto *bytes = static_cast<const uint8_t *>(data);
  for (size_t i = 0; i < words.size(); ++i) words[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return words;
}

uint32_t Dword(const uint8_t *p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

const uint8_t *Load(LPCWSTR name, LPCWSTR type, DWORD *size) {
  HRSRC found = FindResourceW(nullptr, name, type);
  *size = SizeofResource(nullptr, found);
  return static_cast<const uint8_t *>(LockResource(LoadResource(nullptr, found)));
}

TEST_F(Resources, LookUpByNumberNameAndType) {
  struct Case {
    LPCWSTR name;
    LPCWSTR type;
    bool found;
  } cases[] = {
      {MAKEINTRESOURCEW(101), RT_MENU, true},
      {L"#101", RT_MENU, true},
      {MAKEINTRESOURCEW(101), RT_RCDATA, true},
      {MAKEINTRESOURCEW(1), RT_BITMAP, true},
      {MAKEINTRESOURCEW(1), RT_GROUP_ICON, true},
      {L"LTextEditDlg", RT_DIALOG, true},
      {L"ltexteditdlg", RT_DIALOG, true},
      {L"LTextEditDlg", RT_MENU, false},
      {MAKEINTRESOURCEW(102), RT_MENU, false},
      {L"#1x", RT_BITMAP, false},
      {L"NoSuchDialog", RT_DIALOG, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases));
    HRSRC found = FindResourceW(nullptr, c.name, c.type);
    EXPECT_EQ(found != nullptr, c.found) << (IS_INTRESOURCE(c.name) ? L"#" : c.name);
    if (found) {
      EXPECT_GT(SizeofResource(nullptr, found), 0u);
    } else {
      EXPECT_EQ(LoadResource(nullptr, found), nullptr);
      EXPECT_EQ(SizeofResource(nullptr, found), 0u);
    }
  }
}

// Exactly these, so that neither build carries a resource the other lacks or
// one nobody asked for.
TEST_F(Resources, TheFileHoldsEachResourceOnce) {
  std::span<const uint8_t> file = ProgramResourceFile();
  EXPECT_EQ(reinterpret_cast<uintptr_t>(file.data()) % 4, 0u);
  std::vector<ResourceEntry> entries;
  ASSERT_TRUE(ReadResourceFile(file.data(), file.size(), &entries));
  std::vector<std::wstring> found;
  for (const ResourceEntry &entry : entries) {
    if (entry.size == 0) continue;  // the empty entry that opens every .res file
    auto id = [](const ResourceId &id) { return id.text.empty() ? std::to_wstring(id.number) : id.text; };
    found.push_back(id(entry.type) + L":" + id(entry.name));
  }
  std::sort(found.begin(), found.end());
  std::vector<std::wstring> expected = {L"10:101", L"14:1", L"2:1", L"3:1", L"3:2", L"4:101", L"5:LTEXTEDITDLG",
                                        L"6:13", L"BITMAPGLYPHS:1"};
  EXPECT_EQ(found, expected);
}

TEST_F(Resources, MenuBarDataIsTheShellLayout) {
  DWORD size = 0;
  const uint8_t *data = Load(MAKEINTRESOURCEW(101), RT_RCDATA, &size);
  ASSERT_NE(data, nullptr);
  std::vector<uint16_t> expected = {101,   3,     0xFFFE, 40000, 4, 24, 201, 0, 0, 0xFFFE, 40001, 4,
                                    24,    202,   0,      1,     0xFFFE, 40002, 4, 24, 203, 0, 2};
  EXPECT_EQ(Words(data, size), expected);
}

TEST_F(Resources, Strings) {
  struct Case {
    UINT id;
    int capacity;
    const wchar_t *text;
    int result;
  } cases[] = {
      {201, 32, L"File", 4}, {202, 32, L"Tone", 4}, {203, 32, L"Help", 4},
      {203, 3, L"He", 2},    {200, 32, L"", 0},     {204, 32, L"", 0},
      {5000, 32, L"", 0},
  };
  for (const Case &c : cases) {
    WCHAR buffer[32];
    std::wmemset(buffer, L'#', 32);
    EXPECT_EQ(LoadStringW(nullptr, c.id, buffer, c.capacity), c.result) << c.id;
    EXPECT_STREQ(buffer, c.text) << c.id;
  }
}

struct ItemExpectation {
  int position;
  UINT id;  // -1 for a sub-menu
  const wchar_t *text;
};

TEST_F(Resources, MenuHasThePopUpsItemsAndSeparators) {
  HMENU menu = LoadMenuW(nullptr, MAKEINTRESOURCEW(101));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  HMENU file = GetSubMenu(menu, 0), tone = GetSubMenu(menu, 1), help = GetSubMenu(menu, 2);
  ASSERT_TRUE(file && tone && help);
  WCHAR text[64];
  GetMenuStringW(menu, 1, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"Tone");

  struct MenuCase {
    HMENU menu;
    int count;
    std::vector<ItemExpectation> items;
  } cases[] = {
      {file, 4, {{0, 1001, L"Play"}, {1, 1002, L"Stop"}, {2, 0, L""}, {3, 1099, L"Exit"}}},
      {tone, 23,
       {{0, 2011, L"Increase Value"},
        {2, 2013, L"Edit Value..."},
        {4, static_cast<UINT>(-1), L"Number of Tones"},
        {6, 3021, L"Constant (Continuous)"},
        {9, 3024, L"Sweep (Log)"},
        {14, 3051, L"Variable Amplitude"},
        {16, 3041, L"Sine"},
        {22, 3047, L"Pink Noise"}}},
      {help, 2, {{0, 9, L"Quick Start Guide.."}, {1, 903, L"About..."}}},
  };
  for (const MenuCase &c : cases) {
    SCOPED_TRACE("menu " + std::to_string(&c - cases));
    EXPECT_EQ(GetMenuItemCount(c.menu), c.count);
    for (const ItemExpectation &item : c.items) {
      EXPECT_EQ(GetMenuItemID(c.menu, item.position), item.id) << item.text;
      GetMenuStringW(c.menu, static_cast<UINT>(item.position), text, 64, MF_BYPOSITION);
      EXPECT_STREQ(text, item.text);
      EXPECT_EQ(GetMenuState(c.menu, static_cast<UINT>(item.position), MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED), 0u);
    }
  }
  EXPECT_TRUE(GetMenuState(file, 2, MF_BYPOSITION) & MF_SEPARATOR);
  HMENU tones = GetSubMenu(tone, 4);
  ASSERT_EQ(GetMenuItemCount(tones), 16);
  for (int n = 1; n <= 16; ++n) {
    EXPECT_EQ(GetMenuItemID(tones, n - 1), static_cast<UINT>(2100 + n));
    GetMenuStringW(tones, static_cast<UINT>(n - 1), text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), std::to_wstring(n));
  }
  EXPECT_TRUE(DestroyMenu(menu));
  EXPECT_FALSE(IsMenu(tones));
}

TEST_F(Resources, ToolBarBitmapIsFourImagesOnLightGrey) {
  DWORD size = 0;
  const uint8_t *bitmap = Load(MAKEINTRESOURCEW(1), RT_BITMAP, &size);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_EQ(size, 40u + 64u + 512u);
  EXPECT_EQ(Dword(bitmap + 0), 40u);
  EXPECT_EQ(Dword(bitmap + 4), 64u);
  EXPECT_EQ(Dword(bitmap + 8), 16u);
  EXPECT_EQ(bitmap[14], 4);  // bits per pixel
  const uint8_t *palette = bitmap + 40;
  const uint8_t *pixels = palette + 64;
  auto color = [&](int x, int y) {  // top-down coordinates
    uint8_t byte = pixels[(15 - y) * 32 + x / 2];
    uint8_t index = x % 2 ? byte & 0x0F : byte >> 4;
    const uint8_t *quad = palette + index * 4;
    return std::vector<int>{quad[2], quad[1], quad[0]};
  };
  std::vector<int> grey = {192, 192, 192}, black = {0, 0, 0};
  struct Case {
    int x, y;
    std::vector<int> rgb;
  } cases[] = {
      {0, 0, grey},           {63, 15, grey},          {15, 0, grey},
      {5, 7, {0, 128, 0}},    // play: green triangle
      {16 + 7, 7, black},     // stop
      {32 + 7, 4, black},     // plus, vertical bar
      {32 + 4, 7, black},     // plus, horizontal bar
      {48 + 7, 4, grey},      // minus has no vertical bar
      {48 + 4, 8, black},
  };
  for (const Case &c : cases) EXPECT_EQ(color(c.x, c.y), c.rgb) << c.x << "," << c.y;
}

TEST_F(Resources, IconGroupNamesA32And16PixelImage) {
  DWORD size = 0;
  const uint8_t *group = Load(MAKEINTRESOURCEW(1), RT_GROUP_ICON, &size);
  ASSERT_NE(group, nullptr);
  std::vector<uint16_t> header = Words(group, 6);
  EXPECT_EQ(header, (std::vector<uint16_t>{0, 1, 2}));
  for (int entry = 0; entry < 2; ++entry) {
    const uint8_t *e = group + 6 + entry * 14;
    int pixels = entry == 0 ? 32 : 16;
    EXPECT_EQ(e[0], pixels);
    EXPECT_EQ(e[2], 16);  // colours
    uint16_t id = static_cast<uint16_t>(e[12] | (e[13] << 8));
    DWORD imageSize = 0;
    const uint8_t *image = Load(MAKEINTRESOURCEW(id), RT_ICON, &imageSize);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(imageSize, Dword(e + 8));
    EXPECT_EQ(Dword(image + 4), static_cast<uint32_t>(pixels));
    EXPECT_EQ(Dword(image + 8), static_cast<uint32_t>(2 * pixels));
  }
  EXPECT_NE(LoadIconW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
  EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(2)), nullptr);
}

TEST_F(Resources, EditDialogTemplateReadsBack) {
  DWORD size = 0;
  const uint8_t *data = Load(L"LTextEditDlg", RT_DIALOG, &size);
  ASSERT_NE(data, nullptr);
  // The fixed header, byte for byte.
  const uint8_t header[] = {0xC4, 0x00, 0xC0, 0x90, 0x01, 0, 0, 0, 3, 0, 10, 0, 14, 0, 108, 0, 36, 0};
  ASSERT_GE(size, sizeof header);
  EXPECT_EQ(std::memcmp(data, header, sizeof header), 0);

  DialogDescription dialog;
  ASSERT_TRUE(ParseDialogTemplate(data, size, &dialog));
  EXPECT_EQ(dialog.pointSize, 8);
  EXPECT_EQ(dialog.typeface, L"MS Sans Serif");
  EXPECT_EQ(dialog.title, L"");
  EXPECT_TRUE(dialog.menu.empty());
  EXPECT_TRUE(dialog.className.empty());
  struct Item {
    const wchar_t *className;
    WORD id;
    short x, y, cx, cy;
    DWORD style;
    const wchar_t *text;
  } expected[] = {
      {L"Edit", 100, 2, 4, 104, 12, 0x50810000, L""},
      {L"Button", 1, 2, 18, 50, 14, 0x50010300, L"OK"},
      {L"Button", 2, 56, 18, 50, 14, 0x50010300, L"Cancel"},
  };
  ASSERT_EQ(dialog.items.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const DialogItemDescription &item = dialog.items[i];
    EXPECT_EQ(item.className, expected[i].className);
    EXPECT_EQ(item.id, expected[i].id);
    EXPECT_EQ(item.x, expected[i].x);
    EXPECT_EQ(item.y, expected[i].y);
    EXPECT_EQ(item.cx, expected[i].cx);
    EXPECT_EQ(item.cy, expected[i].cy);
    EXPECT_EQ(item.style, expected[i].style);
    EXPECT_EQ(item.text, expected[i].text);
    EXPECT_TRUE(item.creationData.empty());
  }
  // Every cut of the template is refused rather than read past its end.
  for (DWORD cut = 0; cut < size; cut += 2) {
    DialogDescription truncated;
    EXPECT_FALSE(ParseDialogTemplate(data, cut, &truncated)) << cut;
  }
}

}  // namespace
