// Reading a standard in-memory dialog template (DLGTEMPLATE followed by its
// DLGITEMTEMPLATE items) into a plain description the dialog manager builds
// windows from. The extended template format is not read.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/win_types.h"

#pragma pack(push, 2)
typedef struct {
  DWORD style;
  DWORD dwExtendedStyle;
  WORD cdit;
  short x;
  short y;
  short cx;
  short cy;
} DLGTEMPLATE;
typedef struct {
  DWORD style;
  DWORD dwExtendedStyle;
  short x;
  short y;
  short cx;
  short cy;
  WORD id;
} DLGITEMTEMPLATE;
#pragma pack(pop)
typedef DLGTEMPLATE *LPDLGTEMPLATEW;
typedef const DLGTEMPLATE *LPCDLGTEMPLATEW;

#define DS_ABSALIGN 0x01L
#define DS_SYSMODAL 0x02L
#define DS_3DLOOK 0x04L
#define DS_LOCALEDIT 0x20L
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_NOIDLEMSG 0x100L
#define DS_SETFOREGROUND 0x200L
#define DS_CENTER 0x0800L

struct DialogItemDescription {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  WORD id = 0;
  std::wstring className;  // predefined classes by name: "Button", "Edit", "Static", ...
  std::wstring text;
  std::vector<BYTE> creationData;
};

struct DialogDescription {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::wstring menu;       // empty for none; "#n" for an ordinal
  std::wstring className;  // empty for the default dialog class
  std::wstring title;
  WORD pointSize = 0;
  std::wstring typeface;
  std::vector<DialogItemDescription> items;
};

// False when the template is null, of the extended format, or damaged within
// `size` bytes (pass SIZE_MAX when the size is not known).
bool ParseDialogTemplate(const void *data, size_t size, DialogDescription *out);
