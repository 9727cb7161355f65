#include "platform/win32/gui_thread_calls.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <mutex>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace win32 {
namespace {

// Qt hands an event over to the GUI thread under a lock of its own, which ThreadSanitizer cannot
// see: the hand-over of the event object itself is told to it.
void EventHandedOver(QEvent* event) {
#if defined(__SANITIZE_THREAD__)
  __tsan_release(event);
#else
  (void)event;
#endif
}

void EventTaken(QEvent* event) {
#if defined(__SANITIZE_THREAD__)
  __tsan_acquire(event);
#else
  (void)event;
#endif
}

// The event carries nothing: each one tells the receiver to run the oldest waiting call.
const QEvent::Type kCallWaiting = static_cast<QEvent::Type>(QEvent::registerEventType());

class CallReceiver final : public QObject {
 public:
  // Calls still waiting when the application goes are dropped with it.
  void Post(QCoreApplication* app, std::function<void()> call) {
    {
      std::lock_guard lock(lock_);
      if (app != app_) {
        calls_.clear();
        app_ = app;
      }
      calls_.push_back(std::move(call));
    }
    auto* waiting = new QEvent(kCallWaiting);  // Qt takes it and frees it
    EventHandedOver(waiting);
    QCoreApplication::postEvent(this, waiting);
  }

  bool event(QEvent* event) override {
    EventTaken(event);
    if (event->type() != kCallWaiting) return QObject::event(event);
    std::function<void()> call;
    {
      std::lock_guard lock(lock_);
      if (calls_.empty()) return true;
      call = std::move(calls_.front());
      calls_.pop_front();
    }
    call();
    return true;
  }

 private:
  std::mutex lock_;
  // Guarded by lock_:
  std::deque<std::function<void()>> calls_;
  QCoreApplication* app_ = nullptr;
};

// One receiver, living on the GUI thread of the application it was made for.
CallReceiver* Receiver(QCoreApplication* app) {
  static std::mutex lock;
  static QPointer<QCoreApplication> owner;
  static CallReceiver* receiver = nullptr;
  std::lock_guard guard(lock);
  if (!receiver || owner != app) {
    delete receiver;  // made for an application that has gone, with the calls it left
    receiver = new CallReceiver;
    receiver->moveToThread(app->thread());
    owner = app;
  }
  return receiver;
}

}  // namespace

bool PostToGuiThread(std::function<void()> call) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return false;
  Receiver(app)->Post(app, std::move(call));
  return true;
}

void CallOnGuiThread(const std::function<void()>& call) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || app->thread() == QThread::currentThread()) {
    call();
    return;
  }
  std::mutex lock;
  std::condition_variable ran;
  bool done = false;
  Receiver(app)->Post(app, [&] {
    call();
    std::lock_guard guard(lock);
    done = true;
    ran.notify_all();
  });
  std::unique_lock guard(lock);
  ran.wait(guard, [&] { return done; });
}

}  // namespace win32
