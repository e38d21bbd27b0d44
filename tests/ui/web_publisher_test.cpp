// The program's side of the web view: what it builds and draws for the
// server, and when.
#include "ui/web_start.h"

#include <gtest/gtest.h>

#include <QThread>

#include "app/app.h"
#include "platform/qpainter_canvas.h"
#include "support/fakes.h"
#include "support/gui_app.h"

namespace sondaro {
namespace {

class FakeWebView final : public WebView {
 public:
  int viewers = 0;
  unsigned wanted = 0;
  std::map<std::string, std::string> state;
  int statesSent = 0;
  std::vector<std::pair<int, std::string>> charts;

  bool Start(const WebConfig&, std::string&) override { return true; }
  int Port() const override { return 1; }
  int Viewers() const override { return viewers; }
  unsigned WantedCharts() const override { return wanted; }
  void PublishState(const std::string& part, const std::string& json) override {
    state[part] = json;
    ++statesSent;
  }
  void PublishChart(int chart, const std::string& png) override { charts.emplace_back(chart, png); }
  long long BytesSent() const override { return 0; }
};

class WebPublisherTest : public ::testing::Test {
 protected:
  WebPublisherTest() { test::Gui(); }
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  QImageCanvas bitmap;
  App app{AppPorts{.clock = clock, .serial = serial, .tcp = tcp, .dialogs = dialogs, .bitmap = &bitmap}};
  FakeWebView* server = new FakeWebView;
  WebPublisher publisher{app, bitmap, std::unique_ptr<WebView>(server)};

  // Past the limit of pictures per second.
  static void NextRound() { QThread::msleep(1000 / WebPublisher::kChartsPerSecond + 50); }
};

TEST_F(WebPublisherTest, NothingIsBuiltOrDrawnForNobody) {
  server->wanted = 1U << static_cast<int>(ChartTag::MPX);
  publisher.Tick();
  EXPECT_EQ(server->statesSent, 0);
  EXPECT_EQ(publisher.PicturesMade(), 0);
}

TEST_F(WebPublisherTest, PartsGoWhenTheyChange) {
  server->viewers = 1;
  app.link.readouts.Label1 = " 98.50 MHz";
  app.status.SetText("Connected");
  publisher.Tick();
  EXPECT_NE(server->state["live"].find("\"frequency\":\"98.50 MHz\""), std::string::npos);
  EXPECT_NE(server->state["log"].find("Connected"), std::string::npos);
  const int sent = server->statesSent;
  publisher.Tick();
  EXPECT_EQ(server->statesSent, sent);  // nothing changed, nothing sent
  app.link.readouts.Label1 = " 101.30 MHz";
  publisher.Tick();
  EXPECT_EQ(server->statesSent, sent + 1);
}

TEST_F(WebPublisherTest, AChartIsDrawnOnlyWhileShownAndWhenItChanged) {
  server->viewers = 1;
  server->wanted = 1U << static_cast<int>(ChartTag::DEV);
  publisher.Tick();
  ASSERT_EQ(server->charts.size(), 1U);
  EXPECT_EQ(server->charts[0].first, static_cast<int>(ChartTag::DEV));
  EXPECT_EQ(server->charts[0].second.substr(0, 4), "\x89PNG");
  EXPECT_EQ(publisher.PicturesMade(), 1);

  NextRound();
  publisher.Tick();
  EXPECT_EQ(publisher.PicturesMade(), 1);  // unchanged: not drawn again

  // Asked to repaint without a change: drawn, but the same picture is not sent.
  app.view.Repaint(ChartTag::DEV);
  NextRound();
  publisher.Tick();
  EXPECT_EQ(publisher.PicturesMade(), 2);
  EXPECT_EQ(server->charts.size(), 1U);

  // A chart no viewer shows waits, however it changes.
  app.view.Repaint(ChartTag::PM);
  NextRound();
  publisher.Tick();
  EXPECT_EQ(publisher.PicturesMade(), 2);
  server->wanted |= 1U << static_cast<int>(ChartTag::PM);
  publisher.Tick();
  ASSERT_EQ(server->charts.size(), 2U);
  EXPECT_EQ(server->charts[1].first, static_cast<int>(ChartTag::PM));
}

}  // namespace
}  // namespace sondaro
