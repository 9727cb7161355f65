// The runtime's helpers that the control host leans on: MulDiv's rounding, the user's locale,
// accelerator matching, OleDraw and menu descriptors.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/com/control_interfaces.h"
#include "platform/com/system_values.h"
#include "platform/com/view_object.h"

namespace {

TEST(MulDiv, RoundsHalvesAwayFromZeroAndAnswersMinusOneForOverflowAndZeroDenominators) {
  EXPECT_EQ(MulDiv(320, 2540, 96), 8467);  // 8466.67: a 320-pixel width in HIMETRIC at 96 ppi
  EXPECT_EQ(MulDiv(240, 2540, 96), 6350);
  EXPECT_EQ(MulDiv(1, 3, 2), 2);
  EXPECT_EQ(MulDiv(-1, 3, 2), -2);
  EXPECT_EQ(MulDiv(1, 3, -2), -2);
  EXPECT_EQ(MulDiv(-1, -3, 2), 2);
  EXPECT_EQ(MulDiv(7, 1, 4), 2);  // 1.75
  EXPECT_EQ(MulDiv(5, 1, 4), 1);  // 1.25
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 0x7FFFFFFF, 2), -1);
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 2, 2), 0x7FFFFFFF);  // the product may exceed 32 bits
  EXPECT_EQ(MulDiv(1, 2, 0), -1);
}

TEST(UserLocale, FollowsTheEnvironmentsLanguage) {
  const char* saved = std::getenv("LC_ALL");
  const std::string keep = saved ? saved : "";
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  EXPECT_EQ(GetUserDefaultLCID(), 0x0407u);
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(GetUserDefaultLCID(), 0x0409u);
  if (saved)
    setenv("LC_ALL", keep.c_str(), 1);
  else
    unsetenv("LC_ALL");
}

MSG KeyMessage(UINT message, WPARAM key) {
  MSG msg{};
  msg.message = message;
  msg.wParam = key;
  return msg;
}

TEST(IsAccelerator, MatchesVirtualKeysWithTheirModifiersAndCharactersAndLooksAtNoMoreThanItIsTold) {
  ACCEL entries[] = {
      {FVIRTKEY, VK_RETURN, 10},
      {FVIRTKEY | FCONTROL, 'P', 11},
      {0, 'x', 12},
      {FVIRTKEY | FALT, 'S', 13},
  };
  HACCEL table = CreateAcceleratorTableA(entries, 4);
  ASSERT_NE(table, nullptr);
  WORD command = 0;
  MSG enter = KeyMessage(WM_KEYDOWN, VK_RETURN);
  EXPECT_TRUE(IsAccelerator(table, 4, &enter, &command));
  EXPECT_EQ(command, 10);
  MSG plainP = KeyMessage(WM_KEYDOWN, 'P');  // Ctrl is not down
  EXPECT_FALSE(IsAccelerator(table, 4, &plainP, nullptr));
  MSG x = KeyMessage(WM_CHAR, 'x');
  EXPECT_TRUE(IsAccelerator(table, 4, &x, &command));
  EXPECT_EQ(command, 12);
  EXPECT_FALSE(IsAccelerator(table, 2, &x, nullptr));  // beyond the count it was given
  MSG altS = KeyMessage(WM_SYSKEYDOWN, 'S');
  EXPECT_TRUE(IsAccelerator(table, 100, &altS, &command));  // a count past the table is bounded by it
  EXPECT_EQ(command, 13);
  MSG keyUp = KeyMessage(WM_KEYUP, VK_RETURN);
  EXPECT_FALSE(IsAccelerator(table, 4, &keyUp, nullptr));
  EXPECT_TRUE(DestroyAcceleratorTable(table));
  EXPECT_FALSE(IsAccelerator(table, 4, &enter, nullptr));
}

class Drawable final : public IViewObject {
 public:
  ULONG references = 1;
  bool viewable = true;
  LONG index = 0;
  HDC dc = nullptr;
  RECTL bounds{};

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || (riid == IID_IViewObject && viewable)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE Draw(DWORD, LONG drawIndex, void*, DVTARGETDEVICE*, HDC, HDC drawContext,
                                 LPCRECTL drawBounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                 ULONG_PTR) override {
    index = drawIndex;
    dc = drawContext;
    bounds = *drawBounds;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
};

TEST(OleDraw, HandsTheRectangleToTheObjectsViewAndReleasesIt) {
  Drawable object;
  const RECT bounds{1, 2, 30, 40};
  HDC dc = reinterpret_cast<HDC>(0x1234);
  EXPECT_EQ(OleDraw(&object, DVASPECT_CONTENT, dc, &bounds), S_OK);
  EXPECT_EQ(object.index, -1);
  EXPECT_EQ(object.dc, dc);
  EXPECT_EQ(object.bounds.right, 30);
  EXPECT_EQ(object.bounds.bottom, 40);
  EXPECT_EQ(object.references, 1u);
  EXPECT_EQ(OleDraw(&object, DVASPECT_CONTENT, dc, nullptr), E_INVALIDARG);
  object.viewable = false;
  EXPECT_EQ(OleDraw(&object, DVASPECT_CONTENT, dc, &bounds), DV_E_NOIVIEWOBJECT);
}

TEST(MenuDescriptor, IsInstalledOnlyOnAWindowAndRemovedWithANullDescriptor) {
  HMENU shared = CreateMenu();
  OLEMENUGROUPWIDTHS widths{{1, 0, 1, 0, 1, 0}};
  HOLEMENU descriptor = OleCreateMenuDescriptor(shared, &widths);
  ASSERT_NE(descriptor, nullptr);
  EXPECT_EQ(OleCreateMenuDescriptor(shared, nullptr), nullptr);
  EXPECT_EQ(OleSetMenuDescriptor(descriptor, reinterpret_cast<HWND>(0x42), nullptr, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(OleSetMenuDescriptor(nullptr, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(OleDestroyMenuDescriptor(descriptor), S_OK);
  EXPECT_EQ(OleDestroyMenuDescriptor(descriptor), E_INVALIDARG);
  DestroyMenu(shared);
}

}  // namespace
