// Reads the platform's binary resource layouts (menus, dialog templates, string
// blocks, menu-bar data): little-endian words and 16-bit texts, with optional
// bounds. A read past the end yields zeros and clears ok(), so a truncated or
// damaged resource is refused instead of overrun.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TemplateReader {
 public:
  // Without a size the reader trusts the data, as the platform's calls that
  // take a bare template pointer must.
  explicit TemplateReader(const void *data, size_t size = SIZE_MAX)
      : base(static_cast<const uint8_t *>(data)), size(data ? size : 0) {}

  uint16_t Word();
  uint32_t Dword();
  // A zero-terminated text of 16-bit units; surrogate pairs are joined.
  std::wstring Text();
  // `count` 16-bit units, not terminated.
  std::wstring Units(size_t count);
  void AlignTo(size_t boundary);
  void Skip(size_t bytes);

  size_t Offset() const { return offset; }
  bool ok() const { return good; }
  bool AtEnd() const { return offset >= size; }

 private:
  const uint8_t *base;
  size_t size;
  size_t offset = 0;
  bool good = true;
};
