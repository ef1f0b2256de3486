// The program's resources as the bytes a resource compiler would have produced:
// menu, menu-bar data, string table, tool bar bitmap, icon and the value edit
// dialog's template. Plain data only: finding and loading them is the
// platform's job, and nothing here depends on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "res/resource_ids.h"

// One resource. Wide texts inside the data are 16-bit units, little-endian, as
// in the platform's own formats, whatever the width of wchar_t.
struct ResourceRecord {
  uint16_t type;
  uint16_t id;          // numeric id; 0 for a named resource
  const wchar_t *name;  // upper-case name of a named resource, else null
  std::span<const uint8_t> data;
};

// Every resource of the program. The data lives for the whole run.
std::span<const ResourceRecord> ProgramResources();

// How a terminal shows the images of a tool bar bitmap: one character per
// image, left to right, in the Unicode form and in a plain ASCII form for
// terminals without UTF-8. Null for a bitmap the program does not have.
const wchar_t *BitmapGlyphs(uint16_t bitmapId, bool unicode);

// The keys that press the images of a tool bar bitmap on a terminal, one per
// image in the same order; null for a bitmap the program does not have.
const wchar_t *BitmapShortcutKeys(uint16_t bitmapId);
