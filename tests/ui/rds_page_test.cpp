// The "RDS/RBDS" page under the offscreen platform: the text box and the
// byte counter follow the engine, and File > Save Data > "RDS/RBDS" saves
// what the box shows.
#include <gtest/gtest.h>

#include "support/gui_app.h"

#include <QApplication>
#include <QClipboard>
#include <QtTest/QTest>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app.h"
#include "core/text.h"
#include "support/fakes.h"
#include "support/save_dialogs.h"
#include "support/window_fixture.h"
#include "ui/main_window.h"

namespace sondaro {
namespace {

using Window = test::WindowRig<test::SaveDialogs>;

QAction* MenuEntry(QMenu* menu, const QString& text) {
  for (QAction* a : menu->actions()) {
    if (test::MenuText(a) == text) return a;
    if (a->menu())
      if (QAction* inner = MenuEntry(a->menu(), text)) return inner;
  }
  return nullptr;
}

TEST(RdsPage, TextBoxAndCounterFollowTheEngine) {
  test::Gui();
  Window w;
  w.window.Pages()->setCurrentIndex(4);
  auto* page = w.window.Pages()->currentWidget();
  auto* box = page->findChild<QPlainTextEdit*>();
  ASSERT_TRUE(box);
  EXPECT_TRUE(box->isReadOnly());
  const QFontMetrics metrics(box->font());
  EXPECT_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W')) << "fixed pitch";

  w.app.rds.data.ProcessRDS(true);
  w.app.rds.data.StoreRdsField("PS", "\"RADIO 1 \"");
  w.app.rds.data.StoreRdsField("PI", "FFFF");
  EXPECT_EQ(box->toPlainText().toStdString(),
            ReplaceAll(w.app.rds.data.TextBoxText(), "\r\n", "\n"));
  EXPECT_TRUE(box->toPlainText().startsWith("PS: \"RADIO 1 \"\nPI: FFFF\n"));
  EXPECT_TRUE(box->toPlainText().endsWith("\n\nWarnings: 1\nFactory default PI was detected "
                                          "(FFFF). Set right PI as soon as possible."));

  QLabel* counter = nullptr;
  for (auto* l : page->findChildren<QLabel*>())
    if (l->text().endsWith(" bytes")) counter = l;
  ASSERT_TRUE(counter);
  EXPECT_EQ(counter->text(), "0 bytes");
  w.app.rds.raw.StoreRawGroup("2F01040841424344");
  EXPECT_EQ(counter->text(), "8 bytes");
  for (const char* caption : {"Acquire", "Save Data", "Run", "Stop", "Clear", "View", "Save",
                              "Use Quillet"}) {
    bool found = false;
    for (auto* b : page->findChildren<QPushButton*>()) found |= b->text() == caption;
    EXPECT_TRUE(found) << caption;
  }
  for (auto* b : page->findChildren<QPushButton*>())
    if (b->text() == "View") b->click();
  EXPECT_EQ(box->toPlainText(), "2F01 0408 4142 4344  0A 100000 01000 'AB' 'CD'");

  if (const char* shot = std::getenv("SONDARO_RDS_PAGE_SHOT")) {
    w.app.rds.data.ProcessRDS(false);
    w.window.grab().save(shot);
  }
}

TEST(RdsPage, FileSaveDataMenuSavesTheBox) {
  test::Gui();
  Window w;
  QAction* entry = nullptr;
  for (QAction* top : w.window.menuBar()->actions())
    if (test::MenuText(top) == "File" && top->menu()) entry = MenuEntry(top->menu(), "RDS/RBDS");
  ASSERT_TRUE(entry);
  const auto file = std::filesystem::temp_directory_path() / "sondaro-rds-page-test.txt";
  w.dialogs.Answer = file.string();
  w.app.rds.data.ProcessRDS(true);
  entry->trigger();
  ASSERT_EQ(w.dialogs.SaveShown.size(), 1u);
  EXPECT_EQ(w.dialogs.SaveShown[0].Filter, "Text file (*.txt)");
  std::stringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  EXPECT_TRUE(text.str().starts_with("PS: \"\"\r\nPI: -\r\n")) << text.str();
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace sondaro

namespace sondaro {
namespace {

struct ShownRdsPage : Window {
  ShownRdsPage() {
    window.Pages()->setCurrentIndex(4);
    window.show();
    box = window.Pages()->currentWidget()->findChild<QPlainTextEdit*>();
  }
  QPlainTextEdit* box = nullptr;
};

std::vector<std::string> NumberedLines(int n, const std::string& mark = "") {
  std::vector<std::string> lines;
  for (int i = 0; i < n; ++i) lines.push_back("line " + std::to_string(i) + mark);
  return lines;
}

// A reader scrolled into the text with a selection keeps both while lines
// above, inside and below the view change.
TEST(RdsPage, UpdatesKeepScrollPositionAndSelection) {
  ShownRdsPage w;
  ASSERT_TRUE(w.box);
  w.app.rds.data.ShowLines(NumberedLines(120));
  QScrollBar* bar = w.box->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 40);
  bar->setValue(40);
  QTextCursor select = w.box->textCursor();
  select.setPosition(w.box->document()->findBlockByNumber(50).position());
  select.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  w.box->setTextCursor(select);
  bar->setValue(40);
  ASSERT_EQ(w.box->textCursor().selectedText(), "line 50");

  std::vector<std::string> changed = NumberedLines(130);
  changed[3] = "changed above";
  changed[45] = "changed inside the view";
  w.app.rds.data.ShowLines(changed);
  EXPECT_EQ(bar->value(), 40);
  EXPECT_EQ(w.box->textCursor().selectedText(), "line 50");
  EXPECT_EQ(w.box->toPlainText().toStdString(),
            ReplaceAll(w.app.rds.data.TextBoxText(), "\r\n", "\n"));

  w.app.rds.data.ShowLines(NumberedLines(10, " (a new station)"));  // all new
  EXPECT_EQ(w.box->toPlainText().toStdString(),
            ReplaceAll(w.app.rds.data.TextBoxText(), "\r\n", "\n"));
}

// Ctrl+C in the box copies the selected text rather than a chart image.
TEST(RdsPage, CtrlCCopiesTheSelectedText) {
  ShownRdsPage w;
  QApplication::setActiveWindow(&w.window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
  w.app.rds.data.ShowLines({"PI: D301"});
  w.box->setFocus();
  w.box->selectAll();
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(w.box, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "PI: D301");
}

// At the window's fixed size every button of the page gets the room its
// caption asks for, so no caption touches the button's edges.
TEST(RdsPage, ButtonsGetTheSizeTheyAskFor) {
  ShownRdsPage w;
  QApplication::processEvents();
  const auto buttons = w.window.Pages()->currentWidget()->findChildren<QPushButton*>();
  ASSERT_GE(buttons.size(), 9);
  for (QPushButton* b : buttons) {
    EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
    EXPECT_GE(b->height(), b->sizeHint().height()) << b->text().toStdString();
  }
}

// A full RadioText stands on one line of the box at the window's fixed size.
TEST(RdsPage, FullRadioTextFitsOneLine) {
  ShownRdsPage w;
  ASSERT_TRUE(w.box);
  const std::string rt = "RT: " + std::string(64, 'W');
  w.app.rds.data.ShowLines({rt});
  const QTextBlock block = w.box->document()->firstBlock();
  EXPECT_EQ(block.layout()->lineCount(), 1);
  EXPECT_EQ(w.box->horizontalScrollBar()->maximum(), 0);
  EXPECT_TRUE(QFontInfo(w.box->font()).fixedPitch());
  EXPECT_GE(QFontInfo(w.box->font()).pointSizeF(), 7.0);
}

}  // namespace
}  // namespace sondaro
