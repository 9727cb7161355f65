// The control as a COM object before any media: its registration, interfaces, defaults, property
// access by dispatch id with automation's coercion, persistence, and the calls that need media.
#include <gtest/gtest.h>

#include "platform/com/class_registry.h"
#include "platform/com/ole.h"
#include "platform/dshow/error_codes.h"
#include "platform/mediaplayer/registration.h"
#include "tests/mediaplayer/hosted_player.h"

namespace mediaplayer_test {
namespace {

com::Variant Bool(bool value) {
  com::Variant v;
  v->vt = VT_BOOL;
  v->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

com::Variant Long(LONG value) {
  com::Variant v;
  v->vt = VT_I4;
  v->lVal = value;
  return v;
}

com::Variant Text(const std::string& text) {
  com::Variant v;
  v->vt = VT_BSTR;
  v->bstrVal = com::AllocBstr(text);
  return v;
}

com::Variant Read(const HostedPlayer& host, DISPID id) {
  com::Variant value;
  EXPECT_EQ(host.GetProperty(id, value.Get()), S_OK) << "dispatch id " << id;
  return value;
}

TEST(PlayerRegistration, IsInTheClassesRootViewAsAnInstalledControl) {
  mediaplayer::RegisterClasses();
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{22D6F312-B0F6-11D0-94AB-0080C74C7E95}", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  char name[64] = {};
  DWORD size = sizeof name;
  EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<LPBYTE>(name), &size), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Windows Media Player");
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{22D6F312-B0F6-11D0-94AB-0080C74C7E95}\\InprocServer32", 0,
                          KEY_READ, &key),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST(PlayerObject, AnswersTheHostsInterfacesWithOneIdentity) {
  HostedPlayer host(false);
  ComPtr<IUnknown> identity = host.As<IUnknown>();
  for (const IID* iid : {&IID_IDispatch, &IID_IMediaPlayer, &IID_IOleObject, &IID_IOleInPlaceObject,
                         &IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IPersistStreamInit, &IID_IPersist,
                         &IID_IConnectionPointContainer, &IID_IMediaPlayerCompatibility}) {
    ComPtr<IUnknown> face;
    ASSERT_EQ(host.Object()->QueryInterface(*iid, face.PutVoid()), S_OK) << com::GuidToString(*iid);
    EXPECT_EQ(face.As<IUnknown>().Get(), identity.Get()) << com::GuidToString(*iid);
  }
  ComPtr<IUnknown> none;
  EXPECT_EQ(host.Object()->QueryInterface(IID_IViewObject, none.PutVoid()), E_NOINTERFACE);
  EXPECT_EQ(none.Get(), nullptr);
  // The dispatch interface is IMediaPlayer itself: a host may cast one to the other.
  ComPtr<IDispatch> dispatch = host.As<IDispatch>();
  EXPECT_EQ(static_cast<void*>(dispatch.Get()), static_cast<void*>(host.Player()));
}

TEST(PlayerObject, RefusesAggregation) {
  mediaplayer::RegisterClasses();
  ComPtr<IUnknown> object;
  TestSite outer;
  EXPECT_EQ(CoCreateInstance(CLSID_MediaPlayer, static_cast<IOleClientSite*>(&outer), CLSCTX_INPROC_SERVER,
                             IID_IUnknown, object.PutVoid()),
            CLASS_E_NOAGGREGATION);
}

TEST(PlayerProperties, StartWithTheDocumentedDefaults) {
  HostedPlayer host(false);
  EXPECT_EQ(Read(host, DISPID_MP_AUTOSTART)->boolVal, VARIANT_TRUE);
  EXPECT_EQ(Read(host, DISPID_MP_AUTOREWIND)->boolVal, VARIANT_TRUE);
  EXPECT_EQ(Read(host, DISPID_MP_SHOWCONTROLS)->boolVal, VARIANT_TRUE);
  EXPECT_EQ(Read(host, DISPID_MP_SENDERROREVENTS)->boolVal, VARIANT_TRUE);
  EXPECT_EQ(Read(host, DISPID_MP_SENDMOUSECLICKEVENTS)->boolVal, VARIANT_FALSE);
  EXPECT_EQ(Read(host, DISPID_MP_PLAYCOUNT)->lVal, 1);
  EXPECT_EQ(Read(host, DISPID_MP_VOLUME)->lVal, -600);
  EXPECT_EQ(Read(host, DISPID_MP_AUDIOSTREAM)->lVal, -1);
  EXPECT_EQ(Read(host, DISPID_MP_DISPLAYSIZE)->lVal, mpDefaultSize);
  EXPECT_EQ(Read(host, DISPID_MP_DISPLAYMODE)->lVal, mpTime);
  EXPECT_EQ(Read(host, DISPID_MP_RATE)->dblVal, 1.0);
  EXPECT_EQ(Read(host, DISPID_MP_OPENSTATE)->lVal, nsClosed);
  EXPECT_EQ(Read(host, DISPID_MP_PLAYSTATE)->lVal, mpClosed);
  EXPECT_EQ(Read(host, DISPID_MP_READYSTATE)->lVal, mpReadyStateUninitialized);
  EXPECT_EQ(Read(host, DISPID_MP_CURRENTPOSITION)->dblVal, -1.0);
  EXPECT_EQ(Read(host, DISPID_MP_DURATION)->dblVal, 0.0);
  EXPECT_EQ(Read(host, DISPID_MP_IMAGESOURCEWIDTH)->lVal, 0);
  EXPECT_EQ(Read(host, DISPID_MP_ERRORCODE)->lVal, 0);
  com::Variant text = Read(host, DISPID_MP_BASEURL);
  ASSERT_EQ(text->vt, VT_BSTR);
  EXPECT_EQ(SysStringLen(text->bstrVal), 0u);
}

TEST(PlayerProperties, PutsCoerceTheirArgumentsAsAutomationDoes) {
  HostedPlayer host(false);
  // A host writes booleans to the position and to stock and display properties before any media.
  for (DISPID id : {DISPID_MP_AUTOSIZE, DISPID_MP_CURRENTPOSITION, DISPID_MP_WINDOWLESSVIDEO, DISPID_MP_VIDEOBORDER3D})
    EXPECT_EQ(host.PutProperty(id, Bool(false).Get()), S_OK) << "dispatch id " << id;
  EXPECT_EQ(Read(host, DISPID_MP_AUTOSIZE)->boolVal, VARIANT_FALSE);
  EXPECT_EQ(Read(host, DISPID_MP_WINDOWLESSVIDEO)->boolVal, VARIANT_FALSE);

  EXPECT_EQ(host.PutProperty(DISPID_MP_VOLUME, Text(" -1200 ").Get()), S_OK);
  com::Variant volume = Read(host, DISPID_MP_VOLUME);
  EXPECT_EQ(volume->vt, VT_I4);
  EXPECT_EQ(volume->lVal, -1200);
  EXPECT_EQ(host.PutProperty(DISPID_MP_AUTOSTART, Long(0).Get()), S_OK);
  EXPECT_EQ(Read(host, DISPID_MP_AUTOSTART)->boolVal, VARIANT_FALSE);
  EXPECT_EQ(host.PutProperty(DISPID_MP_SHOWTRACKER, Text("False").Get()), S_OK);
  EXPECT_EQ(Read(host, DISPID_MP_SHOWTRACKER)->boolVal, VARIANT_FALSE);
  EXPECT_EQ(host.PutProperty(DISPID_MP_RATE, Long(2).Get()), S_OK);
  EXPECT_EQ(Read(host, DISPID_MP_RATE)->dblVal, 2.0);
  EXPECT_EQ(host.PutProperty(DISPID_MP_BASEURL, Long(7).Get()), S_OK);
  EXPECT_EQ(Read(host, DISPID_MP_BASEURL).Get().bstrVal, std::u16string(u"7"));
  // By reference, as some hosts pass arguments.
  LONG balance = 2500;
  com::Variant byRef;
  byRef->vt = VT_I4 | VT_BYREF;
  byRef->plVal = &balance;
  EXPECT_EQ(host.PutProperty(DISPID_MP_BALANCE, byRef.Get()), S_OK);
  byRef->vt = VT_EMPTY;  // not the variant's to free
  EXPECT_EQ(Read(host, DISPID_MP_BALANCE)->lVal, 2500);

  EXPECT_EQ(host.PutProperty(DISPID_MP_VOLUME, Text("loud").Get()), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Read(host, DISPID_MP_VOLUME)->lVal, -1200);
}

TEST(PlayerProperties, RefuseValuesOutOfRangeWithAnException) {
  HostedPlayer host(false);
  VARIANT argument = Long(5).Get();
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{&argument, &named, 1, 1};
  EXCEPINFO exception{};
  EXPECT_EQ(
      host->Invoke(DISPID_MP_VOLUME, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &parameters, nullptr, &exception, nullptr),
      DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, E_INVALIDARG);
  EXPECT_FALSE(com::BstrToUtf8(exception.bstrDescription).empty());
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  EXPECT_EQ(Read(host, DISPID_MP_VOLUME)->lVal, -600);

  EXPECT_EQ(host->put_DisplaySize(8), E_INVALIDARG);
  EXPECT_EQ(host->put_DisplayMode(2), E_INVALIDARG);
  EXPECT_EQ(host->put_PlayCount(-1), E_INVALIDARG);
  EXPECT_EQ(host->put_Rate(0), E_INVALIDARG);
  EXPECT_EQ(host->put_Balance(10001), E_INVALIDARG);
  EXPECT_EQ(host->put_AllowChangeDisplaySize(VARIANT_FALSE), S_OK);
  EXPECT_EQ(host->put_DisplaySize(mpFitToSize), E_ACCESSDENIED);
}

TEST(PlayerProperties, UnknownIdsAndReadOnlyPropertiesAreNotMembersToWrite) {
  HostedPlayer host(false);
  com::Variant value;
  EXPECT_EQ(host.GetProperty(4242, value.Get()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(host.PutProperty(4242, Long(1).Get()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(host.PutProperty(DISPID_MP_PLAYSTATE, Long(2).Get()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(host.PutProperty(DISPID_MP_DURATION, Long(2).Get()), DISP_E_MEMBERNOTFOUND);
  // A put needs its named argument.
  VARIANT argument = Long(1).Get();
  DISPPARAMS unnamed{&argument, nullptr, 1, 0};
  EXPECT_EQ(host->Invoke(DISPID_MP_PLAYCOUNT, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &unnamed, nullptr, nullptr, nullptr),
            DISP_E_PARAMNOTOPTIONAL);
  DISPID ids[1] = {};
  OLECHAR name[] = u"sendErrorEVENTS";
  LPOLESTR names[] = {name};
  EXPECT_EQ(host->GetIDsOfNames(GUID_NULL, names, 1, 0, ids), S_OK);
  EXPECT_EQ(ids[0], DISPID_MP_SENDERROREVENTS);
}

TEST(PlayerProperties, AnnounceChangesToThePropertySinkAndTheDisplayModeToTheEvents) {
  HostedPlayer host(false);
  host.Site().ChangedProperties().clear();
  EXPECT_EQ(host->put_Enabled(VARIANT_FALSE), S_OK);
  EXPECT_EQ(host->put_DisplayMode(mpFrames), S_OK);
  EXPECT_EQ(host->put_DisplayMode(mpFrames), S_OK);
  EXPECT_EQ(host.Site().ChangedProperties(),
            (std::vector<DISPID>{DISPID_MP_ENABLED, DISPID_MP_DISPLAYMODE, DISPID_MP_DISPLAYMODE}));
  EXPECT_EQ(host.Site().EventsOf(DISPID_MPE_DISPLAYMODECHANGE).size(), 1u);

  ComPtr<IOleControl> control = host.As<IOleControl>();
  EXPECT_EQ(control->FreezeEvents(TRUE), S_OK);
  EXPECT_EQ(host->put_DisplayMode(mpTime), S_OK);
  EXPECT_EQ(control->FreezeEvents(FALSE), S_OK);
  EXPECT_EQ(host.Site().EventsOf(DISPID_MPE_DISPLAYMODECHANGE).size(), 1u) << "events go nowhere while frozen";
}

TEST(PlayerPersistence, SavedSettingsLoadIntoAnotherControl) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 0);
  {
    HostedPlayer first(false);
    first->put_AutoStart(VARIANT_FALSE);
    first->put_Volume(-2000);
    first->put_Rate(1.5);
    com::Bstr url("http://example.invalid/");
    first->put_BaseURL(url.Get());
    ComPtr<IPersistStreamInit> persist = first.As<IPersistStreamInit>();
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(memory, FALSE, stream.Put()), S_OK);
    ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    ULARGE_INTEGER most{};
    EXPECT_EQ(persist->GetSizeMax(&most), S_OK);
    EXPECT_GE(most.QuadPart, GlobalSize(memory));
  }
  HostedPlayer second(false);
  ComPtr<IPersistStreamInit> persist = second.As<IPersistStreamInit>();
  ComPtr<IStream> stream;
  ASSERT_EQ(CreateStreamOnHGlobal(memory, FALSE, stream.Put()), S_OK);
  ASSERT_EQ(persist->Load(stream.Get()), S_OK);
  VARIANT_BOOL autoStart = VARIANT_TRUE;
  LONG volume = 0;
  double rate = 0;
  BSTR url = nullptr;
  second->get_AutoStart(&autoStart);
  second->get_Volume(&volume);
  second->get_Rate(&rate);
  second->get_BaseURL(&url);
  EXPECT_EQ(autoStart, VARIANT_FALSE);
  EXPECT_EQ(volume, -2000);
  EXPECT_EQ(rate, 1.5);
  EXPECT_EQ(com::BstrToUtf8(url), "http://example.invalid/");
  SysFreeString(url);
  GlobalFree(memory);
}

TEST(PlayerPersistence, DamagedStateIsRefusedAndChangesNothing) {
  HostedPlayer host(false);
  host->put_Volume(-3000);
  ComPtr<IPersistStreamInit> persist = host.As<IPersistStreamInit>();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 0);
  {
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(memory, FALSE, stream.Put()), S_OK);
    ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
  }
  host->put_Volume(-100);
  const SIZE_T whole = GlobalSize(memory);
  // Cut short: the records end early.
  HGLOBAL cut = GlobalAlloc(GMEM_MOVEABLE, whole - 3);
  std::memcpy(GlobalLock(cut), GlobalLock(memory), whole - 3);
  GlobalUnlock(cut);
  GlobalUnlock(memory);
  ComPtr<IStream> stream;
  ASSERT_EQ(CreateStreamOnHGlobal(cut, TRUE, stream.Put()), S_OK);
  EXPECT_TRUE(FAILED(persist->Load(stream.Get())));
  // Not ours at all.
  HGLOBAL foreign = GlobalAlloc(GMEM_MOVEABLE, 16);
  std::memset(GlobalLock(foreign), 0x5A, 16);
  GlobalUnlock(foreign);
  ASSERT_EQ(CreateStreamOnHGlobal(foreign, TRUE, stream.Put()), S_OK);
  EXPECT_TRUE(FAILED(persist->Load(stream.Get())));
  LONG volume = 0;
  host->get_Volume(&volume);
  EXPECT_EQ(volume, -100);
  GlobalFree(memory);
}

TEST(PlayerMethods, NeedMediaToPlayAndDoNothingWithoutIt) {
  HostedPlayer host(false);
  EXPECT_EQ(host->Play(), VFW_E_WRONG_STATE);
  EXPECT_EQ(host->Pause(), S_OK);
  EXPECT_EQ(host->Stop(), S_OK);
  EXPECT_EQ(host->Cancel(), S_OK);
  EXPECT_EQ(host->Open(nullptr), E_INVALIDARG);
  EXPECT_EQ(host->put_SelectionStart(1.0), VFW_E_WRONG_STATE);
  ComPtr<IMediaPlayerCompatibility> compatibility = host.As<IMediaPlayerCompatibility>();
  IUnknown* graph = reinterpret_cast<IUnknown*>(1);
  EXPECT_EQ(compatibility->get_FilterGraph(&graph), S_FALSE);
  EXPECT_EQ(graph, nullptr);
  EXPECT_EQ(host.PlayState(), mpClosed);
}

}  // namespace
}  // namespace mediaplayer_test
