// The MPX stream inside the program against the simulated analyzer, driven
// by a script: keywords, the stream, the spectrum file and the level
// placeholders; a new station clears the stores.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "core/text.h"
#include "support/sim_fixture.h"
#include "support/temp_dir.h"

namespace sondaro::test {
namespace {

class MpxOnAnalyzer : public SimFixture {
 protected:
  MpxOnAnalyzer() {
    app.tuning.BuildFrequencyList(false);
    ConnectSerial();
  }
  void RunScript(const std::string& text) {
    const std::string file = dir / "mpx.fms";
    std::ofstream(file, std::ios::binary) << text;
    app.automation.script.ExeScript(file);
    for (Millis t = 0; t < 120000 && app.automation.script.Running(); t += 10) Advance(10);
  }
  TempDir dir;
};

TEST_F(MpxOnAnalyzer, ScriptStreamsSavesTheSpectrumAndReadsTheLevels) {
  const std::string spectrum = dir / "fft.csv", levels = dir / "levels.txt";
  RunScript("TUNE(98.5)\r\n"
            "RF.MAXHOLD(1)\r\n"
            "MPX.RUN\r\n"
            "SLEEP(4)\r\n"
            "MPX.STOP\r\n"
            "FFT.SAVEDATA(" + spectrum + ")\r\n"
            "SAVETEXT(" + levels + ",%lmaxdb;%rmaxdb)\r\n");
  const Mpx& mpx = app.mpx;
  EXPECT_FALSE(mpx.StreamRunning());
  EXPECT_TRUE(mpx.rf.MaxHold);
  EXPECT_GE(mpx.capture.SpectrumCount, 3);
  EXPECT_GT(mpx.capture.PilotAmplitude, kStereoPilotThreshold);
  EXPECT_FALSE(mpx.MpxCaptureTime.empty());
  // 165 lines of one decimal each.
  const std::string text = ReadFile(spectrum);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 165);
  // The test tones: 1 kHz left and 3 kHz right, both well above -40 dB.
  const std::string expected = FormatFixed(mpx.capture.PeakLevelLeft, 1) + ";" +
                               FormatFixed(mpx.capture.PeakLevelRight, 1);
  EXPECT_EQ(ReadFile(levels), expected);
  EXPECT_GT(mpx.capture.PeakLevelLeft, -20);
  EXPECT_GT(mpx.capture.PeakLevelRight, -20);

  RunScript("TUNE(91.8)\r\nGETFREQUENCY\r\n");  // a new station clears the stores
  EXPECT_EQ(mpx.capture.SpectrumCount, 0);
  EXPECT_EQ(mpx.rf.CarrierSpectrum[0], -50);
  EXPECT_EQ(mpx.rf.InstantFrequencyHistogram[170], 0);
}

TEST_F(MpxOnAnalyzer, FlagKeywordsSetTheCheckBoxes) {
  RunScript("MPX.DOUBLETIMEBASE(1)\r\nRF.MASK(1)\r\nRF.HISTOGRAM(1)\r\nRF.MASK(x)\r\n");
  EXPECT_TRUE(app.mpx.DoubleTimeBase());
  EXPECT_TRUE(app.mpx.rf.Mask);
  EXPECT_TRUE(app.mpx.rf.Histogram);
  // No capture was asked for before the switch, so the "Single" after it is
  // demodulated on arrival.
  RunScript("MPX.DOUBLETIMEBASE(0)\r\nRF.CLEAR\r\nMPX.SINGLE\r\nSLEEP(3)\r\n");
  EXPECT_FALSE(app.mpx.DoubleTimeBase());
  EXPECT_EQ(app.mpx.capture.SpectrumCount, 1);
  // The state the box already has changes nothing: the page is not cleared.
  RunScript("MPX.DOUBLETIMEBASE(0)\r\nFFT.SINGLE\r\nSLEEP(3)\r\n");
  EXPECT_EQ(app.mpx.capture.SpectrumCount, 2);
  EXPECT_FALSE(app.mpx.StreamRunning());
}

}  // namespace
}  // namespace sondaro::test
