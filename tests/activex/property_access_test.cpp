// Reading and writing the control's properties by dispatch id, and the font conversions.
#include "framework/ole_graphics.h"
#include "tests/activex/host_fixture.h"

namespace host_test {
namespace {

using test_control::TestControl;

// An interface whose references a test counts.
struct Counted final : IUnknown {
  ULONG references = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    *object = riid == IID_IUnknown ? this : nullptr;
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
};

TEST_F(HostTest, ReadingIntoAUsedVariantReleasesWhatItHeld) {
  THost* host = MakeHost();
  Counted object;
  VARIANT value = Of(VT_UNKNOWN);
  value.punkVal = &object;
  object.AddRef();
  host->GetPropertyValue(test_control::kNumber, value);
  EXPECT_EQ(object.references, 1u);
  EXPECT_EQ(value.vt, VT_I4);

  VARIANT text = Text("old");
  host->GetVariantProperty(DISPID_CAPTION, text);  // the old string is freed (the sanitizer sees any leak)
  EXPECT_EQ(com::BstrToUtf8(text.bstrVal), "Host1");
  VariantClear(&text);
}

TEST_F(HostTest, WritesSendTheDocumentedTypesAndOnlyAPlainDispatchByReference) {
  THost* host = MakeHost();
  TestControl& control = Control();
  host->SetBoolProperty(DISPID_ENABLED, true);
  EXPECT_EQ(control.putTypes.back(), VT_BOOL);
  EXPECT_EQ(static_cast<std::uint16_t>(control.properties[DISPID_ENABLED].boolVal), 0xFFFF);
  host->SetIntegerProperty(test_control::kNumber, -5);
  EXPECT_EQ(control.putTypes.back(), VT_I4);
  EXPECT_EQ(host->GetIntegerProperty(test_control::kNumber), -5);
  host->SetStringProperty(test_control::kText, "Grüße");
  EXPECT_EQ(host->GetStringProperty(test_control::kText), "Grüße");

  TPicture picture;
  ComPtr<IPictureDisp> ole = GetOlePicture(picture);
  host->SetPictureDispProperty(test_control::kPicture, ole.Get());
  EXPECT_EQ(control.putFlags.back(), DISPATCH_PROPERTYPUTREF);
  IDispatch* pointer = ole.Get();
  VARIANT byReference = Of(VT_DISPATCH | VT_BYREF);
  byReference.ppdispVal = &pointer;
  host->SetOleVariantProperty(test_control::kPicture, byReference);
  EXPECT_EQ(control.putFlags.back(), DISPATCH_PROPERTYPUT);
  host->SetVariantProperty(test_control::kText, TVariant(AnsiString("eight-bit")));
  EXPECT_EQ(control.putTypes.back(), VT_BSTR);
  EXPECT_EQ(host->GetStringProperty(test_control::kText), "eight-bit");
  for (WORD flags : std::vector<WORD>(control.putFlags.begin(), control.putFlags.end() - 3))
    EXPECT_EQ(flags, DISPATCH_PROPERTYPUT);
}

TEST_F(HostTest, ReadsAnswerTheRawPayloadOrItsTextAndFailuresCarryTheControlsOwnWords) {
  THost* host = MakeHost();
  host->SetIntegerProperty(test_control::kNumber, 42);
  EXPECT_EQ(host->GetStringProperty(test_control::kNumber), "42");
  EXPECT_EQ(host->GetBoolProperty(DISPID_ENABLED), VARIANT_TRUE);
  try {
    host->GetIntegerProperty(test_control::kBusy);
    FAIL() << "no error from a control that raises";
  } catch (const EOleException& e) {
    EXPECT_STREQ(e.what(), "The control is busy");
    EXPECT_EQ(e.Source(), "TestControl");
    EXPECT_EQ(e.ErrorCode(), E_FAIL);
  }
  try {
    host->SetIntegerProperty(77, 1);
    FAIL() << "no error for a property the control does not have";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), DISP_E_MEMBERNOTFOUND);
    EXPECT_STREQ(e.what(), "Member not found.");
    EXPECT_EQ(dynamic_cast<const EOleException*>(&e), nullptr);
  }
  com::Variant dispatch = host->GetControlDispatch();
  EXPECT_EQ(dispatch->vt, VT_DISPATCH);
  EXPECT_EQ(dispatch->pdispVal, static_cast<IDispatch*>(&Control()));
}

TEST_F(HostTest, FontsGoToOleFontsAndBackWithoutTheirColour) {
  TFont font;
  font.Name = "DejaVu Sans";
  font.SetSize(14);
  font.Style = static_cast<int>(TFontStyle::fsItalic) | static_cast<int>(TFontStyle::fsStrikeOut);
  font.Charset = 0;
  VARIANT ole;
  VariantInit(&ole);
  FontToOleVariant(font, ole);
  ASSERT_EQ(ole.vt, VT_DISPATCH);
  TFont back;
  back.Color = clRed;
  OleVariantToFont(ole, back);
  EXPECT_EQ(back.Name, "DejaVu Sans");
  EXPECT_EQ(back.Size(), 14);
  EXPECT_EQ(back.Style, font.Style);
  EXPECT_EQ(back.Charset, 0);
  EXPECT_EQ(back.Color, clRed);
  VariantClear(&ole);
  EXPECT_THROW(OleVariantToFont(Long(3), back), EIntfCastError);

  THost::descriptor.StockFlags = StockFont | StockForeColor;
  THost* host = MakeHost();
  host->ConnectObject();  // pulls the control's bold 12-point Tahoma and its colour
  EXPECT_EQ(host->Font().Name, "Tahoma");
  EXPECT_EQ(host->Font().Size(), 12);
  EXPECT_EQ(host->Font().Style, static_cast<int>(TFontStyle::fsBold));
  EXPECT_EQ(host->Font().Color, 0x000080);
}

TEST_F(HostTest, PicturesAreCopiedIntoTheirSlotsAndWrittenAgainOnlyOnceHandedToTheControl) {
  static const DISPID pictureIds[] = {test_control::kPicture, 99};
  THost::descriptor.PictureSlotCount = 2;
  THost::descriptor.PictureIds = pictureIds;
  THost* host = MakeHost();
  TestControl& control = Control();
  host->ConnectObject();
  host->Pictures(1)->Changed();  // never handed to the control
  EXPECT_TRUE(control.putFlags.empty());

  TPicture picture;
  picture.Bitmap().SetSize(4, 3);
  host->SetPictureProperty(test_control::kPicture, picture);
  ASSERT_EQ(control.putFlags.size(), 1u);  // the slot of 99 is not written
  EXPECT_EQ(control.putFlags[0], DISPATCH_PROPERTYPUTREF);
  EXPECT_EQ(host->Pictures(0)->Width(), 4);
  EXPECT_EQ(host->Pictures(1)->Width(), 0);
  host->Pictures(0)->Changed();  // linked now: its change goes to the control
  EXPECT_EQ(control.putFlags.size(), 2u);
}

}  // namespace
}  // namespace host_test
