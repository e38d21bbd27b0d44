// The Qt dialogs: message boxes carry the icon of what they say, file
// dialogs open at a size of their own with the proposed name.
#include "platform/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "support/gui_app.h"

namespace sondaro {
namespace {

// Opens the box, notes its icon and closes it.
QMessageBox::Icon IconOf(const std::function<void(QtDialogs&)>& open) {
  test::Gui();
  QtDialogs dialogs;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer::singleShot(0, [&icon] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      icon = box->icon();
      box->reject();
    }
  });
  open(dialogs);
  return icon;
}

TEST(QtDialogs, EachKindOfMessageHasItsIcon) {
  const struct {
    const char* kind;
    std::function<void(QtDialogs&)> open;
    QMessageBox::Icon icon;
  } cases[] = {
      {"information", [](QtDialogs& d) { d.ShowMessage("Carrier offset: 1.0 kHz"); },
       QMessageBox::Information},
      {"error", [](QtDialogs& d) { d.ShowError("Script executing error: x (line 1)"); },
       QMessageBox::Critical},
      {"warning", [](QtDialogs& d) { d.ShowWarning("No carrier normal set."); },
       QMessageBox::Warning},
      {"question", [](QtDialogs& d) { (void)d.Confirm("Replace it?"); }, QMessageBox::Question},
      {"warning question", [](QtDialogs& d) { (void)d.ConfirmWarning("Can't find Quillet."); },
       QMessageBox::Warning},
  };
  for (const auto& c : cases) EXPECT_EQ(IconOf(c.open), c.icon) << c.kind;
}

// Qt's own default would cover a main window of 632 x 440 exactly.
TEST(QtDialogs, SaveDialogOpensAtItsOwnSizeWithTheProposal) {
  test::Gui();
  QtDialogs dialogs;
  QSize size;
  QString name;
  QTimer::singleShot(0, [&] {
    if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      size = d->size();
      for (auto* e : d->findChildren<QLineEdit*>())
        if (e->isVisible()) name = e->text();
      d->reject();
    }
  });
  const std::string proposal = ToLatin1(QDir::tempPath()) + "/RDS 101.30 MHz.txt";
  EXPECT_EQ(dialogs.SaveFileName("Save As", proposal, "Text file (*.txt)"), "");
  EXPECT_GE(size.width(), 700);
  EXPECT_EQ(name, "RDS 101.30 MHz.txt");
}

}  // namespace
}  // namespace sondaro
