#include "platform/linux/resources/template_reader.h"

uint16_t TemplateReader::Word() {
  if (!good || size - offset < 2 || offset > size) {
    good = false;
    return 0;
  }
  uint16_t value = static_cast<uint16_t>(base[offset] | (base[offset + 1] << 8));
  offset += 2;
  return value;
}

uint32_t TemplateReader::Dword() {
  uint32_t low = Word();
  uint32_t high = Word();
  return low | (high << 16);
}

namespace {

void AppendUnit(std::wstring &text, uint16_t unit, uint16_t &pendingHigh) {
  if (unit >= 0xD800 && unit < 0xDC00) {
    pendingHigh = unit;
    return;
  }
  if (unit >= 0xDC00 && unit < 0xE000 && pendingHigh) {
    uint32_t code = 0x10000 + ((static_cast<uint32_t>(pendingHigh) - 0xD800) << 10) + (unit - 0xDC00);
    text.push_back(static_cast<wchar_t>(code));
  } else {
    text.push_back(static_cast<wchar_t>(unit));
  }
  pendingHigh = 0;
}

}  // namespace

std::wstring TemplateReader::Text() {
  std::wstring text;
  uint16_t pendingHigh = 0;
  for (;;) {
    uint16_t unit = Word();
    if (!good || unit == 0) break;
    AppendUnit(text, unit, pendingHigh);
  }
  return text;
}

std::wstring TemplateReader::Units(size_t count) {
  std::wstring text;
  uint16_t pendingHigh = 0;
  for (size_t i = 0; i < count && good; ++i) {
    uint16_t unit = Word();
    if (good) AppendUnit(text, unit, pendingHigh);
  }
  return text;
}

void TemplateReader::AlignTo(size_t boundary) {
  // Alignment is of the address, as the platform aligns template items.
  uintptr_t address = reinterpret_cast<uintptr_t>(base) + offset;
  size_t pad = (boundary - address % boundary) % boundary;
  Skip(pad);
}

void TemplateReader::Skip(size_t bytes) {
  if (!good || offset > size || size - offset < bytes) {
    good = false;
    return;
  }
  offset += bytes;
}
