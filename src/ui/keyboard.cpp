#include "ui/keyboard.h"

#include <QAction>
#include <QKeySequence>
#include <QShortcut>
#include <QSet>
#include <QVariant>

namespace sondaro {

namespace {

// Letters and digits at the start of a word, in order.
QList<int> Initials(const QString& text) {
  QList<int> at;
  for (int i = 0; i < text.size(); ++i)
    if (text[i].isLetterOrNumber() && (i == 0 || text[i - 1].isSpace())) at << i;
  return at;
}

void Assign(const QList<QAction*>& actions) {
  QSet<QChar> taken;
  for (QAction* a : actions) {
    const QKeySequence m = QKeySequence::mnemonic(a->text());
    if (!m.isEmpty()) taken << QChar(m[0].key()).toLower();
  }
  for (QAction* a : actions) {
    if (a->isSeparator() || !QKeySequence::mnemonic(a->text()).isEmpty()) continue;
    QString text = a->text();
    QList<int> candidates = Initials(text);
    if (text == "Exit") candidates.prepend(1);
    for (int at : candidates) {
      const QChar key = text[at].toLower();
      if (taken.contains(key)) continue;
      taken << key;
      a->setText(text.insert(at, '&'));
      break;
    }
  }
}

}  // namespace

void AssignMnemonics(QMenu* menu) {
  Assign(menu->actions());
  for (QAction* a : menu->actions())
    if (a->menu()) AssignMnemonics(a->menu());
  // Entries added after start get theirs when the menu opens.
  if (menu->property("sondaroMnemonics").toBool()) return;
  menu->setProperty("sondaroMnemonics", true);
  QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] { AssignMnemonics(menu); });
}

void AssignMnemonics(QMenuBar* bar) {
  Assign(bar->actions());
  for (QAction* a : bar->actions())
    if (a->menu()) AssignMnemonics(a->menu());
}

void KeepTabStopsTogether(QWidget* area) {
  QList<QWidget*> stops;
  for (QWidget* w = area->nextInFocusChain(); w != area; w = w->nextInFocusChain())
    if (area->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus)) stops << w;
  for (qsizetype i = 1; i < stops.size(); ++i) QWidget::setTabOrder(stops[i - 1], stops[i]);
}

void InstallMenuBarKey(QMainWindow* window) {
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), window);
  QObject::connect(f10, &QShortcut::activated, window, [window] {
    QMenuBar* bar = window->menuBar();
    if (!bar->actions().isEmpty()) bar->setActiveAction(bar->actions().first());
  });
}

}  // namespace sondaro
