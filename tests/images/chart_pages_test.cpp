// The chart pages in the main window: their buttons, the File and Edit menu
// entries of the active page, and the deviation limit on the Setup page.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGroupBox>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>

#include "app/app.h"
#include "gui_app.h"
#include "platform/qpainter_canvas.h"
#include "platform/qt_clipboard.h"
#include "support/fakes.h"
#include "support/menu_text.h"
#include "support/save_dialogs.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/pages/deviation_page.h"

namespace sondaro {
namespace {

struct Gui {
  Gui() { test::Gui(); }
};

class ChartPagesTest : public ::testing::Test {
 protected:
  Gui gui;
  test::TempDir dir;
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  test::SaveDialogs dialogs;
  QImageCanvas bitmap;
  QtClipboard clipboard;
  App app{AppPorts{.clock = clock,
                   .serial = serial,
                   .tcp = tcp,
                   .dialogs = dialogs,
                   .appFolder = dir.Path(),
                   .userConfigFolder = dir / "user/",
                   .bitmap = &bitmap,
                   .clipboard = &clipboard}};
  MainWindow window{app};

  QPushButton* Button(int page, const QString& text) {
    for (auto* b : window.Pages()->widget(page)->findChildren<QPushButton*>())
      if (b->text() == text) return b;
    return nullptr;
  }
  QAction* MenuEntry(const QString& menu, const QString& entry) {
    for (QAction* m : window.menuBar()->actions())
      if (test::MenuText(m) == menu && m->menu())
        for (QAction* a : m->menu()->actions()) {
          if (test::MenuText(a) == entry) return a;
          if (a->menu())
            for (QAction* sub : a->menu()->actions())
              if (test::MenuText(sub) == entry) return sub;
        }
    return nullptr;
  }
};

TEST_F(ChartPagesTest, DeviationPageButtons) {
  window.Pages()->setCurrentIndex(0);
  for (const char* caption : {"Acquire", "Reset", "Change", "Save Data", "Save Bitmap"})
    ASSERT_NE(Button(0, caption), nullptr) << caption;
  Button(0, "Acquire")->click();
  EXPECT_EQ(app.link.queue.Commands().size(), 2u);  // "?F", "?H"

  auto* frame = window.Pages()->widget(0)->findChild<QGroupBox*>();
  EXPECT_EQ(frame->title(), "Frequency Deviation Histogram");
  Button(0, "Change")->click();
  EXPECT_EQ(frame->title(), "Accumulated Distribution Plot of Frequency Deviation");

  dialogs.Answer = dir / "dev.jpeg";
  Button(0, "Save Bitmap")->click();
  const QImage saved(QString::fromStdString(dir / "dev.jpeg"));
  EXPECT_EQ(saved.size(), QSize(521, 233));
}

TEST_F(ChartPagesTest, PowerPageButtons) {
  for (const char* caption : {"Run", "Stop", "Clear", "Save Data", "Save Bitmap"})
    ASSERT_NE(Button(1, caption), nullptr) << caption;
  app.power.StorePmValue(-4.0f);
  dialogs.Answer = dir / "pm.csv";
  Button(1, "Save Data")->click();
  EXPECT_EQ(test::ReadFile(dir / "pm.csv"), "-4.0\r\n");
  Button(1, "Clear")->click();
  EXPECT_TRUE(app.power.PmHistory.empty());
}

TEST_F(ChartPagesTest, MenusActOnTheActivePage) {
  QAction* save = MenuEntry("File", "Save Bitmap");
  QAction* copy = MenuEntry("Edit", "Copy Bitmap");
  ASSERT_TRUE(save && copy);
  for (const char* entry : {"Histogram", "Modulation Power", "FFT"})
    EXPECT_NE(MenuEntry("File", entry), nullptr) << entry;

  window.Pages()->setCurrentIndex(1);
  QGuiApplication::clipboard()->clear();
  copy->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(609, 201));

  window.Pages()->setCurrentIndex(4);  // "RDS/RBDS": no chart, no dialog
  save->trigger();
  window.Pages()->setCurrentIndex(6);  // "Setup"
  save->trigger();
  EXPECT_TRUE(dialogs.SaveShown.empty());

  window.Pages()->setCurrentIndex(0);
  dialogs.Answer = dir / "menu.bmp";
  save->trigger();
  EXPECT_EQ(QImage(QString::fromStdString(dir / "menu.bmp")).size(), QSize(521, 233));
  EXPECT_EQ(app.images.SD1Dir, dir.Path());
}

TEST_F(ChartPagesTest, SavedImageIsWhatTheScreenShowsWithoutCursor) {
  HistogramCounts bins{};
  for (int i = 0; i < 122; ++i) bins[i] = (i * 7919) % 500;
  app.deviation.StoreHistogram(bins);
  ChartWidget* chart = static_cast<DeviationPage*>(window.Pages()->widget(0))->Chart();
  const QImage screen = chart->Picture().convertToFormat(QImage::Format_RGB888);
  ASSERT_TRUE(app.images.UlozObrazek(ChartTag::DEV, "same.bmp"));
  const QImage saved =
      QImage(QString::fromStdString(dir / "same.bmp")).convertToFormat(QImage::Format_RGB888);
  EXPECT_EQ(saved, screen);

  QMouseEvent press(QEvent::MouseButtonPress, QPointF(200, 100),
                    chart->mapToGlobal(QPointF(200, 100)), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(chart, &press);
  ASSERT_TRUE(app.deviation.Chart.CursorShown());
  EXPECT_NE(chart->Picture().convertToFormat(QImage::Format_RGB888), screen);
  ASSERT_TRUE(app.images.UlozObrazek(ChartTag::DEV, "cursor.bmp"));
  EXPECT_EQ(
      QImage(QString::fromStdString(dir / "cursor.bmp")).convertToFormat(QImage::Format_RGB888),
      saved);
}

// The chart on screen follows the deviation limit set on another page: a
// paint draws the current data, not an earlier picture.
TEST_F(ChartPagesTest, DeviationChartShowsTheLimitSetOnTheSetupPage) {
  HistogramCounts bins{};
  for (int i = 0; i < 122; ++i) bins[i] = 100;
  app.deviation.StoreHistogram(bins);
  window.show();
  window.Pages()->setCurrentIndex(0);
  ChartWidget* chart = static_cast<DeviationPage*>(window.Pages()->widget(0))->Chart();
  auto screen = [chart] { return chart->grab().toImage().convertToFormat(QImage::Format_RGB888); };
  const QImage before = screen();

  window.Pages()->setCurrentIndex(6);
  QSpinBox* spin = window.Pages()->widget(6)->findChild<QSpinBox*>();
  ASSERT_NE(spin, nullptr);
  spin->setValue(90);
  window.Pages()->setCurrentIndex(0);
  const QImage after = screen();
  EXPECT_NE(after, before);
  ASSERT_TRUE(app.images.UlozObrazek(ChartTag::DEV, "limit.bmp"));
  EXPECT_EQ(after, QImage(QString::fromStdString(dir / "limit.bmp"))
                       .convertToFormat(QImage::Format_RGB888));
}

TEST_F(ChartPagesTest, SetupSpinBoxIsTheDeviationLimit) {
  QSpinBox* spin = nullptr;
  for (auto* s : window.Pages()->widget(6)->findChildren<QSpinBox*>())
    if (s->suffix() == " kHz") spin = s;
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(spin->minimum(), 50);
  EXPECT_EQ(spin->maximum(), 110);
  spin->setValue(104);
  EXPECT_EQ(app.deviation.DeviationLimit, 104);
  EXPECT_EQ(app.deviation.AboveThresholdKHz, 100);
  EXPECT_EQ(app.deviation.AbovePercent, -1);
  app.deviation.SetDeviationLimit(60);  // from the settings or a script
  EXPECT_EQ(spin->value(), 60);
}

}  // namespace
}  // namespace sondaro
