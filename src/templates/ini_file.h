// A reader for INI profile text: sections of "key=value" lines, looked up by name without regard
// to letter case, with the value rules that templates rely on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "raster/color32.h"
#include "raster/color_names.h"

namespace mirelane {

// Values longer than this are cut to their first kIniMaxValueLength characters.
constexpr size_t kIniMaxValueLength = 2047;
// The section list is read in one piece of this many bytes: every name followed by a zero byte,
// the list closed by one more zero byte. Names that do not fit are not listed.
constexpr size_t kIniSectionListBytes = 16384;

// Rules where the classic format leaves a choice:
// - Lines end at LF, CR LF or a lone CR. A leading UTF-8 byte order mark is skipped; text that starts
//   with a UTF-16 byte order mark is converted to UTF-8 first, so files saved on Windows read alike.
// - A line whose first non-blank character is '[' and that holds a ']' starts a section; its name is the
//   text between '[' and the first ']' with surrounding blanks removed; anything after ']' is ignored.
// - A line inside a section that holds '=' is a key line: the key is the text before the first '=',
//   the value the text after it, both with surrounding blanks (space, tab, CR, VT, FF) removed. One
//   matching pair of double or single quotes around the value is removed, then the value is cut.
// - Every other line, key lines before the first section and key lines with an empty key are ignored.
// - Names are compared with ASCII letters folded to one case; other bytes compare exactly.
// - When a section name occurs twice, the first section wins: later sections of the same name are
//   ignored entirely and not listed again. Likewise the first of two equal keys in a section wins.
class IniFile {
 public:
  IniFile() = default;

  // Reads a file; fails with Error naming the file when it is missing, not a regular file or unreadable.
  static IniFile Load(const std::filesystem::path& path);
  static IniFile FromText(std::string_view text);

  // The section names in file order, as written, limited as the list size above describes.
  std::vector<std::string> ReadSections() const;
  // The section names, in file order, that the list above leaves out for want of room.
  std::vector<std::string> SectionsBeyondList() const;
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;

  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  // A value that is not a 32-bit integer (see TryStrToInt) gives the default.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
  // A colour name or an integer; a missing key gives the default, any other text throws Error.
  TColor ReadColor(std::string_view section, std::string_view key, TColor defaultValue) const;

 private:
  struct Section {
    std::string name;
    std::unordered_map<std::string, std::string> values;  // folded key -> value
  };
  const std::string* Find(std::string_view section, std::string_view key) const;

  std::vector<Section> sections_;                   // distinct sections in file order
  std::unordered_map<std::string, size_t> byName_;  // folded section name -> index
};

// The bytes of a profile file. Fails with Error naming the file when it cannot be opened or read, or
// is not a regular file (a folder, a device, a FIFO: checked without waiting on a FIFO's writer).
std::string ReadIniText(const std::filesystem::path& path);

// StrToIntDef reads a value by TryStrToInt (raster/color_names.h), the rule colour values share.
int32_t StrToIntDef(std::string_view text, int32_t defaultValue);

// Text with ASCII letters lowered, for comparing names without regard to case.
std::string FoldCase(std::string_view text);

}  // namespace mirelane
