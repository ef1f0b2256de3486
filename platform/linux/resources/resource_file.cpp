#include "platform/linux/resources/resource_file.h"

#include "platform/linux/resources/template_reader.h"

namespace {

// 0xFFFF and a number, or a zero-terminated text.
ResourceId ReadId(TemplateReader &reader) {
  ResourceId id;
  TemplateReader peek = reader;
  if (peek.Word() == 0xFFFF) {
    reader.Word();
    id.number = reader.Word();
  } else {
    id.text = reader.Text();
  }
  return id;
}

size_t RoundUp4(size_t value) { return (value + 3) & ~static_cast<size_t>(3); }

}  // namespace

bool ReadResourceFile(const void *bytes, size_t size, std::vector<ResourceEntry> *entries) {
  entries->clear();
  if (!bytes) return false;
  const auto *base = static_cast<const uint8_t *>(bytes);
  size_t offset = 0;
  while (offset < size) {
    TemplateReader reader(base + offset, size - offset);
    uint32_t dataSize = reader.Dword();
    uint32_t headerSize = reader.Dword();
    ResourceEntry entry;
    entry.type = ReadId(reader);
    entry.name = ReadId(reader);
    // Data version, memory flags, language, version, characteristics: one
    // module, one language, nothing to choose between.
    reader.Skip(RoundUp4(reader.Offset()) - reader.Offset() + 16);
    if (!reader.ok() || headerSize < reader.Offset() || headerSize > size - offset ||
        dataSize > size - offset - headerSize) {
      entries->clear();
      return false;
    }
    entry.header = base + offset;
    entry.data = base + offset + headerSize;
    entry.size = dataSize;
    entries->push_back(std::move(entry));
    offset = RoundUp4(offset + headerSize + dataSize);
  }
  return true;
}
