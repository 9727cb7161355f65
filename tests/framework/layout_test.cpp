// Stored layouts: components, properties and handlers bound by name; broken layouts fail loudly.
#include <gtest/gtest.h>

#include "framework/forms.h"
#include "framework/layout_reader.h"
#include "framework/layout_value.h"
#include "framework/open_dialog.h"
#include "framework/skin/sdirectoryedit.h"
#include "framework/stdctrls.h"
#include "platform/win32/places.h"

namespace {

class TProbeForm : public TForm {
 public:
  explicit TProbeForm(TComponent* owner) : TForm(owner) {}
  TLabel* Label1 = nullptr;
  TGroupBox* Box1 = nullptr;
  TLabel* Inner = nullptr;
  int clicks = 0;
  bool closeAnswer = true;
  void Label1Click(TObject*) { ++clicks; }
  void FormCloseQuery(TObject*, bool& canClose) { canClose = closeAnswer; }
  void DeclarePublished(TPublishedTable& t) override {
    t.Field("Label1", Label1);
    t.Field("Box1", Box1);
    t.Field("Inner", Inner);
    t.Method("Label1Click", this, &TProbeForm::Label1Click);
    t.Method("FormCloseQuery", this, &TProbeForm::FormCloseQuery);
  }
};

std::string ErrorOf(const std::string& text) {
  auto form = MakeComponent<TProbeForm>(nullptr);
  try {
    ReadLayoutText(*form, text, "PROBE");
  } catch (const ELayoutError& e) {
    return e.what();
  }
  return "";
}

TEST(Layout, BuildsComponentsWithTheirPropertiesParentsFieldsAndHandlers) {
  auto form = MakeComponent<TProbeForm>(nullptr);
  ReadLayoutText(*form, R"(
    # a comment
    Probe: TProbeForm {
      Caption = "Say \"hi\" \\ bye"
      ClientSize = 300, 200
      Tag = -5
      OnCloseQuery = FormCloseQuery
      Label1: TLabel {
        Left = 3
        Top = 4
        Caption = "One"
        OnClick = Label1Click
      }
      Box1: TGroupBox {
        Bounds = 10, 20, 100,
                 50
        Inner: TLabel { Caption = "In" }
      }
      Dialog1: TOpenDialog {
        Filter = "Text", "*.txt;*.TXT", "All", "*.*"
        Options = ofAllowMultiSelect
      }
      Folder: TsDirectoryEdit { Text = path "C:\\" }
    })",
                 "PROBE");
  EXPECT_EQ(form->Name(), "Probe");
  EXPECT_EQ(form->Caption(), "Say \"hi\" \\ bye");
  EXPECT_EQ(form->Width(), 300);
  EXPECT_EQ(form->Tag(), -5);
  ASSERT_TRUE(form->Label1 && form->Box1 && form->Inner);
  EXPECT_EQ(form->Label1->Parent(), form.get());
  EXPECT_EQ(form->Inner->Parent(), form->Box1);
  EXPECT_EQ(form->Inner->Owner(), form.get());
  EXPECT_EQ(form->Box1->Height(), 50);
  form->Label1->Click();
  EXPECT_EQ(form->clicks, 1);
  form->closeAnswer = false;
  EXPECT_FALSE(form->CloseQuery());

  auto* dialog = dynamic_cast<TOpenDialog*>(form->FindComponent("Dialog1"));
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->Filter, "Text|*.txt;*.TXT|All|*.*");
  EXPECT_EQ(dialog->Options, ofAllowMultiSelect);
  auto* folder = dynamic_cast<TsDirectoryEdit*>(form->FindComponent("Folder"));
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->Text(), win32::DefaultRoot());  // the drive root is this platform's
}

TEST(Layout, AHandlerThatDoesNotExistFailsWithItsNameAndTheClass) {
  const std::string error = ErrorOf("Probe: TProbeForm {\n Label1: TLabel {\n OnClick = Label1Clik\n }\n}");
  EXPECT_NE(error.find("Label1Clik"), std::string::npos) << error;
  EXPECT_NE(error.find("TProbeForm"), std::string::npos) << error;
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
  // a method of the wrong signature is no handler for the event either
  EXPECT_NE(ErrorOf("Probe: TProbeForm { OnShow = FormCloseQuery }").find("does not fit"), std::string::npos);
}

TEST(Layout, UnknownClassesPropertiesWrongFieldTypesAndBadTextFail) {
  EXPECT_NE(ErrorOf("Probe: TProbeForm { X: TNoSuchThing { } }").find("class TNoSuchThing not found"),
            std::string::npos);
  EXPECT_NE(ErrorOf("Probe: TProbeForm { Label1: TLabel { Colour = 5 } }").find("Colour does not exist in TLabel"),
            std::string::npos);
  EXPECT_NE(ErrorOf("Probe: TProbeForm { Label1: TGroupBox { } }").find("does not hold a TGroupBox"),
            std::string::npos);
  EXPECT_NE(ErrorOf("Other: TForm1 { }").find("not a TProbeForm"), std::string::npos);
  EXPECT_NE(ErrorOf("Probe: TProbeForm { Caption = \"open").find("unterminated"), std::string::npos);
  EXPECT_NE(ErrorOf("Probe: TProbeForm { Visible = maybe }").find("true or false"), std::string::npos);
  EXPECT_NE(ErrorOf("Probe: TProbeForm { Label1: TLabel { } Label1: TLabel { } }").find("already exists"),
            std::string::npos);
}

TEST(Layout, AMissingLayoutResourceFailsAtCreation) {
  auto form = MakeComponent<TProbeForm>(nullptr);
  try {
    form->AfterConstruction();
    FAIL() << "no error";
  } catch (const ELayoutError& e) {
    EXPECT_NE(std::string(e.what()).find("TPROBEFORM"), std::string::npos);
  }
}

}  // namespace
