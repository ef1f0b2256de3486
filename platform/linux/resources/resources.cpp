#include "platform/linux/resources/resources.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "platform/linux/resources/resource_file.h"
#include "platform/linux/resources/template_reader.h"

namespace {

struct Module {
  std::vector<ResourceEntry> entries;
};

// The one module. Its address is the program's instance handle.
Module &Program() {
  static Module module;
  return module;
}

const Module *ModuleOf(HMODULE handle) {
  Module &program = Program();
  return !handle || handle == reinterpret_cast<HMODULE>(&program) ? &program : nullptr;
}

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

bool SameNameIgnoringCase(const std::wstring &a, const wchar_t *b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i]))) return false;
  }
  return i == a.size() && !b[i];
}

bool Matches(const ResourceId &id, LPCWSTR name) {
  uint16_t number = 0;
  if (NumericName(name, &number)) return id.text.empty() && id.number == number;
  return !id.text.empty() && SameNameIgnoringCase(id.text, name);
}

const ResourceEntry *EntryOf(HMODULE module, HRSRC handle) {
  const Module *owner = ModuleOf(module);
  if (!owner || !handle) return nullptr;
  for (const ResourceEntry &entry : owner->entries) {
    if (reinterpret_cast<HRSRC>(const_cast<uint8_t *>(entry.header)) == handle) return &entry;
  }
  return nullptr;
}

}  // namespace

HINSTANCE RegisterProgramResources(const void *resFile, size_t size) {
  Module &program = Program();
  if (!ReadResourceFile(resFile, size, &program.entries)) return nullptr;
  return reinterpret_cast<HINSTANCE>(&program);
}

HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
  const Module *module = ModuleOf(hModule);
  if (!module || !lpName || !lpType) return nullptr;
  for (const ResourceEntry &entry : module->entries) {
    if (Matches(entry.type, lpType) && Matches(entry.name, lpName))
      return reinterpret_cast<HRSRC>(const_cast<uint8_t *>(entry.header));
  }
  return nullptr;
}

HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo) {
  const ResourceEntry *entry = EntryOf(hModule, hResInfo);
  return entry ? const_cast<uint8_t *>(entry->data) : nullptr;
}

LPVOID LockResource(HGLOBAL hResData) { return hResData; }

DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  const ResourceEntry *entry = EntryOf(hModule, hResInfo);
  return entry ? entry->size : 0;
}

const void *FindResourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name, DWORD *size) {
  HRSRC found = FindResourceW(module, name, type);
  *size = SizeofResource(module, found);
  return found ? LockResource(LoadResource(module, found)) : nullptr;
}

bool LoadResourceString(HINSTANCE instance, UINT id, std::wstring *text) {
  text->clear();
  if (id > 0xFFFF) return false;
  DWORD size = 0;
  const void *block = FindResourceBytes(instance, RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1), &size);
  if (!block) return false;
  TemplateReader reader(block, size);
  for (UINT index = 0; index < (id & 15); ++index) reader.Skip(reader.Word() * 2u);
  uint16_t length = reader.Word();
  if (!reader.ok() || length == 0) return false;
  *text = reader.Units(length);
  return reader.ok();
}

int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax <= 0) return 0;
  std::wstring text;
  lpBuffer[0] = L'\0';
  if (!LoadResourceString(hInstance, uID, &text)) return 0;
  size_t count = std::min(text.size(), static_cast<size_t>(cchBufferMax - 1));
  std::wmemcpy(lpBuffer, text.data(), count);
  lpBuffer[count] = L'\0';
  return static_cast<int>(count);
}

HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName) {
  if (!lpIconName) return nullptr;
  // The terminal cannot show the picture; the handle only has to name the
  // group, and the group's entry lives as long as the program's resources.
  return reinterpret_cast<HICON>(FindResourceW(hInstance, lpIconName, RT_GROUP_ICON));
}
