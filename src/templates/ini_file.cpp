// INI profile parsing: lines to sections and keys, and the integer rules for values.
#include "templates/ini_file.h"

#include <limits>

#include "picture/regular_file.h"
#include "raster/color_names.h"
#include "raster/error.h"

namespace mirelane {

namespace {

// Far beyond any template (one of a few hundred layers is some tens of kilobytes).
constexpr uint64_t kMaxTemplateFileBytes = uint64_t{16} << 20;

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// UTF-16 text (after its byte order mark) to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](size_t i) {
    const auto b0 = static_cast<uint8_t>(bytes[i]), b1 = static_cast<uint8_t>(bytes[i + 1]);
    return static_cast<uint32_t>(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0));
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t code = unit(i);
    if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size()) {
      const uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      } else {
        code = 0xFFFD;
      }
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;
    }
    AppendUtf8(out, code);
  }
  return out;
}

}  // namespace

std::string ReadIniText(const std::filesystem::path& path) {
  try {
    const std::vector<uint8_t> bytes = ReadRegularFile(path.string(), kMaxTemplateFileBytes);
    return std::string(bytes.begin(), bytes.end());
  } catch (const FileReadError& e) {
    throw Error("Cannot read the template file \"" + path.string() + "\". " + e.what());
  }
}

std::string FoldCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

IniFile IniFile::Load(const std::filesystem::path& path) {
  return FromText(ReadIniText(path));
}

IniFile IniFile::FromText(std::string_view text) {
  std::string converted;
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  } else if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
    converted = Utf16ToUtf8(text.substr(2), text[0] == '\xFE');
    text = converted;
  }

  IniFile ini;
  Section* current = nullptr;  // null before the first section and inside ignored duplicates
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;

    if (!line.empty() && line.front() == '[') {
      const size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      const std::string_view name = Trim(line.substr(1, close - 1));
      auto [it, inserted] = ini.byName_.try_emplace(FoldCase(name), ini.sections_.size());
      if (inserted) {
        ini.sections_.push_back(Section{std::string(name), {}});
        current = &ini.sections_.back();
      } else {
        current = nullptr;
      }
      continue;
    }
    if (current == nullptr) continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) continue;
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    if (value.size() > kIniMaxValueLength) value = value.substr(0, kIniMaxValueLength);
    current->values.try_emplace(FoldCase(key), std::string(value));
  }
  return ini;
}

std::vector<std::string> IniFile::ReadSections() const {
  std::vector<std::string> names;
  size_t used = 1;  // the closing zero byte
  for (const Section& section : sections_) {
    used += section.name.size() + 1;
    if (used > kIniSectionListBytes) break;
    names.push_back(section.name);
  }
  return names;
}

std::vector<std::string> IniFile::SectionsBeyondList() const {
  const size_t listed = ReadSections().size();
  std::vector<std::string> names;
  for (size_t i = listed; i < sections_.size(); ++i) names.push_back(sections_[i].name);
  return names;
}

bool IniFile::SectionExists(std::string_view section) const {
  return byName_.contains(FoldCase(section));
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  return Find(section, key) != nullptr;
}

const std::string* IniFile::Find(std::string_view section, std::string_view key) const {
  const auto s = byName_.find(FoldCase(section));
  if (s == byName_.end()) return nullptr;
  const auto& values = sections_[s->second].values;
  const auto v = values.find(FoldCase(key));
  return v == values.end() ? nullptr : &v->second;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const std::string* value = Find(section, key);
  return value != nullptr ? *value : std::string(defaultValue);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const {
  const std::string* value = Find(section, key);
  return value != nullptr ? StrToIntDef(*value, defaultValue) : defaultValue;
}

TColor IniFile::ReadColor(std::string_view section, std::string_view key, TColor defaultValue) const {
  const std::string* value = Find(section, key);
  return value != nullptr ? StringToColor(*value) : defaultValue;
}

int32_t StrToIntDef(std::string_view text, int32_t defaultValue) {
  int32_t value;
  return TryStrToInt(text, value) ? value : defaultValue;
}

}  // namespace mirelane
