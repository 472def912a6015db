// The worker thread and the busy indicator.
#include "app/busy_work.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <exception>
#include <memory>
#include <thread>

namespace mirelane {

namespace {

// Quick work finishes before anyone would notice the indicator.
constexpr int kIndicatorDelayMs = 400;

// How many RunBusy calls wait on the window's thread (one, unless a timer started another).
int busyDepth = 0;

}  // namespace

void RunBusy(QWidget* parent, const QString& text, const std::function<void()>& work) {
  QEventLoop loop;
  std::exception_ptr error;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      error = std::current_exception();
    }
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  std::unique_ptr<QProgressDialog> indicator;
  QTimer delay;
  delay.setSingleShot(true);
  QObject::connect(&delay, &QTimer::timeout, &loop, [&] {
    indicator = std::make_unique<QProgressDialog>(text, QString(), 0, 0, parent);
    indicator->setWindowTitle(parent != nullptr ? parent->window()->windowTitle() : QString());
    indicator->setWindowModality(Qt::WindowModal);
    indicator->setMinimumDuration(0);
    indicator->show();
  });
  delay.start(kIndicatorDelayMs);
  ++busyDepth;
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  --busyDepth;
  worker.join();
  indicator.reset();
  if (error) std::rethrow_exception(error);
}

bool BusyWorkRunning() {
  return busyDepth > 0;
}

}  // namespace mirelane
