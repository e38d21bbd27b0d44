#pragma once
// The main window over an App in virtual time with fake link ports, for the
// widget tests.
#include <QAction>
#include <QMenuBar>
#include <QStringList>

#include "app/app.h"
#include "support/fakes.h"
#include "support/gui_app.h"
#include "support/menu_text.h"
#include "ui/main_window.h"

namespace sondaro::test {

// First member, so the application exists before any widget is built.
struct GuiFirst {
  GuiFirst() { Gui(); }
};

template <typename DialogsT = SilentDialogs>
struct WindowRig {
  GuiFirst gui;
  VirtualClock clock;
  FakeSerialPort serial;
  FakeTcpClient tcp;
  DialogsT dialogs;
  App app{AppPorts{clock, serial, tcp, dialogs}};
  MainWindow window{app};

  void Advance(Millis ms) { AdvanceVirtual(clock, app.timers, ms); }

  // The widget of type W showing this text.
  template <typename W>
  W* Find(const QString& text) {
    for (auto* w : window.findChildren<W*>())
      if (w->text() == text) return w;
    return nullptr;
  }

  // A menu entry by its path from the menu bar: {"File", "Save Data", "FFT"}.
  QAction* MenuAction(const QStringList& path) {
    QList<QAction*> actions = window.menuBar()->actions();
    QAction* found = nullptr;
    for (const QString& step : path) {
      found = nullptr;
      for (QAction* a : actions)
        if (MenuText(a) == step) found = a;
      if (!found) return nullptr;
      if (found->menu()) actions = found->menu()->actions();
    }
    return found;
  }
};

}  // namespace sondaro::test
