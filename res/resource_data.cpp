#include "res/resource_data.h"

#include <string>
#include <vector>

#include "res/images.h"
#include "res/resource_bytes.h"

namespace {

// Menu template option bits.
enum : uint16_t { kMenuPopup = 0x0010, kMenuEnd = 0x0080 };

struct MenuNode {
  uint16_t id;  // 0 for a separator or a pop-up
  std::wstring text;
  std::vector<MenuNode> children;  // non-empty for a pop-up
};

MenuNode Item(uint16_t id, const wchar_t *text) { return {id, text, {}}; }
MenuNode Separator() { return {0, L"", {}}; }
MenuNode Popup(const wchar_t *text, std::vector<MenuNode> children) { return {0, text, std::move(children)}; }

void WriteMenuItems(ResourceBytes &out, const std::vector<MenuNode> &items) {
  for (size_t i = 0; i < items.size(); ++i) {
    const MenuNode &item = items[i];
    uint16_t option = i + 1 == items.size() ? kMenuEnd : 0;
    if (!item.children.empty()) {
      out.Word(option | kMenuPopup);
      out.Text(item.text.c_str());
      WriteMenuItems(out, item.children);
    } else {
      out.Word(option);
      out.Word(item.id);
      out.Text(item.text.c_str());
    }
  }
}

std::vector<uint8_t> BuildMainMenu() {
  std::vector<MenuNode> tones;
  for (int n = 1; n <= 16; ++n) tones.push_back({static_cast<uint16_t>(2100 + n), std::to_wstring(n), {}});
  std::vector<MenuNode> menu = {
      Popup(L"File", {Item(1001, L"Play"), Item(1002, L"Stop"), Separator(), Item(1099, L"Exit")}),
      Popup(L"Tone",
            {Item(2011, L"Increase Value"), Item(2012, L"Decrease Value"), Item(2013, L"Edit Value..."),
             Separator(), Popup(L"Number of Tones", tones), Separator(),
             Item(3021, L"Constant (Continuous)"), Item(3022, L"Constant (Specified Duration)"),
             Item(3023, L"Sweep (Linear)"), Item(3024, L"Sweep (Log)"), Separator(), Item(3031, L"Mono"),
             Item(3032, L"Stereo"), Separator(), Item(3051, L"Variable Amplitude"), Separator(),
             Item(3041, L"Sine"), Item(3042, L"Square"), Item(3043, L"Triangular"), Item(3044, L"Saw Tooth"),
             Item(3045, L"Impulse"), Item(3046, L"White Noise"), Item(3047, L"Pink Noise")}),
      Popup(L"Help", {Item(9, L"Quick Start Guide.."), Item(903, L"About...")}),
  };
  ResourceBytes out;
  out.Word(0);  // version
  out.Word(0);  // header size beyond these two words
  WriteMenuItems(out, menu);
  return out.bytes;
}

std::vector<uint8_t> BuildMenuBar() {
  ResourceBytes out;
  out.Word(kMainMenuId);
  out.Word(3);
  for (uint16_t i = 0; i < 3; ++i) {
    out.Word(0xFFFE);  // no image
    out.Word(static_cast<uint16_t>(40000 + i));
    out.Word(4);   // enabled
    out.Word(24);  // drop-down, sized to its caption
    out.Word(static_cast<uint16_t>(kFileCaptionId + i));
    out.Word(0);
    out.Word(i);  // the menu's pop-up it opens
  }
  return out.bytes;
}

// String tables come in blocks of 16: block n holds ids (n - 1) * 16 to n * 16 - 1.
std::vector<uint8_t> BuildStringBlock(uint16_t block) {
  ResourceBytes out;
  for (uint16_t index = 0; index < 16; ++index) {
    uint16_t id = static_cast<uint16_t>((block - 1) * 16 + index);
    const wchar_t *text = L"";
    if (id == kFileCaptionId) text = L"File";
    if (id == kToneCaptionId) text = L"Tone";
    if (id == kHelpCaptionId) text = L"Help";
    out.CountedText(text);
  }
  return out.bytes;
}

struct DialogItem {
  uint32_t style;
  int16_t x, y, cx, cy;
  uint16_t id;
  uint16_t classAtom;
  const wchar_t *text;
};

std::vector<uint8_t> BuildTextEditDialog() {
  const DialogItem items[] = {
      {0x50810000, 2, 4, 104, 12, 100, 0x0081, L""},
      {0x50010300, 2, 18, 50, 14, 1, 0x0080, L"OK"},
      {0x50010300, 56, 18, 50, 14, 2, 0x0080, L"Cancel"},
  };
  ResourceBytes out;
  out.Dword(0x90C000C4);
  out.Dword(0x00000001);
  out.Word(3);
  out.Word(10);
  out.Word(14);
  out.Word(108);
  out.Word(36);
  out.Word(0);    // no menu
  out.Word(0);    // the default dialog class
  out.Text(L"");  // no title
  out.Word(8);
  out.Text(L"MS Sans Serif");
  for (const DialogItem &item : items) {
    out.AlignTo(4);
    out.Dword(item.style);
    out.Dword(0);
    out.Word(static_cast<uint16_t>(item.x));
    out.Word(static_cast<uint16_t>(item.y));
    out.Word(static_cast<uint16_t>(item.cx));
    out.Word(static_cast<uint16_t>(item.cy));
    out.Word(item.id);
    out.Word(0xFFFF);
    out.Word(item.classAtom);
    out.Text(item.text);
    out.Word(0);  // no creation data
  }
  return out.bytes;
}

struct ResourceStore {
  std::vector<std::vector<uint8_t>> blobs;
  std::vector<ResourceRecord> records;

  void Add(uint16_t type, uint16_t id, const wchar_t *name, std::vector<uint8_t> bytes) {
    blobs.push_back(std::move(bytes));
    records.push_back({type, id, name, {}});
  }

  ResourceStore() {
    Add(kResourceTypeMenu, kMainMenuId, nullptr, BuildMainMenu());
    Add(kResourceTypeRawData, kMenuBarId, nullptr, BuildMenuBar());
    Add(kResourceTypeString, kFileCaptionId / 16 + 1, nullptr, BuildStringBlock(kFileCaptionId / 16 + 1));
    Add(kResourceTypeBitmap, kToolBarBitmapId, nullptr, BuildToolBarBitmap());
    std::vector<uint8_t> icon32 = BuildIconImage(32), icon16 = BuildIconImage(16);
    Add(kResourceTypeGroupIcon, kMainIconId, nullptr,
        BuildIconGroup(1, static_cast<uint32_t>(icon32.size()), static_cast<uint32_t>(icon16.size())));
    Add(kResourceTypeIcon, 1, nullptr, std::move(icon32));
    Add(kResourceTypeIcon, 2, nullptr, std::move(icon16));
    Add(kResourceTypeDialog, 0, L"LTEXTEDITDLG", BuildTextEditDialog());
    // Spans are taken once every blob has its final address.
    for (size_t i = 0; i < records.size(); ++i) records[i].data = blobs[i];
  }
};

}  // namespace

std::span<const ResourceRecord> ProgramResources() {
  static const ResourceStore store;
  return store.records;
}

const wchar_t *BitmapGlyphs(uint16_t bitmapId, bool unicode) {
  if (bitmapId != kToolBarBitmapId) return nullptr;
  return unicode ? L"\u25B6\u25A0+\u2212" : L">#+-";
}

const wchar_t *BitmapShortcutKeys(uint16_t bitmapId) {
  return bitmapId == kToolBarBitmapId ? L"ps+-" : nullptr;
}
