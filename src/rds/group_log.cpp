#include "rds/group_log.h"

#include <cerrno>
#include <cstring>

#include "core/formats.h"
#include "core/text.h"
#include "rds/text_file_dialog.h"

namespace sondaro {

std::string GroupLogLine(const RawGroup& g, Millis wall) {
  std::string line;
  char buf[32];
  const std::uint16_t words[] = {g.A, g.B, g.C, g.D};
  for (int i = 0; i < 4; ++i) {
    if (g.Missing & (1u << i)) {
      line += "----";
    } else {
      std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(words[i]));
      line += buf;
    }
    line += ' ';
  }
  const DateTimeParts p = SplitWall(wall);
  std::snprintf(buf, sizeof buf, "@%04d/%02d/%02d %02d:%02d:%02d.%02d", p.Year, p.Month, p.Day,
                p.Hour, p.Minute, p.Second, p.Millisecond / 10);
  return line + buf;
}

std::string GroupLogHeader(Millis wall, const std::string& notes) {
  const DateTimeParts p = SplitWall(wall);
  char when[64];
  std::snprintf(when, sizeof when, "date=\"%04d-%02d-%02d\" time=\"%02d-%02d-%02d\"", p.Year,
                p.Month, p.Day, p.Hour, p.Minute, p.Second);
  // The notes sit inside quotes on one line.
  std::string clean = notes;
  for (char& c : clean)
    if (c == '"' || c == '<' || c == '>' || static_cast<unsigned char>(c) < 32) c = ' ';
  return std::string("<recorder=\"Sondaro\" ") + when +
         " source=\"\" name=\"\" location=\"\" notes=\"" + Trim(clean) + "\">";
}

std::string GroupLogFileName(Millis wall) {
  const DateTimeParts p = SplitWall(wall);
  char name[40];
  std::snprintf(name, sizeof name, "RDS Groups %04d-%02d-%02d.txt", p.Year, p.Month, p.Day);
  return name;
}

void RdsGroupLog::SetEnabled(bool on) {
  enabled_ = on;
  Close();
  reported_ = false;
}

void RdsGroupLog::SetFolder(std::string folder) {
  folder_ = std::move(folder);
  Close();
  reported_ = false;
}

void RdsGroupLog::NewStation(const std::string& frequencyText) {
  notes_ = frequencyText;
  headerDue_ = true;
}

void RdsGroupLog::Append(const std::string& groupText, Millis wall) {
  if (!enabled_) return;
  const std::string path =
      FileInFolder(folder_.empty() ? appFolder_ : FileInFolder(appFolder_, folder_),
                   GroupLogFileName(wall));
  if (path != path_) {
    Close();
    path_ = path;
  }
  std::string text;
  if (!file_ || headerDue_) text = GroupLogHeader(wall, notes_) + std::string(kCrLf);
  text += GroupLogLine(ParseRawGroup(groupText), wall);
  text += kCrLf;
  if (Write(path, text)) {
    headerDue_ = false;
    reported_ = false;
  }
}

bool RdsGroupLog::Write(const std::string& path, const std::string& text) {
  errno = 0;
  if (!file_) file_.reset(std::fopen(path.c_str(), "ab"));
  // Flushed line by line: a reader following the file sees each group, and
  // a crash loses none.
  if (file_ && std::fwrite(text.data(), 1, text.size(), file_.get()) == text.size() &&
      std::fflush(file_.get()) == 0)
    return true;
  const std::string reason = errno ? std::strerror(errno) : "write failed";
  Close();
  if (reported_) return false;
  reported_ = true;
  if (hooks.ReportError) hooks.ReportError("RDS group log: can't write " + path + " (" + reason + ")");
  return false;
}

}  // namespace sondaro
