#include <gtest/gtest.h>

#include "platform/com/class_registry.h"

namespace {

constexpr CLSID kTestClass = {0x1234ABCD, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};

struct Thing final : IUnknown {
  ULONG count = 0;
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid != IID_IUnknown) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = this;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++count; }
  ULONG Release() override {
    ULONG left = --count;
    if (left == 0) delete this;
    return left;
  }
};

HRESULT CreateThing(IUnknown* outer, REFIID riid, void** object) {
  if (outer) return CLASS_E_NOAGGREGATION;
  auto* thing = new Thing;
  thing->AddRef();
  HRESULT hr = thing->QueryInterface(riid, object);
  thing->Release();
  return hr;
}

TEST(Guid, TextFormRoundTrips) {
  GUID player;
  ASSERT_TRUE(com::GuidFromString("{22d6f312-b0f6-11d0-94ab-0080c74c7e95}", player));
  EXPECT_EQ(com::GuidToString(player), "{22D6F312-B0F6-11D0-94AB-0080C74C7E95}");
  EXPECT_EQ(player.Data1, 0x22D6F312u);
  EXPECT_EQ(player.Data4[7], 0x95);
  GUID ignored;
  EXPECT_FALSE(com::GuidFromString("22D6F312-B0F6-11D0-94AB-0080C74C7E95", ignored));
  EXPECT_FALSE(com::GuidFromString("{22D6F312-B0F6-11D0-94AB-0080C74C7E9G}", ignored));
}

TEST(ClassRegistry, CreatesRegisteredClassesAndShowsThemUnderClassesRoot) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  HKEY key = nullptr;
  const std::string path = "CLSID\\" + com::GuidToString(kTestClass);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key), static_cast<LONG>(ERROR_FILE_NOT_FOUND));

  com::RegisterClass(kTestClass, "Test thing", CreateThing);
  ASSERT_EQ(CoCreateInstance(kTestClass, nullptr, 5, IID_IUnknown, &object), S_OK);
  EXPECT_EQ(static_cast<IUnknown*>(object)->Release(), 0u);
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, 5, kTestClass, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);

  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key), static_cast<LONG>(ERROR_SUCCESS));
  char name[32];
  DWORD size = sizeof name;
  EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<LPBYTE>(name), &size), 0);
  EXPECT_STREQ(name, "Test thing");
  HKEY server = nullptr;
  EXPECT_EQ(RegOpenKeyExA(key, "InprocServer32", 0, KEY_READ, &server), 0);
  EXPECT_EQ(RegCloseKey(server), 0);
  EXPECT_EQ(RegCloseKey(key), 0);
  EXPECT_EQ(RegCloseKey(key), static_cast<LONG>(ERROR_INVALID_HANDLE));
  // The view is read-only; the key is matched without letter case.
  EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_WRITE, &key), static_cast<LONG>(ERROR_ACCESS_DENIED));
  std::string lower = path;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, lower.c_str(), 0, KEY_READ, &key), 0);
  RegCloseKey(key);

  {
    com::ScopedClassRemoval removed(kTestClass);
    EXPECT_FALSE(com::IsClassRegistered(kTestClass));
  }
  EXPECT_TRUE(com::IsClassRegistered(kTestClass));
  com::UnregisterClass(kTestClass);
}

}  // namespace
