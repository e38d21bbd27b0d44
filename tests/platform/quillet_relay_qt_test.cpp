// The relay to the external decoder over the real Qt server: frames reach a
// QTcpSocket decoder, its commands come back, and the "EXIT" group still
// arrives when the program closes and tears the server down at once.
#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <fstream>

#include "app/app.h"
#include "platform/module_ports.h"
#include "support/fakes.h"
#include "support/qt_pump.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

using test::PumpUntil;
using test::QtApp;

int FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

TEST(QuilletRelayOverQt, FramesOutCommandsInExitAtClose) {
  QtApp();
  test::TempDir folder;
  std::ofstream(folder / "quillet.exe") << "#!/bin/sh\n";
  const int port = FreePort();
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  ModuleNetworkFactory network;
  RecordingShell shell;
  auto app = std::make_unique<App>(AppPorts{.clock = clock,
                                            .serial = serial,
                                            .tcp = tcp,
                                            .dialogs = dialogs,
                                            .network = &network,
                                            .appFolder = folder.Path(),
                                            .shell = &shell,
                                            .quilletPort = port,
                                            .userConfigFolder = folder.Path()});
  app->rds.relay.GradBtn20Click();
  ASSERT_TRUE(app->rds.relay.Listening());
  ASSERT_EQ(shell.Started.size(), 1u);

  QTcpSocket decoder;
  decoder.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
  ASSERT_TRUE(PumpUntil([&] { return app->rds.relay.QuilletRunning(); }));

  app->rds.relay.SendToQuillet("2F01040841424344");
  ASSERT_TRUE(PumpUntil([&] { return decoder.bytesAvailable() >= 24; }));
  EXPECT_EQ(decoder.readAll().toStdString(), "G:\r\n2F01040841424344\r\n\r\n");

  decoder.write("098500*F");
  ASSERT_TRUE(PumpUntil([&] {
    const auto& q = app->link.queue.Commands();
    return std::find(q.begin(), q.end(), "098500*F") != q.end();
  }));

  app->Close();
  app.reset();  // the server goes with the App, without another event turn
  ASSERT_TRUE(PumpUntil([&] { return decoder.bytesAvailable() >= 24; }));
  EXPECT_EQ(decoder.readAll().toStdString(), "G:\r\nEXIT------------\r\n\r\n");
}

}  // namespace
}  // namespace sondaro
