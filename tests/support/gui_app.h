#pragma once
// One QApplication per Qt test program, on the offscreen platform unless a
// display is chosen.
#include <QApplication>
#include <QString>
#include <QWidget>

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

// The child widget of type T showing this text.
template <typename T>
T* Find(QWidget& root, const QString& text) {
  for (T* w : root.findChildren<T*>())
    if (w->text() == text) return w;
  return nullptr;
}

}  // namespace sondaro::test
