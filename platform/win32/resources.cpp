#include "platform/win32/resources.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/ascii.h"
#include "platform/win32/errors.h"
#include "platform/win32/kernel32.h"

namespace {

std::vector<win32::ModuleResource>& Registry() {
  static std::vector<win32::ModuleResource> registry;
  return registry;
}

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

using win32::detail::SameNameIgnoringCase;

// "#12" names integer id 12; other strings are names.
bool ParseIntegerName(LPCSTR name, WORD& id) {
  if (IS_INTRESOURCE(name)) {
    id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    return true;
  }
  if (name[0] != '#') return false;
  char* end = nullptr;
  const unsigned long value = std::strtoul(name + 1, &end, 10);
  if (end == name + 1 || *end != '\0' || value > 0xFFFF) return false;
  id = static_cast<WORD>(value);
  return true;
}

bool IsOwnModule(HMODULE module) { return module == nullptr || module == GetModuleHandleA(nullptr); }

}  // namespace

namespace win32 {

bool RegisterModuleResources(const ModuleResource* table, std::size_t count) {
  std::lock_guard lock(RegistryMutex());
  Registry().insert(Registry().end(), table, table + count);
  return true;
}

}  // namespace win32

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  if (!IsOwnModule(module) || name == nullptr || type == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  WORD typeId = 0;
  if (!ParseIntegerName(type, typeId) || typeId != 10) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);  // the program holds raw data only
    return nullptr;
  }
  WORD id = 0;
  const bool byId = ParseIntegerName(name, id);
  std::lock_guard lock(RegistryMutex());
  for (const win32::ModuleResource& entry : Registry()) {
    const bool match =
        byId ? (entry.name == nullptr && entry.id == id) : (entry.name && SameNameIgnoringCase(entry.name, name));
    if (match) return reinterpret_cast<HRSRC>(const_cast<win32::ModuleResource*>(&entry));
  }
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
  if (resource == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return resource;  // resources are part of the loaded image; nothing to load
}

LPVOID WINAPI LockResource(HGLOBAL resourceData) {
  if (resourceData == nullptr) return nullptr;
  return const_cast<unsigned char*>(static_cast<const win32::ModuleResource*>(resourceData)->begin);
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
  if (resource == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const auto* entry = reinterpret_cast<const win32::ModuleResource*>(resource);
  return static_cast<DWORD>(entry->end - entry->begin);
}
