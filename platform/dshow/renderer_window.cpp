#include "platform/dshow/renderer_window.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cstring>

#include "platform/dshow/event_codes.h"
#include "platform/win32/gui_thread_calls.h"

namespace dshow {
namespace {

constexpr int kVisibilityPollMs = 100;

// Whether any pixel of the widget can be seen: shown with all its ancestors, not minimised, and
// not clipped away entirely by the ancestors' client areas.
bool CanBeSeen(const QWidget& widget) {
  if (!widget.isVisible() || widget.window()->isMinimized()) return false;
  QRect area = widget.rect();
  const QWidget* child = &widget;
  for (const QWidget* parent = widget.parentWidget(); parent && !child->isWindow(); parent = parent->parentWidget()) {
    area.translate(child->pos());
    area = area.intersected(parent->rect());
    if (area.isEmpty()) return false;
    child = parent;
  }
  return !area.isEmpty();
}

class RendererWidget final : public QWidget {
 public:
  RendererWidget(std::shared_ptr<RendererShared> shared, QWidget* parent)
      : QWidget(parent), shared_(std::move(shared)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    visibilityTimer_.setInterval(kVisibilityPollMs);
    QObject::connect(&visibilityTimer_, &QTimer::timeout, this, [this] { CheckVisibility(); });
    visibilityTimer_.start();
  }
  ~RendererWidget() override {
    if (shared_->Window() && win32::HandleFromWidget(this) == shared_->Window()) {
      shared_->SetWindow(nullptr);
      shared_->UpdateVisibility(false);
      shared_->Notify(EC_WINDOW_DESTROYED);
    }
  }
  RendererShared& Shared() { return *shared_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    shared_->PaintDone();
    QImage picture;
    QRect source, destination;
    shared_->BeginPaint(picture, source, destination);
    {
      QPainter painter(this);
      const QRegion outside = QRegion(rect()).subtracted(picture.isNull() ? QRect() : destination);
      for (const QRect& r : outside) painter.fillRect(r, Qt::black);
      if (!picture.isNull()) painter.drawImage(destination, picture, source);
    }
    picture = QImage();
    shared_->EndPaint();
  }
  void resizeEvent(QResizeEvent* event) override {
    shared_->ClientResized(width(), height());
    QWidget::resizeEvent(event);
    CheckVisibility();
  }
  void showEvent(QShowEvent* event) override {
    QWidget::showEvent(event);
    CheckVisibility();
  }
  void hideEvent(QHideEvent* event) override {
    QWidget::hideEvent(event);
    CheckVisibility();
  }
  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    CheckVisibility();
  }

 private:
  void CheckVisibility() { shared_->UpdateVisibility(CanBeSeen(*this)); }

  std::shared_ptr<RendererShared> shared_;
  QTimer visibilityTimer_;
};

RendererShared* SharedOf(HWND window) {
  auto* widget = dynamic_cast<RendererWidget*>(win32::WidgetFromHandle(window));
  return widget ? &widget->Shared() : nullptr;
}

bool IsInputMessage(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK);
}

LRESULT CALLBACK RendererWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  RendererShared* shared = SharedOf(window);
  if (shared) {
    if (message == kRendererNewPicture) {
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    }
    if (message == WM_WINDOWPOSCHANGED && lParam) {
      // The size is known here even while the window is hidden (Qt sends no resize event then).
      const auto* placement = reinterpret_cast<const WINDOWPOS*>(lParam);
      shared->ClientResized(placement->cx, placement->cy);
    }
    if (message == WM_CLOSE) {
      // The user closed the window: it hides, and the application hears of it.
      ShowWindow(window, SW_HIDE);
      shared->Notify(EC_USERABORT);
      return 0;
    }
    if (IsInputMessage(message)) {
      if (HWND drain = shared->Drain(); drain && IsWindow(drain)) {
        PostMessageA(drain, message, wParam, lParam);
        return 0;
      }
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void RendererShared::Publish(const BYTE* bits, int width, int height, int stride, bool bottomUp, bool rgb32) {
  const QImage::Format format = rgb32 ? QImage::Format_RGB32 : QImage::Format_BGR888;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * (rgb32 ? 4 : 3);
  std::lock_guard lock(lock_);
  // A picture of the pool that is neither shown nor painted from, reused when its size fits.
  int target = -1;
  for (int i = 0; i < 3 && target < 0; ++i)
    if (i != current_ && i != painting_) target = i;
  QImage& picture = pool_[target];
  if (picture.width() != width || picture.height() != height || picture.format() != format) {
    picture = QImage(width, height, format);
    if (picture.isNull()) return;
  }
  for (int y = 0; y < height; ++y) {
    const BYTE* row = bits + static_cast<std::ptrdiff_t>(stride) * (bottomUp ? height - 1 - y : y);
    std::memcpy(picture.scanLine(y), row, rowBytes);
  }
  current_ = target;
}

void RendererShared::BeginPaint(QImage& picture, QRect& source, QRect& destination) {
  std::lock_guard lock(lock_);
  painting_ = current_;
  picture = current_ >= 0 ? pool_[current_] : QImage();
  source = source_.isEmpty() ? QRect(0, 0, picture.width(), picture.height()) : source_;
  destination = destination_.isEmpty() ? QRect(QPoint(0, 0), client_) : destination_;
}

void RendererShared::EndPaint() {
  std::lock_guard lock(lock_);
  painting_ = -1;
}

QImage RendererShared::CurrentPicture() const {
  std::lock_guard lock(lock_);
  return current_ >= 0 ? pool_[current_].copy() : QImage();
}

void RendererShared::ClearPicture() {
  std::lock_guard lock(lock_);
  current_ = -1;
}

void RendererShared::SetVideoSize(int width, int height) {
  std::lock_guard lock(lock_);
  videoWidth_ = width;
  videoHeight_ = height;
  source_ = QRect();
}

void RendererShared::ClientResized(int width, int height) {
  std::lock_guard lock(lock_);
  client_ = QSize(width, height);
}

QSize RendererShared::ClientSize() const {
  std::lock_guard lock(lock_);
  return client_;
}

QRect RendererShared::Source() const {
  std::lock_guard lock(lock_);
  return source_.isEmpty() ? QRect(0, 0, videoWidth_, videoHeight_) : source_;
}

QRect RendererShared::Destination() const {
  std::lock_guard lock(lock_);
  return destination_.isEmpty() ? QRect(QPoint(0, 0), client_) : destination_;
}

void RendererShared::SetSource(const QRect& source) {
  std::lock_guard lock(lock_);
  source_ = source == QRect(0, 0, videoWidth_, videoHeight_) ? QRect() : source;
}

void RendererShared::SetDestination(const QRect& destination) {
  std::lock_guard lock(lock_);
  destination_ = destination;
}

bool RendererShared::DefaultSource() const {
  std::lock_guard lock(lock_);
  return source_.isEmpty();
}

bool RendererShared::DefaultDestination() const {
  std::lock_guard lock(lock_);
  return destination_.isEmpty();
}

void RendererShared::UpdateVisibility(bool visible) {
  if (visible_.exchange(visible) == visible) return;
  if (visible) {
    InvalidateRect(Window(), nullptr, FALSE);
    Notify(EC_REPAINT);
  }
}

void RendererShared::RequestPaint() {
  HWND window = Window();
  if (!window || !visible_.load() || paintRequested_.exchange(true)) return;
  if (!PostMessageA(window, kRendererNewPicture, 0, 0)) paintRequested_.store(false);
}

void RendererShared::Abandon() {
  abandoned_.store(true);
  std::lock_guard lock(lock_);
  sink_ = nullptr;
}

void RendererShared::SetEventSink(EventSink sink) {
  std::lock_guard lock(lock_);
  sink_ = std::move(sink);
}

void RendererShared::Notify(LONG code) {
  // Held across the call, so that the filter cannot go meanwhile (Abandon waits for it).
  std::lock_guard lock(lock_);
  if (sink_) sink_(code);
}

bool OnGuiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return !app || app->thread() == QThread::currentThread();
}

void RunOnGuiThread(const std::function<void()>& function) {
  if (OnGuiThread()) {
    function();
    return;
  }
  win32::CallOnGuiThread(function);
}

void PostToGuiThread(std::function<void()> function) { win32::PostToGuiThread(std::move(function)); }

void RegisterRendererWindowClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RendererWindowProc;
    windowClass.lpszClassName = kRendererWindowClass;
    RegisterClassA(&windowClass);
    win32::SetClassWidgetFactory(kRendererWindowClass, [](const CREATESTRUCTA& create, QWidget* parent) -> QWidget* {
      auto* shared = static_cast<std::shared_ptr<RendererShared>*>(create.lpCreateParams);
      if (!shared) return nullptr;
      return new RendererWidget(*shared, parent);
    });
  });
}

HWND RendererShared::EnsureWindow(const std::shared_ptr<RendererShared>& shared) {
  if (HWND window = shared->Window(); window && IsWindow(window)) return window;
  if (shared->Abandoned() || !qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
  RegisterRendererWindowClass();
  int width, height;
  {
    std::lock_guard lock(shared->lock_);
    width = shared->videoWidth_ > 0 ? shared->videoWidth_ : 320;
    height = shared->videoHeight_ > 0 ? shared->videoHeight_ : 240;
  }
  std::shared_ptr<RendererShared> parameter = shared;
  HWND window = CreateWindowExA(0, kRendererWindowClass, "ActiveMovie Window",
                                WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                CW_USEDEFAULT, width, height, nullptr, nullptr, nullptr, &parameter);
  if (window) {
    shared->SetWindow(window);
    if (QWidget* widget = win32::WidgetFromHandle(window)) {
      widget->resize(width, height);
      shared->ClientResized(widget->width(), widget->height());
    }
  }
  return window;
}

}  // namespace dshow
