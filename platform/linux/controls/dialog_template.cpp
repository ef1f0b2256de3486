#include "platform/linux/controls/dialog_template.h"

#include "platform/linux/resources/template_reader.h"

namespace {

// A menu, class or title field: 0 for none, 0xFFFF and an ordinal, or a text.
std::wstring NameOrOrdinal(TemplateReader &reader, WORD *ordinal) {
  uint16_t first = reader.Word();
  if (first == 0) return L"";
  if (first == 0xFFFF) {
    uint16_t value = reader.Word();
    if (ordinal) *ordinal = value;
    return L"#" + std::to_wstring(value);
  }
  std::wstring rest = reader.Text();
  return std::wstring(1, static_cast<wchar_t>(first)) + rest;
}

std::wstring PredefinedClass(WORD atom) {
  switch (atom) {
    case 0x0080: return L"Button";
    case 0x0081: return L"Edit";
    case 0x0082: return L"Static";
    case 0x0083: return L"ListBox";
    case 0x0084: return L"ScrollBar";
    case 0x0085: return L"ComboBox";
    default: return L"#" + std::to_wstring(atom);
  }
}

}  // namespace

bool ParseDialogTemplate(const void *data, size_t size, DialogDescription *out) {
  if (!data || !out) return false;
  TemplateReader reader(data, size);
  DialogDescription dialog;
  dialog.style = reader.Dword();
  dialog.exStyle = reader.Dword();
  // The extended format starts with the words 1 and 0xFFFF.
  if ((dialog.style & 0xFFFF) == 1 && (dialog.style >> 16) == 0xFFFF) return false;
  uint16_t count = reader.Word();
  dialog.x = static_cast<short>(reader.Word());
  dialog.y = static_cast<short>(reader.Word());
  dialog.cx = static_cast<short>(reader.Word());
  dialog.cy = static_cast<short>(reader.Word());
  dialog.menu = NameOrOrdinal(reader, nullptr);
  dialog.className = NameOrOrdinal(reader, nullptr);
  dialog.title = reader.Text();
  if (dialog.style & DS_SETFONT) {
    dialog.pointSize = reader.Word();
    dialog.typeface = reader.Text();
  }
  for (uint16_t i = 0; i < count && reader.ok(); ++i) {
    reader.AlignTo(4);
    DialogItemDescription item;
    item.style = reader.Dword();
    item.exStyle = reader.Dword();
    item.x = static_cast<short>(reader.Word());
    item.y = static_cast<short>(reader.Word());
    item.cx = static_cast<short>(reader.Word());
    item.cy = static_cast<short>(reader.Word());
    item.id = reader.Word();
    WORD atom = 0;
    item.className = NameOrOrdinal(reader, &atom);
    if (atom) item.className = PredefinedClass(atom);
    item.text = NameOrOrdinal(reader, nullptr);
    uint16_t extra = reader.Word();
    if (extra) {
      // The count includes its own word.
      size_t bytes = extra >= 2 ? extra - 2u : 0u;
      const uint8_t *start = static_cast<const uint8_t *>(data) + reader.Offset();
      reader.Skip(bytes);
      if (reader.ok()) item.creationData.assign(start, start + bytes);
    }
    dialog.items.push_back(std::move(item));
  }
  if (!reader.ok()) return false;
  *out = std::move(dialog);
  return true;
}
