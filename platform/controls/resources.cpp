#include "platform/controls/resources.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "platform/controls/template_reader.h"
#include "res/resource_data.h"

namespace {

// A name as a number when it is one: an integer resource or "#digits".
bool NumericName(LPCWSTR name, uint16_t *id) {
  if (IS_INTRESOURCE(name)) {
    *id = static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(name));
    return true;
  }
  if (name[0] != L'#' || !name[1]) return false;
  unsigned long value = 0;
  for (const WCHAR *p = name + 1; *p; ++p) {
    if (*p < L'0' || *p > L'9') return false;
    value = value * 10 + static_cast<unsigned long>(*p - L'0');
    if (value > 0xFFFF) return false;
  }
  *id = static_cast<uint16_t>(value);
  return true;
}

bool SameNameIgnoringCase(const wchar_t *a, const wchar_t *b) {
  for (; *a && *b; ++a, ++b) {
    if (std::towupper(static_cast<wint_t>(*a)) != std::towupper(static_cast<wint_t>(*b))) return false;
  }
  return *a == *b;
}

bool Matches(const ResourceRecord &record, LPCWSTR name, LPCWSTR type) {
  uint16_t typeId = 0;
  if (!type || !NumericName(type, &typeId) || record.type != typeId) return false;
  uint16_t id = 0;
  if (NumericName(name, &id)) return !record.name && record.id == id;
  return record.name && SameNameIgnoringCase(record.name, name);
}

const ResourceRecord *RecordOf(HRSRC handle) {
  for (const ResourceRecord &record : ProgramResources()) {
    if (reinterpret_cast<HRSRC>(const_cast<ResourceRecord *>(&record)) == handle) return &record;
  }
  return nullptr;
}

}  // namespace

HRSRC FindResourceW(HMODULE, LPCWSTR lpName, LPCWSTR lpType) {
  if (!lpName || !lpType) return nullptr;
  for (const ResourceRecord &record : ProgramResources()) {
    if (Matches(record, lpName, lpType)) return reinterpret_cast<HRSRC>(const_cast<ResourceRecord *>(&record));
  }
  return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC hResInfo) {
  const ResourceRecord *record = RecordOf(hResInfo);
  return record ? const_cast<uint8_t *>(record->data.data()) : nullptr;
}

LPVOID LockResource(HGLOBAL hResData) { return hResData; }

DWORD SizeofResource(HMODULE, HRSRC hResInfo) {
  const ResourceRecord *record = RecordOf(hResInfo);
  return record ? static_cast<DWORD>(record->data.size()) : 0;
}

const void *FindResourceBytes(LPCWSTR type, LPCWSTR name, DWORD *size) {
  HRSRC found = FindResourceW(nullptr, name, type);
  *size = SizeofResource(nullptr, found);
  return found ? LockResource(LoadResource(nullptr, found)) : nullptr;
}

bool LoadResourceString(UINT id, std::wstring *text) {
  text->clear();
  if (id > 0xFFFF) return false;
  DWORD size = 0;
  const void *block = FindResourceBytes(RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1), &size);
  if (!block) return false;
  TemplateReader reader(block, size);
  for (UINT index = 0; index < (id & 15); ++index) reader.Skip(reader.Word() * 2u);
  uint16_t length = reader.Word();
  if (!reader.ok() || length == 0) return false;
  *text = reader.Units(length);
  return reader.ok();
}

int LoadStringW(HINSTANCE, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax <= 0) return 0;
  std::wstring text;
  lpBuffer[0] = L'\0';
  if (!LoadResourceString(uID, &text)) return 0;
  size_t count = std::min(text.size(), static_cast<size_t>(cchBufferMax - 1));
  std::wmemcpy(lpBuffer, text.data(), count);
  lpBuffer[count] = L'\0';
  return static_cast<int>(count);
}

HICON LoadIconW(HINSTANCE, LPCWSTR lpIconName) {
  if (!lpIconName) return nullptr;
  // The terminal cannot show the picture; the handle only has to name the
  // group, and the group's record lives for the whole run.
  return reinterpret_cast<HICON>(FindResourceW(nullptr, lpIconName, RT_GROUP_ICON));
}
