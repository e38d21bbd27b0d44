#include "core/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unordered_set>

#include "core/text.h"

namespace sondaro {

namespace {

// "[General]" -> "General"; nullopt for any other line.
std::optional<std::string> SectionName(std::string_view line) {
  const std::string_view t = TrimView(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  const std::size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

struct KeyLine {
  std::string_view Key;  // views into the line: lookups allocate nothing
  std::string_view Value;
};

std::optional<KeyLine> SplitKeyLine(std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  const std::string_view key = TrimView(line.substr(0, eq));
  if (key.empty()) return std::nullopt;
  return KeyLine{key, line.substr(eq + 1)};
}

bool IsBlankLine(const std::string& line) { return TrimView(line).empty(); }

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

// The file a path names at the end of its symbolic links; a relative link
// counts from the link's own folder.
std::string ResolveLinks(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path p(path);
  for (int hops = 0; hops < 40; ++hops) {  // as many as the kernel follows
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(p, ec))) break;
    const fs::path to = fs::read_symlink(p, ec);
    if (ec) break;
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
  return p.string();
}

}  // namespace

std::optional<int> ReadProfileInteger(std::string_view text) {
  const std::string t = Trim(text);
  std::string_view digits;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) digits = std::string_view(t).substr(2);
  else if (t.size() > 1 && t[0] == '$') digits = std::string_view(t).substr(1);
  else return ReadInt32(t);
  const auto v = ReadHex(digits);  // at most 8 digits
  if (!v) return std::nullopt;
  // "0xFFFFFFFF" is -1, as a 32-bit register would hold it.
  return static_cast<int>(static_cast<std::uint32_t>(*v));
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  std::vector<std::string>* target = &ini.preamble_;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
    if (auto name = SectionName(line)) {
      ini.sections_.push_back({std::move(*name), {}, {}});
      target = &ini.sections_.back().Lines;
    } else {
      target->emplace_back(line);
    }
  }
  return ini;
}

IniFile IniFile::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return Parse(text);
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  for (Section& s : sections_)
    if (EqualsNoCase(s.Name, name)) return &s;
  return nullptr;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  for (const Section& s : sections_)
    if (EqualsNoCase(s.Name, name)) return &s;
  return nullptr;
}

const std::string* IniFile::FindLine(const Section& s, std::string_view key) {
  KeyIndex& index = s.Index;
  if (!index.Built) {
    for (std::size_t i = 0; i < s.Lines.size(); ++i)
      if (const auto kl = SplitKeyLine(s.Lines[i])) index.Lines.emplace(kl->Key, i);  // first stays
    index.Built = true;
  }
  const auto it = index.Lines.find(key);
  return it == index.Lines.end() ? nullptr : &s.Lines[it->second];
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  const std::string* line = s ? FindLine(*s, key) : nullptr;
  if (!line) return std::nullopt;
  std::string value = Trim(SplitKeyLine(*line)->Value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
  return value;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  auto v = Find(section, key);
  return v ? std::move(*v) : std::string(def);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  const auto v = Find(section, key);
  if (!v) return def;
  return ReadProfileInteger(*v).value_or(def);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section* s = FindSection(section);
  if (!s) {
    sections_.push_back({std::string(section), {}, {}});
    s = &sections_.back();
  }
  s->Index.Drop();
  std::string line = std::string(key) + "=" + std::string(value);
  for (std::string& existing : s->Lines) {
    const auto kl = SplitKeyLine(existing);
    if (kl && EqualsNoCase(kl->Key, key)) {
      // Keep the spelling the file already uses for the key.
      existing = std::string(kl->Key) + "=" + std::string(value);
      return;
    }
  }
  // After the last non-blank line, so a blank line before the next section
  // stays where it is.
  auto at = s->Lines.end();
  while (at != s->Lines.begin() && IsBlankLine(*(at - 1))) --at;
  s->Lines.insert(at, std::move(line));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool IniFile::HasSection(std::string_view section) const { return FindSection(section) != nullptr; }

std::vector<std::string> IniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const Section* s = FindSection(section);
  if (!s) return keys;
  std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual> seen;
  for (const std::string& line : s->Lines)
    if (const auto kl = SplitKeyLine(line); kl && seen.insert(kl->Key).second)
      keys.emplace_back(kl->Key);
  return keys;
}

std::vector<std::string> IniFile::Sections() const {
  std::vector<std::string> names;
  for (const Section& s : sections_) names.push_back(s.Name);
  return names;
}

std::string IniFile::Text() const {
  std::string out;
  auto put = [&out](std::string_view a, std::string_view b = {}, std::string_view c = {}) {
    out.append(a).append(b).append(c).append("\r\n");
  };
  for (const std::string& line : preamble_) put(line);
  for (const Section& s : sections_) {
    put("[", s.Name, "]");
    for (const std::string& line : s.Lines) put(line);
  }
  return out;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & kAnyWrite) == 0;
}

bool IniFile::Save(const std::string& path) const {
  const std::string target = ResolveLinks(path);
  struct stat old {};
  const bool existed = ::stat(target.c_str(), &old) == 0;
  if (existed && (old.st_mode & kAnyWrite) == 0) return false;
  const std::string text = Text();
  const std::string temp = target + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  // The new file keeps the old one's permissions (a private 0600 stays so).
  bool ok = !existed || ::fchmod(fd, old.st_mode & 07777) == 0;
  std::size_t done = 0;
  while (ok && done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && std::rename(temp.c_str(), target.c_str()) == 0) return true;
  std::remove(temp.c_str());
  return false;
}

}  // namespace sondaro
