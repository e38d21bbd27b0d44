// The main window from the keyboard: mnemonics on every menu, F10, the
// standard shortcuts and the tab order of the Setup page.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSet>
#include <QSpinBox>
#include <QTabBar>
#include <QtTest/QTest>

#include "support/menu_text.h"
#include "support/window_fixture.h"

namespace sondaro {
namespace {

using Window = test::WindowRig<>;

// Entries of one menu (or the bar) and their mnemonic letters.
void ExpectMnemonics(const QList<QAction*>& actions, const QString& where) {
  QSet<QString> seen;
  for (QAction* a : actions) {
    if (a->isSeparator()) continue;
    const QString plain = test::MenuText(a);
    const QKeySequence key = QKeySequence::mnemonic(a->text());
    // Numbered entries past the ninth have no initial left: File 10 ... File 30.
    const bool numbered = plain.startsWith("File ") && plain.mid(5).toInt() >= 10;
    if (!numbered) {
      EXPECT_FALSE(key.isEmpty()) << where.toStdString() << " > " << plain.toStdString();
    }
    if (key.isEmpty()) continue;
    const QString letter = key.toString().toLower();
    EXPECT_FALSE(seen.contains(letter)) << where.toStdString() << ": " << letter.toStdString()
                                        << " twice";
    seen << letter;
    if (a->menu()) ExpectMnemonics(a->menu()->actions(), plain);
  }
}

TEST(Keyboard, EveryMenuTitleAndEntryHasItsOwnMnemonic) {
  Window w;
  ExpectMnemonics(w.window.menuBar()->actions(), "menu bar");
  QStringList titles;
  for (QAction* a : w.window.menuBar()->actions()) titles << a->text();
  EXPECT_EQ(titles.mid(0, 4), (QStringList{"&File", "&Edit", "&Options", "&Help"}));
  EXPECT_EQ(w.MenuAction({"File", "Exit"})->text(), "E&xit");
  EXPECT_EQ(w.MenuAction({"File", "Save Bitmap"})->text(), "Save &Bitmap");

  // An entry added after start gets its mnemonic when the menu opens.
  QMenu* edit = w.MenuAction({"Edit"})->menu();
  QAction* late = edit->addAction("Later Entry");
  emit edit->aboutToShow();
  EXPECT_EQ(late->text(), "&Later Entry");
}

TEST(Keyboard, StandardShortcutsAltAndF10OpenTheMenus) {
  Window w;
  EXPECT_TRUE(w.MenuAction({"Edit", "Copy Bitmap"})->shortcuts().contains(QKeySequence::Copy));
  EXPECT_TRUE(w.MenuAction({"File", "Exit"})->shortcuts().contains(QKeySequence("Ctrl+Q")));
  w.window.Pages()->setCurrentIndex(4);

  w.window.show();
  QApplication::setActiveWindow(&w.window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
  QMenu* file = w.MenuAction({"File"})->menu();
  QTest::keyClick(&w.window, Qt::Key_F10);
  EXPECT_TRUE(file->isVisible());
  file->close();
  QTest::keyClick(&w.window, Qt::Key_F, Qt::AltModifier);
  EXPECT_TRUE(file->isVisible());
  file->close();
  QTest::keyClick(&w.window, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(w.window.isVisible());
}

// Tab walks the Setup page down the connection box, the script box, then
// the receiver options and the theme box on the right.
TEST(Keyboard, SetupPageTabOrder) {
  Window w;
  w.window.Pages()->setCurrentIndex(6);
  w.window.show();
  QApplication::setActiveWindow(&w.window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
  QWidget* page = w.window.Pages()->currentWidget();
  w.window.Pages()->tabBar()->setFocus();
  QStringList walk;
  for (int i = 0; i < 40; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* at = QApplication::focusWidget();
    if (!at || qobject_cast<QTabBar*>(at)) break;
    if (!page->isAncestorOf(at)) walk << QString("outside ") + at->metaObject()->className();
    else if (auto* b = qobject_cast<QAbstractButton*>(at)) walk << b->text();
    else if (auto* c = qobject_cast<QComboBox*>(at)) walk << "list " + c->itemText(0);
    else if (qobject_cast<QSpinBox*>(at->parentWidget()) || qobject_cast<QSpinBox*>(at)) walk << "spin";
    else if (auto* e = qobject_cast<QLineEdit*>(at)) walk << "edit " + e->text();
    else if (qobject_cast<QScrollBar*>(at)) walk << "bar";
  }
  // Around the page: the tab bar's own buttons, the top bar.
  while (!walk.isEmpty() && walk.last().startsWith("outside ")) walk.removeLast();
  while (!walk.isEmpty() && walk.first().startsWith("outside ")) walk.removeFirst();
  EXPECT_EQ(walk.join(" | ").toStdString(),
            "Serial RS232 | list COM1 | List... | Connect | Debug mode (stop on errors) | "
            "Register Script Files (*.fms) | Include RDS data in Bandscan | list Measuring | "
            "Enable 50 kHz tuning step (requires restart) | Save Settings | spin | US PTY Code | "
            "bar | bar | Apply | Use System Font (requires restart)");
}

}  // namespace
}  // namespace sondaro

namespace sondaro {
namespace {

// From the first control of the top bar, Tab visits the tuning controls and
// the script panel before it reaches the pages.
TEST(Keyboard, TopBarBeforeThePages) {
  Window w;
  w.window.show();
  QApplication::setActiveWindow(&w.window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
  w.Find<QAbstractButton>("<")->setFocus();
  QStringList walk;
  for (int i = 0; i < 12 && !qobject_cast<QTabBar*>(QApplication::focusWidget()); ++i) {
    QWidget* at = QApplication::focusWidget();
    if (auto* b = qobject_cast<QAbstractButton*>(at)) walk << b->text();
    else if (qobject_cast<QComboBox*>(at)) walk << "list";
    QTest::keyClick(at, Qt::Key_Tab);
  }
  EXPECT_EQ(walk.join(" | ").toStdString(), "< | list | > | Tune | Measuring | RDS | "
                                            "Online Deviation and Signal | Run");
}

}  // namespace
}  // namespace sondaro
