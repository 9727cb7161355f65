#include "platform/com/class_registry.h"

#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <unordered_map>

namespace {

struct ClassEntry {
  std::string name;
  com::ClassFactory factory;
};

struct Registry {
  std::mutex lock;
  // Guarded by lock:
  std::unordered_map<GUID, ClassEntry, com::GuidHash> classes;
  std::map<ULONG_PTR, std::string> openKeys;  // handle -> key path, upper case
  ULONG_PTR nextKey = 1;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // lives to the end of the process, for late COM calls
  return *registry;
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

// Which registry key path exists: "CLSID", "CLSID\{...}", "CLSID\{...}\INPROCSERVER32". Call with the lock held.
bool KeyExists(const Registry& registry, const std::string& path, std::string* defaultValue) {
  if (path == "CLSID") return true;
  if (path.rfind("CLSID\\", 0) != 0) return false;
  std::string rest = path.substr(6);
  std::string guidText = rest.substr(0, rest.find('\\'));
  std::string tail = rest.size() > guidText.size() ? rest.substr(guidText.size() + 1) : std::string();
  GUID clsid;
  if (!com::GuidFromString(guidText, clsid)) return false;
  auto found = registry.classes.find(clsid);
  if (found == registry.classes.end()) return false;
  if (tail.empty()) {
    if (defaultValue) *defaultValue = found->second.name;
    return true;
  }
  if (tail == "INPROCSERVER32") {
    if (defaultValue) defaultValue->clear();
    return true;
  }
  return false;
}

std::string NormalisedPath(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  while (!path.empty() && path.front() == '\\') path.erase(0, 1);
  return Upper(path);
}

}  // namespace

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!(context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER))) return REGDB_E_CLASSNOTREG;
  com::ClassFactory factory;
  {
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    auto found = registry.classes.find(clsid);
    if (found == registry.classes.end()) return REGDB_E_CLASSNOTREG;
    factory = found->second.factory;
  }
  HRESULT hr = factory(outer, riid, object);
  if (FAILED(hr)) *object = nullptr;
  return hr;
}

HRESULT CoInitialize(void*) { return S_OK; }
void CoUninitialize() {}

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM desired, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  std::string base;
  if (key == HKEY_CLASSES_ROOT) {
    base.clear();
  } else {
    auto open = registry.openKeys.find(reinterpret_cast<ULONG_PTR>(key));
    if (open == registry.openKeys.end()) return ERROR_INVALID_HANDLE;
    base = open->second;
  }
  std::string path = NormalisedPath(subKey ? std::string(subKey) : std::string());
  if (!base.empty()) path = path.empty() ? base : base + "\\" + path;
  if (path.empty()) return ERROR_INVALID_PARAMETER;  // HKEY_CLASSES_ROOT itself is not handed out
  if (!KeyExists(registry, path, nullptr)) return ERROR_FILE_NOT_FOUND;
  if (desired & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
  ULONG_PTR handle = 0x1000 + registry.nextKey++;
  registry.openKeys[handle] = path;
  *result = reinterpret_cast<HKEY>(handle);
  return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return ERROR_SUCCESS;
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  return registry.openKeys.erase(reinterpret_cast<ULONG_PTR>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  auto open = registry.openKeys.find(reinterpret_cast<ULONG_PTR>(key));
  if (open == registry.openKeys.end()) return ERROR_INVALID_HANDLE;
  if (valueName && *valueName) return ERROR_FILE_NOT_FOUND;
  std::string value;
  if (!KeyExists(registry, open->second, &value)) return ERROR_FILE_NOT_FOUND;  // unregistered since opened
  if (type) *type = REG_SZ;
  DWORD needed = static_cast<DWORD>(value.size() + 1);
  if (!dataSize) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  DWORD room = *dataSize;
  *dataSize = needed;
  if (!data) return ERROR_SUCCESS;
  if (room < needed) return 234;  // ERROR_MORE_DATA
  std::memcpy(data, value.c_str(), needed);
  return ERROR_SUCCESS;
}

namespace com {

void RegisterClass(REFCLSID clsid, const std::string& name, ClassFactory factory) {
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  registry.classes[clsid] = ClassEntry{name, std::move(factory)};
}

void UnregisterClass(REFCLSID clsid) {
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  registry.classes.erase(clsid);
}

bool IsClassRegistered(REFCLSID clsid) {
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  return registry.classes.count(clsid) != 0;
}

ScopedClassRemoval::ScopedClassRemoval(REFCLSID clsid) : clsid_(clsid) {
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  auto found = registry.classes.find(clsid);
  if (found == registry.classes.end()) return;
  wasRegistered_ = true;
  name_ = found->second.name;
  factory_ = found->second.factory;
  registry.classes.erase(found);
}

ScopedClassRemoval::~ScopedClassRemoval() {
  if (wasRegistered_) RegisterClass(clsid_, name_, std::move(factory_));
}

}  // namespace com
