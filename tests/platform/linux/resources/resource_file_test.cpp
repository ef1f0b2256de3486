#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/linux/resources/resources.h"
#include "tests/support/resource_bytes.h"

namespace {

void Id(ResourceBytes &out, LPCWSTR id) {
  if (IS_INTRESOURCE(id)) {
    out.Word(0xFFFF);
    out.Word(LOWORD(reinterpret_cast<ULONG_PTR>(id)));
  } else {
    out.Text(id);
  }
}

// A resource file as a resource compiler writes one, noting where each entry
// starts and where its data ends (before the padding to 32 bits).
struct FileBuilder {
  ResourceBytes out;
  std::vector<size_t> starts, dataEnds;

  void Add(LPCWSTR type, LPCWSTR name, const std::string &data) {
    ResourceBytes header;
    Id(header, type);
    Id(header, name);
    header.AlignTo(4);
    header.Dword(0);      // data version
    header.Word(0x1030);  // memory flags
    header.Word(0x0409);  // language
    header.Dword(0);      // version
    header.Dword(0);      // characteristics
    starts.push_back(out.Size());
    out.Dword(static_cast<uint32_t>(data.size()));
    out.Dword(static_cast<uint32_t>(8 + header.Size()));
    out.bytes.insert(out.bytes.end(), header.bytes.begin(), header.bytes.end());
    for (char c : data) out.Byte(static_cast<uint8_t>(c));
    dataEnds.push_back(out.Size());
    out.AlignTo(4);
  }
};

FileBuilder SampleFile() {
  FileBuilder file;
  file.Add(MAKEINTRESOURCEW(0), MAKEINTRESOURCEW(0), "");  // the empty entry that opens a .res file
  file.Add(RT_RCDATA, MAKEINTRESOURCEW(7), "abc");  // odd size: the next entry follows padding
  file.Add(L"GLYPHS", L"NAMED", "xy");
  file.Add(RT_RCDATA, MAKEINTRESOURCEW(8), "z");
  return file;
}

std::string Bytes(HMODULE module, LPCWSTR name, LPCWSTR type) {
  HRSRC found = FindResourceW(module, name, type);
  const char *data = static_cast<const char *>(LockResource(LoadResource(module, found)));
  return data ? std::string(data, SizeofResource(module, found)) : "<none>";
}

TEST(ResourceFile, FindsByNumberOrTextInTheProgramsModuleOnly) {
  FileBuilder file = SampleFile();
  HINSTANCE program = RegisterProgramResources(file.out.bytes.data(), file.out.Size());
  ASSERT_NE(program, nullptr);
  HMODULE other = reinterpret_cast<HMODULE>(&file);
  struct Case {
    LPCWSTR name;
    LPCWSTR type;
    const char *found;
  } cases[] = {
      {MAKEINTRESOURCEW(7), RT_RCDATA, "abc"},
      {L"#7", RT_RCDATA, "abc"},
      {MAKEINTRESOURCEW(8), RT_RCDATA, "z"},
      {L"named", L"glyphs", "xy"},
      {L"NAMED", L"GLYPHS", "xy"},
      {L"#7x", RT_RCDATA, "<none>"},
      {MAKEINTRESOURCEW(7), L"GLYPHS", "<none>"},
      {L"NAMED", RT_RCDATA, "<none>"},
      {L"NAME", L"GLYPHS", "<none>"},
      {MAKEINTRESOURCEW(9), RT_RCDATA, "<none>"},
  };
  for (const Case &c : cases) {
    std::wstring label =
        IS_INTRESOURCE(c.name) ? std::to_wstring(LOWORD(reinterpret_cast<ULONG_PTR>(c.name))) : c.name;
    EXPECT_EQ(Bytes(nullptr, c.name, c.type), c.found) << label;
    EXPECT_EQ(Bytes(program, c.name, c.type), c.found) << label;
    EXPECT_EQ(Bytes(other, c.name, c.type), "<none>") << label;
  }
  HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(7), RT_RCDATA);
  EXPECT_EQ(LoadResource(other, found), nullptr);
  EXPECT_EQ(SizeofResource(other, found), 0u);
}

// A file cut anywhere but between two entries is refused whole, and leaves the
// program without resources rather than with some of them.
TEST(ResourceFile, RefusesEveryCutInsideAnEntry) {
  FileBuilder file = SampleFile();
  for (size_t cut = 0; cut <= file.out.Size(); ++cut) {
    bool whole = cut == 0;
    for (size_t i = 0; i < file.starts.size(); ++i) {
      size_t next = i + 1 < file.starts.size() ? file.starts[i + 1] : file.out.Size();
      whole |= cut >= file.dataEnds[i] && cut <= next;
    }
    ASSERT_NE(RegisterProgramResources(file.out.bytes.data(), file.out.Size()), nullptr);
    EXPECT_EQ(RegisterProgramResources(file.out.bytes.data(), cut) != nullptr, whole) << cut;
    bool hasFirst = FindResourceW(nullptr, MAKEINTRESOURCEW(7), RT_RCDATA) != nullptr;
    EXPECT_EQ(hasFirst, whole && cut >= file.dataEnds[1]) << cut;
  }
  EXPECT_EQ(RegisterProgramResources(nullptr, 0), nullptr);

  // A header size that does not cover the header's own fields.
  FileBuilder shortHeader;
  shortHeader.Add(RT_RCDATA, MAKEINTRESOURCEW(7), "abc");
  shortHeader.out.bytes[4] = 8;
  EXPECT_EQ(RegisterProgramResources(shortHeader.out.bytes.data(), shortHeader.out.Size()), nullptr);
}

}  // namespace
