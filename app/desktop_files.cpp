// Files the desktop hands to the program: named on its command line ("Open with") or dropped on
// the main window. Both are added as Add adds the files chosen in its dialog.
#include <utility>

#include "app/main_window.h"
#include "batch/source_folders.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/shell32.h"
#include "platform/win32/user32.h"

namespace {

constexpr UINT kAddCommandLineFiles = WM_APP + 1;

// The Add dialog's filter as one entry of every pattern that names a kind of video, which leaves
// out "ALL files (*.*)".
TFilterEntry VideoFiles(const AnsiString& filter) {
  TFilterEntry videos;
  for (const TFilterEntry& entry : ParseFilter(filter)) {
    for (const AnsiString& pattern : entry.Patterns)
      if (pattern != "*.*" && pattern != "*") videos.Patterns.push_back(pattern);
  }
  return videos;
}

// The files of the folder itself (not of its sub-folders) that the filter offers, in name order.
std::vector<AnsiString> VideosIn(const AnsiString& folder, const TFilterEntry& videos) {
  return batch::FilesInFolder(folder, [&](const AnsiString& name) { return FilterEntryMatches(videos, name); });
}

std::vector<AnsiString> DroppedNames(HDROP drop) {
  std::vector<AnsiString> names;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    AnsiString name(DragQueryFileA(drop, i, nullptr, 0), '\0');
    name.resize(DragQueryFileA(drop, i, name.data(), static_cast<UINT>(name.size() + 1)));
    names.push_back(name);
  }
  return names;
}

}  // namespace

void TForm1::AddFilesWhenShown(const std::vector<AnsiString>& arguments) {
  // The dialog gives full paths; so does this, so that the duplicate rule holds between the two.
  for (const AnsiString& argument : arguments) commandLineFiles_.push_back(ExpandFileName(argument));
  if (painted_ && !commandLineFiles_.empty()) PostMessageA(Handle(), kAddCommandLineFiles, 0, 0);
}

void TForm1::WMDropFiles(TMessage& message) {
  const HDROP drop = reinterpret_cast<HDROP>(message.WParam);
  const std::vector<AnsiString> dropped = DroppedNames(drop);
  DragFinish(drop);
  const TFilterEntry videos = VideoFiles(OpenDialog1->Filter);
  std::vector<AnsiString> files;
  for (const AnsiString& path : dropped) {
    if (DirectoryExists(path)) {
      const std::vector<AnsiString> inFolder = VideosIn(path, videos);
      files.insert(files.end(), inFolder.begin(), inFolder.end());
    } else {
      files.push_back(path);
    }
  }
  AddSourceFiles(files);
}

void TForm1::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_DROPFILES: WMDropFiles(message); return;
    case kAddCommandLineFiles: AddSourceFiles(std::exchange(commandLineFiles_, {})); return;
    case WM_PAINT:
      // Probing blocks the window: it starts once the window has been painted, as after the dialog.
      TForm::Dispatch(message);
      if (!std::exchange(painted_, true) && !commandLineFiles_.empty())
        PostMessageA(Handle(), kAddCommandLineFiles, 0, 0);
      return;
    default: TForm::Dispatch(message); return;
  }
}
