// A little-endian byte writer for building test data in the platform's binary
// layouts (resource files, dialog templates: words, double words, 16-bit
// texts, alignment). Not a general serialiser: it only appends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ResourceBytes {
 public:
  void Byte(uint8_t value) { bytes.push_back(value); }
  void Word(uint16_t value);
  void Dword(uint32_t value);
  // A zero-terminated text in 16-bit units; characters beyond the basic plane
  // become surrogate pairs.
  void Text(const wchar_t *text);
  // A text preceded by its length in 16-bit units and not terminated, as in a
  // string table block.
  void CountedText(const wchar_t *text);
  void AlignTo(size_t boundary);
  size_t Size() const { return bytes.size(); }

  std::vector<uint8_t> bytes;
};
