// Data export files: their formats, the save dialogs and UlozData.
#include "output/data_files.h"

#include "measure/deviation_histogram.h"
#include "measure/modulation_power.h"
#include "support/link_fixture.h"
#include "support/save_dialogs.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

using test::FileExists;
using test::ReadFile;

TEST(DataFileTexts, HistogramHas122LinesAndNoHeader) {
  const std::string empty = HistogramFileText({});
  EXPECT_EQ(empty.substr(0, 10), "0;0\r\n1;0\r\n");
  EXPECT_EQ(empty.substr(empty.size() - 7), "121;0\r\n");  // no empty line after
  std::size_t lines = 0;
  for (std::size_t p = 0; (p = empty.find("\r\n", p)) != std::string::npos; p += 2) ++lines;
  EXPECT_EQ(lines, 122u);

  HistogramCounts bins{};
  bins[75] = 12345;
  bins[121] = -3;
  const std::string text = HistogramFileText(bins);
  EXPECT_NE(text.find("\r\n75;12345\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n121;-3\r\n"), std::string::npos);
}

TEST(DataFileTexts, ValuesUseOneDecimalAndTheSystemSeparator) {
  const std::vector<float> values{-12.34f, 0.06f, 3.0f, -61.0f};
  EXPECT_EQ(ValuesFileText(values), "-12.3\r\n0.1\r\n3.0\r\n-61.0\r\n");
  Formats().DecimalSeparator = ',';
  EXPECT_EQ(ValuesFileText(values), "-12,3\r\n0,1\r\n3,0\r\n-61,0\r\n");
  Formats().DecimalSeparator = '.';
  EXPECT_EQ(ValuesFileText({}), "");
}

class DataFilesTest : public test::LinkFixture {
 protected:
  DataFilesTest() {
    files.DebugError = [this](const std::string& m) { debugErrors.push_back(m); };
    files.ReportFailure = [this](const std::string& m) { failures.push_back(m); };
  }
  test::TempDir dir;
  test::SaveDialogs dialogs;
  DeviationHistogram dev{clock, view, link};
  ModulationPower pm{clock, view, link};
  DataFiles files{dialogs, dir.Path(), link.state, dev, pm};
  std::vector<std::string> debugErrors, failures;
};

TEST_F(DataFilesTest, HistogramSaveProposesANameAndMovesTheFolder) {
  std::filesystem::create_directory(dir / "out");
  link.state.FrequencyText = " 98.50 MHz";
  HistogramCounts bins{};
  bins[40] = 7;
  dev.StoreHistogram(bins);
  dialogs.Answer = dir / "out/h.csv";
  files.Histogram2Click();
  ASSERT_EQ(dialogs.SaveShown.size(), 1u);
  EXPECT_EQ(dialogs.SaveShown[0].Proposal, dir / "Histogram  98.50 MHz.csv");
  EXPECT_EQ(dialogs.SaveShown[0].Filter, "CSV File (*.csv)");
  EXPECT_EQ(ReadFile(dir / "out/h.csv"), HistogramFileText(bins));
  EXPECT_EQ(files.SD2Dir, dir / "out/");

  // Without a frequency no name is proposed: the dialog opens in the folder.
  link.state.FrequencyText.clear();
  files.Histogram2Click();
  EXPECT_EQ(dialogs.SaveShown[1].Proposal, dir / "out/");
}

TEST_F(DataFilesTest, CancelWritesNothingAndKeepsTheFolder) {
  dialogs.Answer.clear();
  files.ModulationPower2Click();
  files.Spectrum1Click();
  EXPECT_EQ(dialogs.SaveShown.size(), 2u);
  EXPECT_EQ(files.SD2Dir, dir.Path());
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST_F(DataFilesTest, PowerFileListsTheHistoryAndIsEmptyAfterAClear) {
  for (float v : {-3.0f, -2.46f, 999.0f}) pm.StorePmValue(v);
  dialogs.Answer = dir / "pm.csv";
  files.ModulationPower2Click();
  EXPECT_EQ(ReadFile(dir / "pm.csv"), "-3.0\r\n-2.5\r\n");
  pm.ClearPM();
  files.ModulationPower2Click();
  EXPECT_TRUE(FileExists(dir / "pm.csv"));
  EXPECT_EQ(ReadFile(dir / "pm.csv"), "");
}

TEST_F(DataFilesTest, NameWithoutExtensionGetsCsvAndAsksBeforeReplacing) {
  dialogs.Answer = dir / "data";
  files.ModulationPower2Click();
  EXPECT_TRUE(FileExists(dir / "data.csv"));
  EXPECT_FALSE(FileExists(dir / "data"));
  pm.StorePmValue(1);
  dialogs.ConfirmAnswer = false;  // "data.csv already exists": No
  files.ModulationPower2Click();
  EXPECT_EQ(ReadFile(dir / "data.csv"), "");
  EXPECT_EQ(dialogs.Messages.size(), 1u);
  dialogs.ConfirmAnswer = true;
  files.ModulationPower2Click();
  EXPECT_EQ(ReadFile(dir / "data.csv"), "1.0\r\n");
}

TEST_F(DataFilesTest, FailedInteractiveSaveIsReportedAndStillMovesTheFolder) {
  dialogs.Answer = dir / "gone/h.csv";
  files.Histogram2Click();
  EXPECT_EQ(failures, std::vector<std::string>{"Can't write to file " + (dir / "gone/h.csv")});
  EXPECT_TRUE(debugErrors.empty());
  EXPECT_EQ(files.SD2Dir, dir / "gone/");
}

TEST_F(DataFilesTest, UlozDataWritesTheSpectrumOnlyForMpx) {
  files.Spectrum = [] { return std::vector<float>(165, -61.0f); };
  ASSERT_TRUE(files.UlozData(ChartTag::MPX, "fft.csv"));  // relative: the program folder
  const std::string fft = ReadFile(dir / "fft.csv");
  EXPECT_EQ(fft.substr(0, 7), "-61.0\r\n");
  EXPECT_EQ(fft.size(), 165u * 7);

  for (ChartTag tag : {ChartTag::DEV, ChartTag::PM, ChartTag::RF, ChartTag::BAND}) {
    ASSERT_TRUE(files.UlozData(tag, dir / "fft.csv"));
    EXPECT_EQ(ReadFile(dir / "fft.csv"), "");  // created or truncated, nothing in it
  }
  EXPECT_FALSE(files.UlozData(ChartTag::MPX, "no/such/folder.csv"));
  EXPECT_EQ(debugErrors, std::vector<std::string>{"Can't write to file no/such/folder.csv"});
}

TEST_F(DataFilesTest, FftMenuCreatesAnEmptyFileAndSaveFftdWritesTheSpectrum) {
  std::filesystem::create_directory(dir / "a");
  dialogs.Answer = dir / "a/menu.csv";
  files.Spectrum = [] { return std::vector<float>{1.0f, 2.0f}; };
  files.Spectrum1Click();
  EXPECT_TRUE(FileExists(dir / "a/menu.csv"));
  EXPECT_EQ(ReadFile(dir / "a/menu.csv"), "");
  EXPECT_EQ(files.SD2Dir, dir / "a/");

  files.SD2Dir = dir.Path();
  dialogs.Answer = dir / "a/fftd.csv";
  files.GradBtn15Click();
  EXPECT_EQ(ReadFile(dir / "a/fftd.csv"), "1.0\r\n2.0\r\n");
  EXPECT_EQ(files.SD2Dir, dir.Path());  // "Save FFTD" leaves the folder
}

}  // namespace
}  // namespace sondaro
