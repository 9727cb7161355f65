// The started program with sources listed, as the preview tests use it: rows loaded into the
// hidden player by Timer1, and the long sound files that the track bar's arithmetic is shown on.
#pragma once

#include <QSlider>
#include <string>

#include "tests/batch/batch_program.h"

namespace preview_test {

// Silence of the given length as a WAV file, made once per run: its length is exact.
std::string SilentWav(int seconds);

class PreviewTest : public batch_test::BatchTest {
 protected:
  // A row as Add lists a file of these seconds.
  void ListFile(const std::string& path, int seconds);
  // Selects the row and waits until Timer1 has loaded it and the player holds it paused.
  bool SelectAndLoad(int row);
  bool WaitForClock(const std::string& text, int milliseconds = 3000);
  // The user drags the track bar's thumb there.
  void Drag(int position);
  double PlayerPosition();
  TListItem& Row(int index) { return *Form1->sListView1->Items().Item(index); }
};

}  // namespace preview_test
