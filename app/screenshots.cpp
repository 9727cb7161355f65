#include "app/screenshots.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <vector>

#include "app/main_window.h"
#include "app/progress_dialog.h"
#include "framework/dialogs.h"
#include "settings/settings_dialog.h"

namespace {

void Settle(int milliseconds = 400) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
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

// Answers Add's file dialog with the given files; every other dialog is the real one.
class ChosenSources final : public DialogService {
 public:
  ChosenSources(std::unique_ptr<DialogService> shown, std::vector<AnsiString> files)
      : shown_(std::move(shown)), files_(std::move(files)) {}
  std::unique_ptr<DialogService> Release() { return std::move(shown_); }

  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) override {
    return shown_->MessageBox(text, caption, flags);
  }
  bool OpenFiles(const OpenDialogRequest&, std::vector<AnsiString>& files) override {
    files = files_;
    return true;
  }
  bool SelectDirectory(const AnsiString& caption, const AnsiString& root, AnsiString& directory) override {
    return shown_->SelectDirectory(caption, root, directory);
  }

 private:
  std::unique_ptr<DialogService> shown_;
  std::vector<AnsiString> files_;
};

// Adds the files as the user would, selects the first and lets it play for a moment.
void PreviewSources(const std::vector<AnsiString>& files) {
  auto chosen = std::make_unique<ChosenSources>(SetDialogService(nullptr), files);
  ChosenSources* answering = chosen.get();
  SetDialogService(std::move(chosen));
  Form1->sSpeedButton1Click(Form1);
  std::unique_ptr<DialogService> shown = answering->Release();
  SetDialogService(std::move(shown));

  Form1->sListView1->SetItemIndex(0);
  QElapsedTimer clock;
  clock.start();
  // The opened file is held paused once the player has settled; until then it may still pass
  // through playing, and play / pause would pause it.
  while ((Form1->ActiveMovie1->OpenState() != nsOpen || Form1->ActiveMovie1->PlayState() != mpPaused) &&
         clock.elapsed() < 5000)
    Settle(50);
  Form1->sSpeedButton9Click(Form1);
  Settle(1800);
}

std::vector<AnsiString> Lines(const char* text) {
  std::vector<AnsiString> lines;
  std::istringstream in(text ? text : "");
  for (AnsiString line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

void ScheduleScreenshots(const AnsiString& folder) {
  const AnsiString base = IncludeTrailingPathDelimiter(folder);
  QTimer::singleShot(500, qApp, [base] {
    Capture(*Form1, base + "form1.png");
    const std::vector<AnsiString> sources = Lines(std::getenv("SONVARRA_SCREENSHOT_SOURCES"));
    if (!sources.empty()) {
      PreviewSources(sources);
      Capture(*Form1, base + "form1-preview.png");
      Form1->sSpeedButton10Click(Form1);
    }
    Capture(*Form2, base + "form2.png");
    Capture(*Form3, base + "form3.png");
    WriteSources(base + "sources.txt");
    Form1->Close();
  });
}
