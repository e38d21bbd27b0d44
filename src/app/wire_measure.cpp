// The deviation histogram and modulation power stores, their charts, and the
// image and data files made from them.
#include "app/app.h"

namespace sondaro {

void App::WireMeasure() {
  link.bulk.hooks.StoreHistogram = [this](const HistogramCounts& c) {
    deviation.StoreHistogram(c);
  };
  link.bulk.hooks.StorePmValue = [this](float v) { power.StorePmValue(v); };
  // A new station clears these first; the other stores follow in their order.
  auto& clears = link.parser.hooks.FrequencyChangeClears;
  clears.insert(clears.begin(), {[this] { power.ClearPM(); }, [this] { deviation.ClearFDev(); }});

  deviation.OnlineChecked = [this] { return tuning.Online(); };
  power.EnterMeasuringMode = [this] {
    tuning.SetMode(0);
    tuning.SendMode();
  };

  images.Register(ChartTag::DEV, [this](int t, Canvas& c) { deviation.VymalujDEV(t, c); });
  images.Register(ChartTag::PM, [this](int t, Canvas& c) { power.VymalujPM(t, c); });
  auto debugError = [this](const std::string& m) { DebugError(m); };
  auto failure = [this](const std::string& m) { ReportFailedSave(m); };
  images.DebugError = debugError;
  images.ReportFailure = failure;
  dataFiles.DebugError = debugError;
  dataFiles.ReportFailure = failure;

  settings.Bind(
      SettingsStage::MainValues,
      [this](const Settings& s) {
        deviation.ShowHistogram = s.GetBool("General", "Histogram");
        images.SD1Dir = s.GetString("General", "SD1Dir");
        dataFiles.SD2Dir = s.GetString("General", "SD2Dir");
        images.BitmapWidth = s.GetInt("Bandscan", "BitmapWidth");
        images.BitmapHeight = s.GetInt("Bandscan", "BitmapHeight");
        view.Changed(Area::Deviation);
      },
      [this](Settings& s) {
        s.SetBool("General", "Histogram", deviation.ShowHistogram);
        s.SetString("General", "SD1Dir", images.SD1Dir);
        s.SetString("General", "SD2Dir", dataFiles.SD2Dir);
        s.SetInt("Bandscan", "BitmapWidth", images.BitmapWidth);
        s.SetInt("Bandscan", "BitmapHeight", images.BitmapHeight);
      });
  // The limit goes through the spin box, whose change handler moves the
  // "% above" threshold.
  settings.Bind(
      SettingsStage::MainApply,
      [this](const Settings& s) {
        deviation.SetDeviationLimit(s.GetInt("General", "DeviationLimit"));
      },
      [this](Settings& s) { s.SetInt("General", "DeviationLimit", deviation.DeviationLimit); });
}

}  // namespace sondaro
