// Creating, siting, connecting, persisting and destroying the hosted control, with balanced
// references, and the host's answers as the control's site.
#include "framework/class_registry.h"
#include "framework/component_reference.h"
#include "framework/filer.h"
#include "framework/layout_reader.h"
#include "tests/activex/host_fixture.h"

namespace host_test {
namespace {

using test_control::Behaviour;
using test_control::TestControl;

void Destroy(TOleControl2* host) { TComponentDeleter()(host); }

TEST_F(HostTest, TheControlIsReleasedBackToItsOwnReferencesWhenTheHostGoes) {
  THost::descriptor.StockFlags = StockEnabled;
  THost* host = MakeHost();
  TestControl& control = Control();
  control.AddRef();  // the test's own
  form->Show();
  ASSERT_TRUE(host->Connected());
  EXPECT_EQ(host->Handle(), control.window);
  EXPECT_NE(host->EventSinkCookie(), 0u);
  EXPECT_NE(host->PropertySinkCookie(), 0u);
  EXPECT_GT(host->ReferenceCount(), 0);  // the control holds the site and both sinks
  control.Fire(kMeasureEvent, {Double(1.0), Long(2)});

  host->DisconnectObject();
  EXPECT_FALSE(control.events.HasSinks());
  EXPECT_FALSE(control.changes.HasSinks());
  Destroy(host);
  EXPECT_EQ(control.references, 1u);
  EXPECT_TRUE(control.Called("Close(1)"));
  EXPECT_EQ(control.calls.back(), "SetClientSite(null)");
  control.Release();
}

TEST_F(HostTest, TheClientSiteIsGivenDuringCreationOnlyWhenAskedFirstOrForcedAndNeverWhenForbidden) {
  struct Case {
    DWORD misc;
    std::uint32_t siteFlags;
    bool given;
  } cases[] = {{0, 0, false},
               {OLEMISC_SETCLIENTSITEFIRST, 0, true},
               {0, SiteGivenFirst, true},
               {OLEMISC_SETCLIENTSITEFIRST, SiteGivenFirst | SiteNeverFirst, false}};
  for (const Case& c : cases) {
    THost::descriptor.SiteFlags = c.siteFlags;
    Behaviour behaviour;
    behaviour.miscStatus = c.misc;
    TestControl::next = behaviour;
    TComponentPtr<THost> host = MakeComponent<THost>(nullptr);
    EXPECT_EQ(Control().Called("SetClientSite"), c.given) << c.misc << " " << c.siteFlags;
    EXPECT_EQ(THost::descriptor.LiveInstances, 1);
  }
}

TEST_F(HostTest, CreationFailuresRaiseTheStatusAndLeaveNothingBehind) {
  {
    com::ScopedClassRemoval unregistered(test_control::CLSID_TestControl);
    try {
      MakeComponent<THost>(nullptr);
      FAIL() << "created an unregistered control";
    } catch (const EOleSysError& e) {
      EXPECT_EQ(e.ErrorCode(), REGDB_E_CLASSNOTREG);
      EXPECT_STREQ(e.what(), "Class not registered");
    }
  }
  Behaviour cannotBeStored;
  cannotBeStored.persists = false;
  TestControl::next = cannotBeStored;
  try {
    MakeComponent<THost>(nullptr);
    FAIL() << "hosted a control without IPersistStreamInit";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), E_NOINTERFACE);
  }
  EXPECT_EQ(TestControl::last, nullptr);  // created, then released again
  EXPECT_EQ(THost::descriptor.LiveInstances, 0);
}

TEST_F(HostTest, TheLastInstanceFreesTheClassesPropertyDescriptions) {
  TComponentPtr<THost> first = MakeComponent<THost>(nullptr);
  TComponentPtr<THost> second = MakeComponent<THost>(nullptr);
  EXPECT_EQ(THost::descriptor.LiveInstances, 2);
  THost::descriptor.PropertyDescriptions.push_back(std::make_unique<TObject>());
  first.reset();
  EXPECT_EQ(THost::descriptor.PropertyDescriptions.size(), 1u);
  second.reset();
  EXPECT_TRUE(THost::descriptor.PropertyDescriptions.empty());
}

TEST_F(HostTest, APropertyAccessBeforeTheWindowExistsConnectsTheControlOnce) {
  THost* host = MakeHost();
  TestControl& control = Control();
  EXPECT_FALSE(host->Connected());
  host->SetIntegerProperty(test_control::kNumber, 42);
  EXPECT_FALSE(host->HandleAllocated());
  EXPECT_TRUE(host->Connected());
  EXPECT_TRUE(control.Called("SetClientSite"));
  EXPECT_TRUE(control.Called("InitNew"));
  EXPECT_TRUE(control.Called("OnAmbientPropertyChange(-1)"));
  EXPECT_TRUE(control.events.HasSinks());
  EXPECT_EQ(host->GetIntegerProperty(test_control::kNumber), 42);
  host->ConnectObject();
  EXPECT_EQ(std::count(control.calls.begin(), control.calls.end(), "InitNew"), 1);
}

TEST_F(HostTest, AControlWithoutConnectionPointsIsConnectedWithoutSinks) {
  Behaviour behaviour;
  behaviour.hasPoints = false;
  THost* host = MakeHost(behaviour);
  host->ConnectObject();
  EXPECT_TRUE(host->Connected());
  EXPECT_EQ(host->EventSinkCookie(), 0u);
  EXPECT_EQ(host->PropertySinkCookie(), 0u);
}

TEST_F(HostTest, WithoutStockFlagsNothingIsExchangedWithTheControl) {
  THost* host = MakeHost();
  TestControl& control = Control();
  form->Show();
  host->SetEnabled(false);
  host->SetColor(clRed);
  TFont font = host->Font();
  font.Color = clBlue;
  host->SetFont(font);
  EXPECT_TRUE(control.putFlags.empty());
  control.SetProperty(DISPID_ENABLED, Long(0));  // told to the host, which does not take it
  EXPECT_FALSE(host->Enabled());
  host->SetEnabled(true);
  control.SetProperty(DISPID_ENABLED, Long(0));
  EXPECT_TRUE(host->Enabled());
}

TEST_F(HostTest, TheEnabledStateIsExchangedBothWaysWithoutEcho) {
  THost::descriptor.StockFlags = StockEnabled;
  THost* host = MakeHost();
  TestControl& control = Control();
  control.properties[DISPID_ENABLED] = Boolean(false);
  form->Show();
  EXPECT_FALSE(host->Enabled());  // pulled on connection
  EXPECT_TRUE(control.putFlags.empty());

  host->SetEnabled(true);
  ASSERT_EQ(control.putTypes.size(), 1u);
  EXPECT_EQ(control.putTypes[0], VT_BOOL);
  EXPECT_EQ(control.putFlags[0], DISPATCH_PROPERTYPUT);
  EXPECT_EQ(control.properties[DISPID_ENABLED].boolVal, VARIANT_TRUE);
  // The control told the host of the change; the host did not write it back.
  EXPECT_EQ(control.putFlags.size(), 1u);

  host->SetEnabled(false);
  EXPECT_EQ(control.properties[DISPID_ENABLED].boolVal, 0);
  control.SetProperty(DISPID_ENABLED, Boolean(true));
  EXPECT_TRUE(host->Enabled());
  EXPECT_EQ(control.putFlags.size(), 2u);
}

std::vector<unsigned char> ControlData(TComponent& host) {
  for (auto& [name, bytes] : WriteBinaryProperties(host))
    if (name == "ControlData") return bytes;
  return {};
}

std::vector<unsigned char> StateBytes(LONG number, const std::string& text) {
  std::vector<unsigned char> bytes{'T', 'C'};
  auto append = [&](const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    bytes.insert(bytes.end(), p, p + size);
  };
  const ULONG length = static_cast<ULONG>(text.size());
  append(&number, sizeof number);
  append(&length, sizeof length);
  append(text.data(), text.size());
  return bytes;
}

TEST_F(HostTest, ControlDataWaitsUntilConnectionAndIsThenTheControlsCurrentState) {
  THost* host = MakeHost();
  TestControl& control = Control();
  const std::vector<unsigned char> stored = StateBytes(7, "seven");
  ASSERT_TRUE(ReadBinaryProperty(*host, "ControlData", stored));
  // Not yet given to the control: written as it was read, twice alike.
  EXPECT_EQ(ControlData(*host), stored);
  EXPECT_EQ(ControlData(*host), stored);
  EXPECT_FALSE(control.Called("Save"));

  EXPECT_EQ(host->GetStringProperty(test_control::kText), "seven");
  EXPECT_TRUE(control.Called("Load"));
  EXPECT_FALSE(control.Called("InitNew"));
  host->SetIntegerProperty(test_control::kNumber, 8);
  EXPECT_EQ(ControlData(*host), StateBytes(8, "seven"));
  EXPECT_TRUE(control.Called("Save"));
}

TEST_F(HostTest, AStateTheControlRefusesToLoadFailsTheConnectionEveryTimeAndLeavesItUndone) {
  Behaviour behaviour;
  behaviour.refusesLoad = true;
  THost* host = MakeHost(behaviour);
  TestControl& control = Control();
  ReadBinaryProperty(*host, "ControlData", StateBytes(1, "x"));
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      host->GetIntegerProperty(test_control::kNumber);
      FAIL() << "connected with a state the control refused";
    } catch (const EOleSysError& e) {
      EXPECT_EQ(e.ErrorCode(), test_control::kRefusedState);
      EXPECT_STREQ(e.what(), "OLE error 80041234");
    }
    EXPECT_FALSE(host->Connected());
    EXPECT_FALSE(control.events.HasSinks());
  }
  EXPECT_EQ(ControlData(*host), StateBytes(1, "x"));  // kept, not lost
}

TEST_F(HostTest, AControlDataThatCannotBeSavedFailsTheWriterExceptWhileDesigning) {
  Behaviour behaviour;
  behaviour.refusesSave = true;
  THost* host = MakeHost(behaviour);
  host->ConnectObject();
  EXPECT_THROW(WriteBinaryProperties(*host), EOleSysError);
  host->SetDesigning(true);
  EXPECT_TRUE(ControlData(*host).empty());
}

TEST_F(HostTest, ControlDataGoesThroughAStoredLayoutIntoAnotherHost) {
  RegisterComponentClass<THost>("THost");
  THost* first = MakeHost();
  first->SetName("Player");
  first->SetIntegerProperty(test_control::kNumber, 99);
  first->SetStringProperty(test_control::kText, "ninety-nine");
  const AnsiString layout = "Form2: TForm {\n  Player: THost {\n" + FormatBinaryProperties(*first, "    ") + "  }\n}\n";

  TComponentPtr<TForm> other = MakeComponent<TForm>(nullptr);
  ReadLayoutText(*other, layout, "test layout");
  auto* second = dynamic_cast<THost*>(other->FindComponent("Player"));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetIntegerProperty(test_control::kNumber), 99);
  EXPECT_EQ(second->GetStringProperty(test_control::kText), "ninety-nine");
}

TEST_F(HostTest, RenamingChangesTheControlsCaptionOnlyWhileItStillIsTheOldName) {
  THost::descriptor.StockFlags = StockCaption;
  THost* host = MakeHost();
  host->SetName("Host1");  // the control's caption is "Host1"
  host->ConnectObject();
  host->SetName("Player");
  EXPECT_EQ(host->GetStringProperty(DISPID_CAPTION), "Player");
  EXPECT_TRUE(Control().Called("OnAmbientPropertyChange(-702)"));
  host->SetStringProperty(DISPID_CAPTION, "Something else");
  host->SetName("Renamed");
  EXPECT_EQ(host->GetStringProperty(DISPID_CAPTION), "Something else");
}

class AmbientTest : public HostTest {
 protected:
  HRESULT Ambient(DISPID id, VARIANT& result, WORD flags = DISPATCH_PROPERTYGET) {
    ComPtr<IDispatch> ambient;
    host->Unknown()->QueryInterface(IID_IDispatch, ambient.PutVoid());
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VariantInit(&result);
    return ambient->Invoke(id, GUID_NULL, 0, flags, &none, &result, nullptr, nullptr);
  }
  THost* host = nullptr;
};

TEST_F(AmbientTest, AnswersTheListedIdsAndNoOthers) {
  host = MakeHost();
  const LONG held = host->ReferenceCount();
  host->SetName("Player");
  host->SetColor(clRed);
  VARIANT result;
  EXPECT_EQ(Ambient(DISPID_AMBIENT_BACKCOLOR, result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, clRed);
  EXPECT_EQ(Ambient(DISPID_AMBIENT_DISPLAYNAME, result), S_OK);
  EXPECT_EQ(com::BstrToUtf8(result.bstrVal), "Player");
  VariantClear(&result);
  EXPECT_EQ(Ambient(DISPID_AMBIENT_FONT, result), S_OK);
  TFont font;
  OleVariantToFont(result, font);
  EXPECT_EQ(font.Name, form->Font().Name);  // the parent's font while ParentFont is set
  VariantClear(&result);
  EXPECT_EQ(Ambient(DISPID_AMBIENT_LOCALEID, result), S_OK);
  EXPECT_EQ(static_cast<LCID>(result.lVal), GetUserDefaultLCID());
  struct Flag {
    DISPID id;
    bool value;
  } flags[] = {{DISPID_AMBIENT_MESSAGEREFLECT, true}, {DISPID_AMBIENT_USERMODE, true},
               {DISPID_AMBIENT_UIDEAD, false},        {DISPID_AMBIENT_SHOWGRABHANDLES, false},
               {DISPID_AMBIENT_SHOWHATCHING, false},  {DISPID_AMBIENT_SUPPORTSMNEMONICS, true},
               {DISPID_AMBIENT_AUTOCLIP, true}};
  for (const Flag& flag : flags) {
    EXPECT_EQ(Ambient(flag.id, result), S_OK) << flag.id;
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, flag.value ? VARIANT_TRUE : VARIANT_FALSE) << flag.id;
  }
  for (DISPID missing : {-700, -707, -708, -713, -716, 0, 5})
    EXPECT_EQ(Ambient(missing, result), DISP_E_MEMBERNOTFOUND) << missing;
  EXPECT_EQ(Ambient(DISPID_AMBIENT_USERMODE, result, DISPATCH_METHOD), DISP_E_MEMBERNOTFOUND);

  host->SetDesigning(true);
  Ambient(DISPID_AMBIENT_USERMODE, result);
  EXPECT_EQ(result.boolVal, VARIANT_FALSE);
  Ambient(DISPID_AMBIENT_UIDEAD, result);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
  EXPECT_EQ(host->ReferenceCount(), held);
}

TEST_F(HostTest, TheSiteAnswersItsInterfacesAsOneObjectAndClearsWhatItDoesNotGive) {
  THost* host = MakeHost();
  IUnknown* site = host->Unknown();
  const LONG held = host->ReferenceCount();  // the control's reference to its client site
  for (const IID* iid :
       {&IID_IUnknown, &IID_ISimpleFrameSite, &IID_IPropertyNotifySink, &IID_IDispatch, &IID_IOleInPlaceFrame,
        &IID_IOleInPlaceSite, &IID_IOleControlSite, &IID_IOleClientSite, &IID_IComponentReference}) {
    ComPtr<IUnknown> answer;
    EXPECT_EQ(site->QueryInterface(*iid, answer.PutVoid()), S_OK) << com::GuidToString(*iid);
    ComPtr<IUnknown> identity = answer.As<IUnknown>();
    EXPECT_EQ(identity.Get(), site);
  }
  void* nothing = reinterpret_cast<void*>(1);
  for (const IID* iid : {&IID_IOleWindow, &IID_IOleInPlaceUIWindow, &IID_IOleObject, &IID_IConnectionPointContainer}) {
    EXPECT_EQ(site->QueryInterface(*iid, &nothing), E_NOINTERFACE);
    EXPECT_EQ(nothing, nullptr);
  }
  EXPECT_EQ(site->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(host->ReferenceCount(), held);

  ComPtr<IComponentReference> reference;
  site->QueryInterface(IID_IComponentReference, reference.PutVoid());
  EXPECT_EQ(reference->GetComponent(), host);

  ComPtr<IOleClientSite> client;
  site->QueryInterface(IID_IOleClientSite, client.PutVoid());
  IMoniker* moniker = reinterpret_cast<IMoniker*>(1);
  EXPECT_EQ(client->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, &moniker), E_NOTIMPL);
  EXPECT_EQ(moniker, nullptr);
  IOleContainer* container = reinterpret_cast<IOleContainer*>(1);
  EXPECT_EQ(client->GetContainer(&container), E_NOINTERFACE);
  EXPECT_EQ(container, nullptr);

  ComPtr<IOleControlSite> control;
  site->QueryInterface(IID_IOleControlSite, control.PutVoid());
  IDispatch* extended = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(control->GetExtendedControl(&extended), E_NOTIMPL);
  EXPECT_EQ(extended, nullptr);
  EXPECT_EQ(control->TransformCoords(nullptr, nullptr, 0), E_POINTER);
}

TEST_F(HostTest, TransformCoordsConvertsBetweenHimetricAndPixelsEitherWay) {
  THost* host = MakeHost();
  ComPtr<IOleControlSite> site;
  host->Unknown()->QueryInterface(IID_IOleControlSite, site.PutVoid());
  POINTL himetric{2540, 1270};
  POINTF container{0, 0};
  EXPECT_EQ(site->TransformCoords(&himetric, &container, XFORMCOORDS_POSITION | XFORMCOORDS_HIMETRICTOCONTAINER), S_OK);
  EXPECT_FLOAT_EQ(container.x, 96.0f);
  EXPECT_FLOAT_EQ(container.y, 48.0f);
  container = POINTF{1.0f, 2.0f};  // 26.46 and 52.92 HIMETRIC
  EXPECT_EQ(site->TransformCoords(&himetric, &container, XFORMCOORDS_SIZE | XFORMCOORDS_CONTAINERTOHIMETRIC), S_OK);
  EXPECT_EQ(himetric.x, 26);
  EXPECT_EQ(himetric.y, 53);
}

}  // namespace
}  // namespace host_test
