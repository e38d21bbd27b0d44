// The pages "MPX" and "RF Carrier": their controls act on the engine, the
// check boxes follow the engine's state, and a processed capture is drawn at
// once onto the shown MPX chart.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>

#include "support/window_fixture.h"
#include "ui/pages/mpx_page.h"

namespace sondaro::test {
namespace {

// The control of that type and caption on page `index`.
template <typename W>
W* On(WindowRig<>& rig, int index, const QString& text) {
  for (auto* w : rig.window.Pages()->widget(index)->findChildren<W*>())
    if (w->text() == text) return w;
  return nullptr;
}

TEST(MpxPages, ButtonsAndCheckBoxesReachTheEngine) {
  WindowRig<> rig;
  for (int page : {2, 3}) {
    On<QPushButton>(rig, page, "Run")->click();
    EXPECT_TRUE(rig.app.mpx.StreamRunning());
    On<QPushButton>(rig, page, "Stop")->click();
    EXPECT_FALSE(rig.app.mpx.StreamRunning());
  }
  On<QCheckBox>(rig, 2, "Double")->click();
  EXPECT_TRUE(rig.app.mpx.DoubleTimeBase());
  On<QCheckBox>(rig, 3, "Max hold")->click();
  EXPECT_TRUE(rig.app.mpx.rf.MaxHold);
  // A script sets the engine; the box follows.
  rig.app.mpx.rf.SRCheckBox7Change(true);
  EXPECT_TRUE(On<QCheckBox>(rig, 3, "Mask")->isChecked());
}

TEST(MpxPages, CaptureIsDrawnAtOnceOnTheShownChart) {
  WindowRig<> rig;
  rig.window.show();
  rig.window.Pages()->setCurrentIndex(2);
  auto* page = qobject_cast<MpxPage*>(rig.window.Pages()->currentWidget());
  ASSERT_NE(page, nullptr);
  const QImage before = page->Chart()->Picture().copy();
  MeasurementState& s = rig.app.link.state;
  for (int k = 0; k < kMpxSampleCount; ++k) s.MpxSamples[k] = k % 2 ? 90.0f : 96.0f;
  s.MpxDataReady = true;
  rig.app.mpx.Demodulate();
  EXPECT_NE(page->Chart()->Picture(), before);  // no paint event needed
  EXPECT_FALSE(rig.app.mpx.MpxCaptureTime.empty());
}

}  // namespace
}  // namespace sondaro::test
