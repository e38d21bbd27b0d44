// The web view's server module, loaded as the program loads it, with real
// WebSocket viewers on loopback: who gets what, how many may watch, and what
// happens to a viewer that stops reading.
#include <gtest/gtest.h>

#include <QTcpSocket>
#include <QWebSocket>
#include <memory>

#include "platform/plugin_loader.h"
#include "platform/web_view.h"
#include "support/qt_pump.h"

namespace sondaro {
namespace {

using test::PumpUntil;

std::unique_ptr<WebView> StartServer(WebConfig config) {
  test::QtApp();
  std::string error;
  auto make = reinterpret_cast<MakeWebViewFn>(LoadModuleEntry(kWebViewModule, kWebViewEntry, error));
  if (!make) return nullptr;
  std::unique_ptr<WebView> server(make());
  config.Port = 0;
  if (!server->Start(config, error)) return nullptr;
  return server;
}

// A viewer that records what it is sent.
struct Viewer {
  QWebSocket socket;
  std::vector<QString> texts;
  std::vector<QByteArray> pictures;
  int pictureCount = 0;
  bool keepPictures = true;
  bool closed = false;
  explicit Viewer(int port) {
    QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString& t) { texts.push_back(t); });
    QObject::connect(&socket, &QWebSocket::binaryMessageReceived,
                     [this](const QByteArray& b) {
                       ++pictureCount;
                       if (keepPictures) pictures.push_back(b);
                     });
    QObject::connect(&socket, &QWebSocket::disconnected, [this] { closed = true; });
    socket.open(QUrl(QString("ws://127.0.0.1:%1/ws").arg(port)));
  }
  bool Open() { return PumpUntil([this] { return socket.state() == QAbstractSocket::ConnectedState || closed; }) && !closed; }
};

TEST(WebViewModule, DataGoesToNewViewersAndChartsOnlyToThoseShowingThem) {
  auto server = StartServer({});
  ASSERT_TRUE(server) << "module " << kWebViewModule << " not built";
  server->PublishState("live", R"({"frequency":"98.50 MHz"})");
  Viewer mpx(server->Port()), dev(server->Port());
  ASSERT_TRUE(mpx.Open());
  ASSERT_TRUE(dev.Open());
  // What was published before it came is the first thing a viewer gets.
  ASSERT_TRUE(PumpUntil([&] { return !mpx.texts.empty(); }));
  EXPECT_EQ(mpx.texts[0], R"({"part":"live","data":{"frequency":"98.50 MHz"}})");

  mpx.socket.sendTextMessage("show 4");
  dev.socket.sendTextMessage("show 1");
  // Anything else a viewer sends changes nothing.
  dev.socket.sendTextMessage("TUNE(101.30)");
  dev.socket.sendTextMessage("show 99");
  ASSERT_TRUE(PumpUntil([&] { return server->WantedCharts() == 5U; }));
  server->PublishChart(static_cast<int>(WebChart::Mpx), "mpx-png");
  ASSERT_TRUE(PumpUntil([&] { return !mpx.pictures.empty(); }));
  EXPECT_EQ(mpx.pictures[0], QByteArray("\x02mpx-png"));
  EXPECT_TRUE(dev.pictures.empty());

  // Turning to a chart brings its last picture at once.
  dev.socket.sendTextMessage("show 5");
  ASSERT_TRUE(PumpUntil([&] { return !dev.pictures.empty(); }));
  EXPECT_EQ(dev.pictures[0], QByteArray("\x02mpx-png"));
}

TEST(WebViewModule, ViewersBeyondTheLimitAreTurnedAway) {
  WebConfig config;
  config.MaxViewers = 2;
  auto server = StartServer(config);
  ASSERT_TRUE(server);
  Viewer a(server->Port()), b(server->Port());
  ASSERT_TRUE(a.Open());
  ASSERT_TRUE(b.Open());
  ASSERT_TRUE(PumpUntil([&] { return server->Viewers() == 2; }));
  Viewer c(server->Port());
  EXPECT_TRUE(PumpUntil([&] { return c.closed; }));
  EXPECT_EQ(c.socket.closeReason(), "too many viewers");
  EXPECT_EQ(server->Viewers(), 2);
  // A place that comes free is taken again.
  a.socket.close();
  ASSERT_TRUE(PumpUntil([&] { return server->Viewers() == 1; }));
  Viewer d(server->Port());
  EXPECT_TRUE(d.Open());
  EXPECT_TRUE(PumpUntil([&] { return server->Viewers() == 2; }));
}

TEST(WebViewModule, AViewerThatStopsReadingIsDroppedNotBufferedFor) {
  WebConfig config;
  config.MaxQueuedBytes = 256 * 1024;
  auto server = StartServer(config);
  ASSERT_TRUE(server);
  Viewer reader(server->Port());
  ASSERT_TRUE(reader.Open());
  reader.socket.sendTextMessage("show 4");

  // A hand-made viewer that asks for the MPX chart and then reads nothing.
  QTcpSocket stalled;
  stalled.setReadBufferSize(1);
  stalled.connectToHost("127.0.0.1", static_cast<quint16>(server->Port()));
  ASSERT_TRUE(stalled.waitForConnected(5000));
  stalled.write(QString("GET /ws HTTP/1.1\r\nHost: 127.0.0.1:%1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n")
                    .arg(server->Port())
                    .toLatin1());
  ASSERT_TRUE(PumpUntil([&] { return server->Viewers() == 2; }));
  const char show[] = {'\x81', static_cast<char>(0x80 | 6), 0, 0, 0, 0, 's', 'h', 'o', 'w', ' ', '4'};
  stalled.write(show, sizeof show);
  ASSERT_TRUE(PumpUntil([&] { return server->WantedCharts() == 4U; }));

  // Big pictures, far beyond what the socket buffers hold, each as soon as
  // the reader has its last one.
  reader.keepPictures = false;
  const std::string picture(512 * 1024, 'p');
  for (int i = 0; i < 400 && server->Viewers() == 2; ++i) {
    const int before = reader.pictureCount;
    server->PublishChart(static_cast<int>(WebChart::Mpx), picture);
    PumpUntil([&] { return reader.pictureCount > before || server->Viewers() < 2; });
  }
  EXPECT_TRUE(PumpUntil([&] { return server->Viewers() == 1; }));
  // The reader keeps its place and its pictures.
  EXPECT_FALSE(reader.closed);
  EXPECT_GT(reader.pictureCount, 0);
}

}  // namespace
}  // namespace sondaro
