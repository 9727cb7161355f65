// Resources of the program's own module. The build links them into the executable
// (cmake/EmbedResources.cmake), which registers its table before main runs.
#pragma once

#include "platform/win32/wintypes.h"

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
LPVOID WINAPI LockResource(HGLOBAL resourceData);
DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);

namespace win32 {
// One raw-data (RT_RCDATA) entry: an integer id, or a name when id is 0.
struct ModuleResource {
  WORD id;
  const char* name;
  const unsigned char* begin;
  const unsigned char* end;
};
bool RegisterModuleResources(const ModuleResource* table, std::size_t count);
}  // namespace win32
