// DragAcceptFiles, DragQueryFileA, DragFinish: files dropped on a window by the desktop's file
// manager, delivered as WM_DROPFILES.
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/errors.h"
#include "platform/win32/shell32.h"
#include "platform/win32/user32.h"

namespace {

// The names of each drop not yet finished, by HDROP. Windows and their drops belong to the GUI
// thread.
struct Drops {
  std::map<HDROP, std::vector<std::string>> files;
  ULONG_PTR last = 0;
};

Drops& TheDrops() {
  static Drops drops;
  return drops;
}

HDROP NewDrop(std::vector<std::string> files) {
  Drops& drops = TheDrops();
  const HDROP drop = reinterpret_cast<HDROP>(++drops.last);
  drops.files[drop] = std::move(files);
  return drop;
}

bool AcceptsFiles(HWND window) {
  return window != nullptr && (static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)) & WS_EX_ACCEPTFILES) != 0;
}

// Only files of this machine can be dropped: addresses of other kinds are left out. A name is
// taken from the address's own bytes, since Qt's text for a name that is not UTF-8 names nothing.
std::vector<std::string> LocalFiles(const QMimeData* data) {
  std::vector<std::string> files;
  if (data == nullptr) return files;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile())
      files.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
  }
  return files;
}

// Offers a drag of files to a window that accepts them; a drop is handed to the window by a
// posted message, so the file manager is not kept waiting while the window works through it.
class FileDropFilter final : public QObject {
 public:
  bool eventFilter(QObject* object, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
    auto* widget = qobject_cast<QWidget*>(object);
    const HWND window = widget ? win32::HandleFromWidget(widget) : nullptr;
    auto* drop = static_cast<QDropEvent*>(event);
    if (!AcceptsFiles(window)) return false;
    std::vector<std::string> files = LocalFiles(drop->mimeData());
    if (files.empty()) {
      drop->ignore();
      return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
      const HDROP dropped = NewDrop(std::move(files));
      if (!PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(dropped), 0)) DragFinish(dropped);
    }
    return true;
  }
};

}  // namespace

void WINAPI DragAcceptFiles(HWND window, BOOL accept) {
  QWidget* widget = win32::WidgetFromHandle(window);
  if (widget == nullptr) return;
  const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
  SetWindowLongA(window, GWL_EXSTYLE,
                 static_cast<LONG>(accept ? style | WS_EX_ACCEPTFILES : style & ~WS_EX_ACCEPTFILES));
  static FileDropFilter* filter = new FileDropFilter;  // lives as long as the process, like the window table
  widget->removeEventFilter(filter);
  if (accept) widget->installEventFilter(filter);
  widget->setAcceptDrops(accept != FALSE);
}

UINT WINAPI DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size) {
  const auto found = TheDrops().files.find(drop);
  if (found == TheDrops().files.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const std::vector<std::string>& files = found->second;
  if (index == 0xFFFFFFFF) return static_cast<UINT>(files.size());
  if (index >= files.size()) return 0;
  const std::string& name = files[index];
  if (file == nullptr || size == 0) return static_cast<UINT>(name.size());
  const std::size_t n = std::min<std::size_t>(name.size(), size - 1);
  std::memcpy(file, name.data(), n);
  file[n] = '\0';
  return static_cast<UINT>(n);
}

void WINAPI DragFinish(HDROP drop) { TheDrops().files.erase(drop); }
