// The dialog service of the running program: real Qt message boxes and file dialogs.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <cstdio>

#include "framework/dialogs.h"
#include "framework/forms.h"
#include "framework/local_paths.h"
#include "framework/open_dialog.h"

namespace {

QString Text(const AnsiString& text) { return QString::fromLocal8Bit(text.c_str()); }

// Message texts break lines with CR, CR LF or LF, as the system's message boxes do.
QString MessageText(const AnsiString& text) {
  return Text(StringReplaceAll(StringReplaceAll(text, "\r\n", "\n"), "\r", "\n"));
}

// "description (patterns)" as Qt reads a name filter; a description that already ends with its
// patterns in brackets is kept as it is.
QString QtNameFilter(const TFilterEntry& entry) {
  AnsiString joined;
  for (const AnsiString& pattern : entry.Patterns) joined += (joined.empty() ? "" : " ") + pattern;
  AnsiString inBrackets;
  for (const AnsiString& pattern : entry.Patterns) inBrackets += (inBrackets.empty() ? "" : ";") + pattern;
  const AnsiString suffix = "(" + inBrackets + ")";
  if (entry.Description.size() >= suffix.size() &&
      entry.Description.compare(entry.Description.size() - suffix.size(), suffix.size(), suffix) == 0)
    return Text(entry.Description.substr(0, entry.Description.size() - suffix.size()) + "(" + joined + ")");
  return Text(entry.Description + " (" + joined + ")");
}

// Once the session ends nobody may be there to answer: messages go to the standard error stream
// and every question is answered as if cancelled.
bool NobodyToAsk() { return Application != nullptr && Application->EndingSession(); }

int CancelledAnswer(UINT flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_OK: return IDOK;
    case MB_YESNO: return IDNO;
    default: return IDCANCEL;
  }
}

class QtDialogService final : public DialogService {
 public:
  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) override {
    if (NobodyToAsk()) {
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
      return CancelledAnswer(flags);
    }
    QMessageBox box(IconOf(flags), Text(caption), MessageText(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    switch (flags & MB_TYPEMASK) {
      case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
      case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
      case MB_YESNOCANCEL: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
      default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
      case QMessageBox::Cancel: return IDCANCEL;
      case QMessageBox::Yes: return IDYES;
      case QMessageBox::No: return IDNO;
      default: return (flags & MB_TYPEMASK) == MB_OK ? IDOK : ((flags & MB_TYPEMASK) == MB_OKCANCEL ? IDOK : IDCANCEL);
    }
  }

  bool OpenFiles(const OpenDialogRequest& request, std::vector<AnsiString>& files) override {
    if (NobodyToAsk()) return false;
    QFileDialog dialog(QApplication::activeWindow(), Text(request.title.empty() ? "Open" : request.title),
                       Text(request.initialDir));
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QStringList filters;
    for (const TFilterEntry& entry : ParseFilter(request.filter)) filters << QtNameFilter(entry);
    if (!filters.isEmpty()) {
      dialog.setNameFilters(filters);
      const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex - 1 : 0;
      dialog.selectNameFilter(filters[index]);
    }
    if (!request.defaultExt.empty()) dialog.setDefaultSuffix(Text(request.defaultExt));
    if (!request.resizable) dialog.setSizeGripEnabled(false);
    if (dialog.exec() != QDialog::Accepted) return false;
    files.clear();
    for (const QUrl& file : dialog.selectedUrls()) files.push_back(LocalPath(file));
    return !files.empty();
  }

  bool SelectDirectory(const AnsiString& caption, const AnsiString&, AnsiString& directory) override {
    if (NobodyToAsk()) return false;
    const QUrl chosen = QFileDialog::getExistingDirectoryUrl(QApplication::activeWindow(), Text(caption),
                                                             QUrl::fromLocalFile(Text(directory)));
    if (chosen.isEmpty()) return false;
    directory = LocalPath(chosen);
    return !directory.empty();
  }

 private:
  static QMessageBox::Icon IconOf(UINT flags) {
    switch (flags & MB_ICONMASK) {
      case MB_ICONERROR: return QMessageBox::Critical;
      case MB_ICONQUESTION: return QMessageBox::Question;
      case MB_ICONWARNING: return QMessageBox::Warning;
      case MB_ICONINFORMATION: return QMessageBox::Information;
      default: return QMessageBox::NoIcon;
    }
  }
};

}  // namespace

std::unique_ptr<DialogService> MakeQtDialogService() { return std::make_unique<QtDialogService>(); }
