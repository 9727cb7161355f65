// The batch: Start, the conversion queue and the progress tick.
#include "app/main_window.h"

void TForm1::sSpeedButton4Click(TObject*) {}
void TForm1::Timer2Timer(TObject*) {}
