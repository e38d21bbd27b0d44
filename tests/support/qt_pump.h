#pragma once
// Qt tests need one application object and a way to run its event loop until
// something has happened.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace sondaro::test {

inline QCoreApplication& QtApp() {
  static int argc = 1;
  static char name[] = "sondaro-tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app =
      QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
  return *app;
}

// Processes events until pred() holds or timeoutMs passes; returns pred().
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000) {
  QtApp();
  QElapsedTimer t;
  t.start();
  while (!pred()) {
    if (t.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(2);
  }
  return true;
}

}  // namespace sondaro::test
