// The framework pieces that hosted controls lean on: OLE errors, variant conversions, binary
// properties in layouts, completion after creation, dialog keys, reflected notifications and
// document activation.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>

#include "framework/class_registry.h"
#include "framework/filer.h"
#include "framework/forms.h"
#include "framework/layout_reader.h"
#include "framework/layout_value.h"
#include "framework/ole_errors.h"
#include "framework/variants.h"

namespace {

TEST(OleErrors, CarryTheSystemsTextOrTheCodeAndTheAutomationExceptionsDescription) {
  EXPECT_STREQ(EOleSysError(E_NOINTERFACE).what(), "No such interface supported");
  EXPECT_STREQ(EOleSysError(E_INVALIDARG).what(), "The parameter is incorrect.");  // a Win32 error as status
  EXPECT_STREQ(EOleSysError(static_cast<HRESULT>(0x8004ABCD)).what(), "OLE error 8004abcd");
  EXPECT_EQ(OleCheck(S_FALSE), S_FALSE);
  EXPECT_THROW(OleCheck(E_FAIL), EOleSysError);

  EXCEPINFO info{};
  info.bstrDescription = com::AllocBstr("File not found.  ");
  info.bstrSource = com::AllocBstr("Player");
  info.scode = static_cast<HRESULT>(0x80070002);
  const EOleException e = TakeOleException(info);
  EXPECT_STREQ(e.what(), "File not found");
  EXPECT_EQ(e.Source(), "Player");
  EXPECT_EQ(e.ErrorCode(), static_cast<HRESULT>(0x80070002));
  EXPECT_EQ(info.bstrDescription, nullptr);  // taken, to be freed once
  EXCEPINFO empty{};
  EXPECT_STREQ(TakeOleException(empty).what(), "Exception occurred.");
}

VARIANT Of(VARTYPE type) {
  VARIANT v;
  VariantInit(&v);
  v.vt = type;
  return v;
}

TEST(Variants, ConvertNumbersBooleansAndNumericStringsAndRefuseTheRest) {
  VARIANT number = Of(VT_R8);
  number.dblVal = 2.5;
  EXPECT_EQ(VarToInteger(number), 2);  // halves to even
  number.dblVal = 3.5;
  EXPECT_EQ(VarToInteger(number), 4);
  VARIANT flag = Of(VT_BOOL);
  flag.boolVal = VARIANT_TRUE;
  EXPECT_EQ(VarToInteger(flag), -1);
  EXPECT_EQ(VarToString(flag), "True");
  SHORT small = 12;
  VARIANT reference = Of(VT_I2 | VT_BYREF);
  reference.piVal = &small;
  EXPECT_EQ(VarToInteger(reference), 12);
  com::Variant text;
  text->vt = VT_BSTR;
  text->bstrVal = com::AllocBstr(" 42");
  EXPECT_EQ(VarToInteger(text.Get()), 42);
  SysFreeString(text->bstrVal);
  text->bstrVal = com::AllocBstr("forty-two");
  EXPECT_THROW(VarToInteger(text.Get()), EVariantError);
  number.dblVal = 1e12;
  EXPECT_THROW(VarToInteger(number), EVariantError);
  EXPECT_EQ(VarToInteger(Of(VT_EMPTY)), 0);
  EXPECT_THROW(VarToInteger(Of(VT_NULL)), EVariantError);
  EXPECT_THROW(VarToString(Of(VT_DISPATCH)), EVariantError);
  VARIANT converted = Of(VT_EMPTY);
  TVariant(AnsiString("zwölf")).ToOle(converted);
  EXPECT_EQ(converted.vt, VT_BSTR);
  EXPECT_EQ(VarToString(converted), "zwölf");
  VariantClear(&converted);
}

// A component with one binary property and a completion step.
class TFiledThing : public TComponent {
 public:
  using TComponent::TComponent;
  std::vector<unsigned char> data;
  bool completed = false;
  void AfterCreation() override { completed = true; }
  void DefineProperties(TFiler& filer) override {
    filer.DefineBinaryProperty(
        "Data",
        [this](TStream& stream) {
          data.resize(static_cast<std::size_t>(stream.Size()));
          stream.ReadBuffer(data.data(), static_cast<long>(data.size()));
        },
        [this](TStream& stream) { stream.WriteBuffer(data.data(), static_cast<long>(data.size())); }, !data.empty());
  }
};

class TFiledForm : public TForm {
 public:
  using TForm::TForm;
};

TEST(BinaryProperties, AreReadFromHexInLayoutsAndWrittenBackAlike) {
  RegisterComponentClass<TFiledThing>("TFiledThing");
  TComponentPtr<TFiledForm> form = MakeComponent<TFiledForm>(nullptr);
  ReadLayoutText(*form, "Form: TFiledForm {\n  Thing: TFiledThing {\n    Data = {\n      00ff7A\n      10 }\n  }\n}\n",
                 "test");
  auto* thing = dynamic_cast<TFiledThing*>(form->FindComponent("Thing"));
  ASSERT_NE(thing, nullptr);
  EXPECT_TRUE(thing->completed);
  EXPECT_EQ(thing->data, (std::vector<unsigned char>{0x00, 0xFF, 0x7A, 0x10}));
  EXPECT_EQ(FormatBinaryProperties(*thing, ""), "Data = {\n  00FF7A10\n}\n");

  for (const char* broken : {"Form: TFiledForm {\n Thing: TFiledThing {\n Data = { 0F0 }\n }\n}\n",
                             "Form: TFiledForm {\n Thing: TFiledThing {\n Data = { 0G }\n }\n}\n",
                             "Form: TFiledForm {\n Thing: TFiledThing {\n Other = { 00 }\n }\n}\n",
                             "Form: TFiledForm {\n Thing: TFiledThing {\n Data = { 00\n"}) {
    TComponentPtr<TFiledForm> other = MakeComponent<TFiledForm>(nullptr);
    EXPECT_THROW(ReadLayoutText(*other, broken, "broken"), ELayoutError) << broken;
  }
  EXPECT_TRUE(MakeComponent<TFiledThing>(nullptr)->completed);
}

// Takes dialog keys it is asked about, and answers WM_GETDLGCODE as told.
class TKeyTaker : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::vector<WPARAM> dialogKeys;
  LRESULT wants = 0;
  bool takes = true;
  std::vector<UINT> reflected;

 protected:
  void Dispatch(TMessage& message) override {
    if (message.Msg == WM_GETDLGCODE) {
      message.Result = wants;
      return;
    }
    if (message.Msg >= CN_BASE && message.Msg != CN_KEYDOWN && message.Msg <= 0xBFFF) reflected.push_back(message.Msg);
    TWinControl::Dispatch(message);
  }
  void CMDialogKey(TMessage& message) override {
    dialogKeys.push_back(message.WParam);
    message.Result = takes ? 1 : 0;
  }
};

TEST(DialogKeys, ANavigationKeyTheWindowDoesNotClaimGoesToTheFormsControlsFirst) {
  TComponentPtr<TForm> form = MakeComponent<TForm>(nullptr);
  auto* focused = form->CreateComponent<TKeyTaker>();
  focused->SetParent(form.get());
  auto* other = form->CreateComponent<TKeyTaker>();
  other->SetParent(form.get());
  focused->takes = false;
  bool keyDown = false;
  focused->OnKeyDown = [&](TObject*, WORD&, TShiftState) { keyDown = true; };
  form->HandleNeeded();

  SendMessageA(focused->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(focused->dialogKeys, std::vector<WPARAM>{VK_RETURN});
  EXPECT_EQ(other->dialogKeys, std::vector<WPARAM>{VK_RETURN});
  EXPECT_FALSE(keyDown);  // taken by the other control

  SendMessageA(focused->Handle(), WM_KEYDOWN, 'A', 0);  // no navigation key
  EXPECT_TRUE(keyDown);
  focused->wants = DLGC_WANTARROWS;
  SendMessageA(focused->Handle(), WM_KEYDOWN, VK_LEFT, 0);  // claimed by the window itself
  EXPECT_EQ(other->dialogKeys.size(), 1u);

  SendMessageA(form->Handle(), WM_COMMAND, 7, reinterpret_cast<LPARAM>(other->Handle()));
  EXPECT_EQ(other->reflected, std::vector<UINT>{CN_BASE + WM_COMMAND});
}

class TActivationListener : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::vector<WPARAM> seen;

 protected:
  void Dispatch(TMessage& message) override {
    if (message.Msg == CM_HOSTDOCACTIVATE) seen.push_back(message.WParam);
    TWinControl::Dispatch(message);
  }
};

TEST(DocumentActivation, GoesToTheFormsUIActiveHostedControlWhenTheFormsWindowIsActivated) {
  TComponentPtr<TForm> form = MakeComponent<TForm>(nullptr);
  auto* hosted = form->CreateComponent<TActivationListener>();
  hosted->SetParent(form.get());
  form->HandleNeeded();
  QEvent activate(QEvent::WindowActivate);
  QCoreApplication::sendEvent(form->Widget(), &activate);
  EXPECT_TRUE(hosted->seen.empty());  // not UI-active
  form->SetUIActiveHostedControl(hosted);
  QCoreApplication::sendEvent(form->Widget(), &activate);
  QEvent deactivate(QEvent::WindowDeactivate);
  QCoreApplication::sendEvent(form->Widget(), &deactivate);
  EXPECT_EQ(hosted->seen, (std::vector<WPARAM>{1, 0}));
  EXPECT_EQ(GetParentForm(hosted), form.get());
  form->SetUIActiveHostedControl(nullptr);
}

}  // namespace
