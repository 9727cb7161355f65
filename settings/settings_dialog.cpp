#include "settings/settings_dialog.h"

TForm2* Form2 = nullptr;

TForm2::~TForm2() {
  if (Form2 == this) Form2 = nullptr;
}

void TForm2::DeclarePublished(TPublishedTable& t) {
  t.Field("sLabel1", sLabel1);
  t.Field("sLabel2", sLabel2);
  t.Field("sLabel3", sLabel3);
  t.Field("sComboBox1", sComboBox1);
  t.Field("sComboBox2", sComboBox2);
  t.Field("sComboBox3", sComboBox3);
  t.Field("sButton1", sButton1);
  t.Field("sButton2", sButton2);
  t.Method("FormShow", this, &TForm2::FormShow);
  t.Method("sButton1Click", this, &TForm2::sButton1Click);
  t.Method("sButton2Click", this, &TForm2::sButton2Click);
}

// Loading and saving the selections comes with the settings file's dialog work.
void TForm2::FormShow(TObject*) {}

void TForm2::sButton1Click(TObject*) { Close(); }

void TForm2::sButton2Click(TObject*) { Close(); }
