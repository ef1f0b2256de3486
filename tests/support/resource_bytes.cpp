#include "resource_bytes.h"

#include <cwchar>

namespace {

void AppendUnits(std::vector<uint16_t> &units, wchar_t c) {
  uint32_t code = static_cast<uint32_t>(c);
  if (code >= 0x10000) {
    code -= 0x10000;
    units.push_back(static_cast<uint16_t>(0xD800 | (code >> 10)));
    units.push_back(static_cast<uint16_t>(0xDC00 | (code & 0x3FF)));
  } else {
    units.push_back(static_cast<uint16_t>(code));
  }
}

std::vector<uint16_t> ToUnits(const wchar_t *text) {
  std::vector<uint16_t> units;
  for (; *text; ++text) AppendUnits(units, *text);
  return units;
}

}  // namespace

void ResourceBytes::Word(uint16_t value) {
  bytes.push_back(static_cast<uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void ResourceBytes::Dword(uint32_t value) {
  Word(static_cast<uint16_t>(value & 0xFFFF));
  Word(static_cast<uint16_t>(value >> 16));
}

void ResourceBytes::Text(const wchar_t *text) {
  for (uint16_t unit : ToUnits(text)) Word(unit);
  Word(0);
}

void ResourceBytes::CountedText(const wchar_t *text) {
  std::vector<uint16_t> units = ToUnits(text);
  Word(static_cast<uint16_t>(units.size()));
  for (uint16_t unit : units) Word(unit);
}

void ResourceBytes::AlignTo(size_t boundary) {
  while (bytes.size() % boundary != 0) bytes.push_back(0);
}
