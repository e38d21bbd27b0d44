#pragma once
// One QApplication per Qt test program, on the offscreen platform unless a
// display is chosen.
#include <QApplication>

namespace sondaro::test {

inline QApplication& Gui() {
  static int argc = 1;
  static char name[] = "sondaro-tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

}  // namespace sondaro::test
