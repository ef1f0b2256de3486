// Reads a compiled resource file, the standard .res layout a resource compiler
// writes: one entry per resource, each a header (data size, header size, type,
// name, then fields this platform does not use) followed by the data, every
// entry starting on a 32-bit boundary. Not for finding resources: that is the
// resource calls' job (resources.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A type or a name: a number, or a text (the compiler writes names in upper
// case).
struct ResourceId {
  uint16_t number = 0;
  std::wstring text;  // empty when the id is a number
};

struct ResourceEntry {
  ResourceId type;
  ResourceId name;
  const uint8_t *header;  // stable while the file's bytes live: the entry's handle
  const uint8_t *data;
  uint32_t size;
};

// The entries of `bytes` in file order, pointing into it. False, with no
// entries, when the bytes are not a whole resource file: an entry that runs
// past the end or whose header does not hold its own fields.
bool ReadResourceFile(const void *bytes, size_t size, std::vector<ResourceEntry> *entries);
