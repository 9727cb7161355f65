// CoCreateInstance over an in-process class registry, and the read-only HKEY_CLASSES_ROOT view of
// that registry: a registered class appears as the key "CLSID\{...}" with its name as default value
// and the subkey "InprocServer32", as an installed component would.
#pragma once

#include <functional>
#include <string>

#include "platform/com/unknown.h"

// Class contexts.
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// Creates a new object of the class and answers riid from it (outer is the aggregating object or null).
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object);
// The runtime keeps no per-thread state: both always succeed.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// Registry keys (read-only view).
struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000));
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_EXECUTE = KEY_READ;
constexpr DWORD REG_SZ = 1;

// ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for an absent key, ERROR_ACCESS_DENIED for write access.
LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LONG WINAPI RegCloseKey(HKEY key);
// The default value (null or empty name) of a key is the class's name; no other values exist.
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);

namespace com {
using ClassFactory = std::function<HRESULT(IUnknown* outer, REFIID riid, void** object)>;

// Registers (or replaces) a class. The name is the key's default value.
void RegisterClass(REFCLSID clsid, const std::string& name, ClassFactory factory);
void UnregisterClass(REFCLSID clsid);
bool IsClassRegistered(REFCLSID clsid);

// Keeps a class unregistered while it lives, and registered again as before afterwards.
class ScopedClassRemoval {
 public:
  explicit ScopedClassRemoval(REFCLSID clsid);
  ~ScopedClassRemoval();
  ScopedClassRemoval(const ScopedClassRemoval&) = delete;
  ScopedClassRemoval& operator=(const ScopedClassRemoval&) = delete;

 private:
  CLSID clsid_;
  bool wasRegistered_ = false;
  std::string name_;
  ClassFactory factory_;
};
}  // namespace com
