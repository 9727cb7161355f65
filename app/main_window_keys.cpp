// The main window's keys. Each stands for a button and clicks it as the mouse would, so that the
// keyboard reaches the glyph-only transport and the other buttons, which never take the focus.
#include "app/main_window.h"

namespace {

void ClickAsTheMouseWould(TsSpeedButton* button) {
  if (button && button->Visible() && button->Enabled()) button->Click();
}

}  // namespace

void TForm1::AddShortCuts() {
  struct Key {
    TShortCut shortCut;
    TsSpeedButton* TForm1::*button;  // read when the key is pressed: the layout makes the buttons later
    bool repeats;
  };
  const Key keys[] = {
      {ShortCut(VK_SPACE, 0), &TForm1::sSpeedButton9, false},        // play / pause
      {ShortCut('O', ssCtrl), &TForm1::sSpeedButton1, false},        // Add...
      {ShortCut(VK_DELETE, 0), &TForm1::sSpeedButton2, false},       // Delete
      {ShortCut('I', 0), &TForm1::sSpeedButton13, false},            // Begin
      {ShortCut('O', 0), &TForm1::sSpeedButton14, false},            // End
      {ShortCut(VK_LEFT, 0), &TForm1::sSpeedButton11, true},         // one second back (the track bar keeps its own)
      {ShortCut(VK_RIGHT, 0), &TForm1::sSpeedButton12, true},        // one second forward
      {ShortCut(VK_RETURN, ssCtrl), &TForm1::sSpeedButton4, false},  // Start
      {ShortCut(VK_F1, 0), &TForm1::sSpeedButton6, false},           // Help
  };
  for (const Key& key : keys)
    AddShortCut(
        key.shortCut, [this, button = key.button](TObject*) { ClickAsTheMouseWould(this->*button); }, key.repeats);
}
