#pragma once
// A profile file ("[Section]" lines followed by "Key=Value" lines) with the
// semantics of the classic profile-string functions, so a file written by
// this program and one edited by hand or by an older installation read the
// same:
//   - section and key names compare without regard to case;
//   - blanks around keys and values are ignored; a value in one pair of
//     double (or single) quotes is read without them;
//   - a value is read through a 2048-byte buffer: 2047 characters at most;
//   - "0x"/"0X" integers are hexadecimal; invalid or missing gives the
//     default; booleans are integers, non-zero is true;
//   - writing a key that exists replaces its value where it stands; a new key
//     goes after the last line of its section; a new section goes at the end.
// Lines the program does not understand (comments, stray text) are kept, so
// a load-then-save leaves them in place.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/text.h"

namespace sondaro {

class IniFile {
 public:
  static constexpr std::size_t kMaxValueLength = 2047;

  IniFile() = default;
  // Parses file text; CR LF, LF or CR line ends.
  static IniFile Parse(std::string_view text);
  // Reads a file; a missing or unreadable file is an empty one.
  static IniFile Load(const std::string& path);

  // Raw value with blanks trimmed and one pair of quotes removed; nullopt
  // when the section or key is missing.
  [[nodiscard]] std::optional<std::string> Find(std::string_view section,
                                                std::string_view key) const;
  [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key,
                                       std::string_view def) const;
  [[nodiscard]] int ReadInteger(std::string_view section, std::string_view key, int def) const;
  [[nodiscard]] bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  [[nodiscard]] bool HasSection(std::string_view section) const;
  // Keys of a section in file order (first spelling of each).
  [[nodiscard]] std::vector<std::string> Keys(std::string_view section) const;
  // Section names in file order.
  [[nodiscard]] std::vector<std::string> Sections() const;

  // The whole file, CR LF line ends.
  [[nodiscard]] std::string Text() const;
  // Writes the text to a temporary file beside `path` and renames it over
  // `path`, so a failure (folder not writable, disk full) leaves the old file
  // as it was. A symbolic link is written through: the file it names is
  // replaced in its own folder and keeps its permissions, and the link stays.
  // A read-only file is left alone. False on any failure.
  [[nodiscard]] bool Save(const std::string& path) const;

 private:
  // Key -> its first line, made at the first lookup in a section (settings
  // read hundreds of keys from sections of hundreds of lines). It holds views
  // into the lines: any change to them drops it, and a copy starts without.
  struct KeyIndex {
    // noexcept, so a growing vector of sections moves them, not copies.
    KeyIndex() = default;
    KeyIndex(const KeyIndex&) noexcept {}
    KeyIndex& operator=(const KeyIndex&) noexcept {
      Drop();
      return *this;
    }
    void Drop() noexcept {
      Lines.clear();
      Built = false;
    }
    std::unordered_map<std::string_view, std::size_t, NoCaseHash, NoCaseEqual> Lines;
    bool Built = false;
  };
  struct Section {
    std::string Name;
    std::vector<std::string> Lines;  // the lines after the "[Name]" line
    mutable KeyIndex Index;
  };
  // The line of `key` in `s`, or nullptr.
  static const std::string* FindLine(const Section& s, std::string_view key);
  Section* FindSection(std::string_view name);
  [[nodiscard]] const Section* FindSection(std::string_view name) const;

  std::vector<std::string> preamble_;  // lines before the first section
  std::vector<Section> sections_;
};

// A file that exists without any write permission: the user made it
// read-only, so nothing writes it (root included). Follows links.
[[nodiscard]] bool IsReadOnlyFile(const std::string& path);

// Integer text as the profile reader takes it: decimal with a sign, or
// "0x"/"0X" (also "$") hexadecimal of up to 8 digits taken as 32 bits.
[[nodiscard]] std::optional<int> ReadProfileInteger(std::string_view text);

}  // namespace sondaro
