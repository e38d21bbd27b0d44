// The MP3 recorder: [MP3Recorder] settings, its script keywords and the
// heartbeat that lets captured audio through.
#include "app/app.h"
#include "core/text.h"

namespace sondaro {

void App::WireRecorder() {
  recorder.hooks.DebugError = [this](const std::string& m) { DebugError(m); };
  recorder.hooks.AppFolder = AppFolder();
  // Stamped by the 100 ms activity timer, the command queue and the script
  // ticks.
  recorder.hooks.Heartbeat = [this] { return link.state.LastActivity; };

  CommandTable& commands = automation.script.Commands();
  // RECORDER.RUN(file[,mode]) toggles: a second one stops the recording.
  commands.Add({"RECORDER.RUN", ArgForm::Text, [this](ScriptCall& c) {
                  if (recorder.Running()) {
                    recorder.EncodeStop();
                    return;
                  }
                  const std::string& arg = c.Arg.Text;
                  const auto comma = arg.find(',');
                  recorder.RecorderFile = arg.substr(0, comma);
                  const std::string mode =
                      comma == std::string::npos ? std::string() : ToUpper(arg.substr(comma + 1));
                  // An empty mode would leave a file open that no stop closes.
                  recorder.RecorderMode = mode.empty() ? "STEREO" : mode;
                  recorder.EncodeStart();
                }});
  commands.Add({"RECORDER.STOP", ArgForm::None, [this](ScriptCall&) { recorder.EncodeStop(); }});

  settings.Bind(
      SettingsStage::Dialogs,
      [this](const Settings& s) {
        RecorderSettings& r = recorder.Settings;
        r.Samplerate = s.GetInt("MP3Recorder", "Samplerate");
        r.BitrateMono = s.GetInt("MP3Recorder", "BitrateMono");
        r.BitrateStereo = s.GetInt("MP3Recorder", "BitrateStereo");
        r.Quality = s.GetInt("MP3Recorder", "Quality");
        r.Copyright = s.GetBool("MP3Recorder", "Copyright");
        r.CRC = s.GetBool("MP3Recorder", "CRC");
        r.Original = s.GetBool("MP3Recorder", "Original");
        r.Private = s.GetBool("MP3Recorder", "Private");
        view.Changed(Area::Recorder);
      },
      [this](Settings& s) {
        const RecorderSettings& r = recorder.Settings;
        s.SetInt("MP3Recorder", "Samplerate", r.Samplerate);
        s.SetInt("MP3Recorder", "BitrateMono", r.BitrateMono);
        s.SetInt("MP3Recorder", "BitrateStereo", r.BitrateStereo);
        s.SetInt("MP3Recorder", "Quality", r.Quality);
        s.SetBool("MP3Recorder", "Copyright", r.Copyright);
        s.SetBool("MP3Recorder", "CRC", r.CRC);
        s.SetBool("MP3Recorder", "Original", r.Original);
        s.SetBool("MP3Recorder", "Private", r.Private);
      });
}

}  // namespace sondaro
