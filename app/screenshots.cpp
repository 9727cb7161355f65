#include "app/screenshots.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "app/main_window.h"
#include "app/progress_dialog.h"
#include "settings/settings_dialog.h"

namespace {

void Settle() {
  for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void Capture(TForm& form, const AnsiString& file) {
  const bool wasVisible = form.Visible();
  form.Show();
  Settle();
  if (!form.Widget()->grab().save(QString::fromLocal8Bit(file.c_str())))
    std::fprintf(stderr, "cannot write %s\n", file.c_str());
  if (!wasVisible) form.Hide();
  Settle();
}

// One line per listed source: caption, range and length, separated by tabs.
void WriteSources(const AnsiString& file) {
  std::FILE* out = std::fopen(file.c_str(), "w");
  if (out == nullptr) {
    std::fprintf(stderr, "cannot write %s\n", file.c_str());
    return;
  }
  for (int i = 0; i < Form1->sListView1->Items().Count(); ++i) {
    TListItem* row = Form1->sListView1->Items().Item(i);
    std::fprintf(out, "%s\t%s\t%s\n", row->Caption().c_str(), row->SubItem(0).c_str(), row->SubItem(1).c_str());
  }
  std::fclose(out);
}

}  // namespace

void ScheduleScreenshots(const AnsiString& folder) {
  const AnsiString base = IncludeTrailingPathDelimiter(folder);
  QTimer::singleShot(500, qApp, [base] {
    Capture(*Form1, base + "form1.png");
    Capture(*Form2, base + "form2.png");
    Capture(*Form3, base + "form3.png");
    WriteSources(base + "sources.txt");
    Form1->Close();
  });
}
