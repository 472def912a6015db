// Title, error text, number-field and text-file rules of the application shell.
#include "app/shell_text.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "raster/error.h"

namespace mirelane {

namespace {

char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string TitleFromExecutableName(std::string_view fileName) {
  if (fileName.size() >= 4) {
    std::string tail(fileName.substr(fileName.size() - 4));
    for (char& c : tail) c = AsciiLower(c);
    if (tail == ".exe") return std::string(fileName.substr(0, fileName.size() - 4));
  }
  std::string title;
  bool wordStart = true;
  for (char c : fileName) {
    if (c == '-' || c == '_') {
      title += ' ';
      wordStart = true;
    } else {
      title += wordStart ? AsciiUpper(c) : c;
      wordStart = (c == ' ');
    }
  }
  return title;
}

std::string ErrorReportText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) text += '.';
  return text;
}

int ReadNumberField(std::string_view text, int fieldMinimum) {
  // Leading blanks and a sign are accepted like a spin box accepts them; anything else is not a number.
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = (text[i++] == '-');
  if (i == text.size()) return fieldMinimum;
  long long value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ') break;
    if (c < '0' || c > '9') return fieldMinimum;
    if (value < 1000000000LL) value = value * 10 + (c - '0');
  }
  for (; i < text.size(); ++i) {
    if (text[i] != ' ') return fieldMinimum;
  }
  if (value > 1000000000LL) value = 1000000000LL;
  return static_cast<int>(negative ? -value : value);
}

std::vector<std::string> ReadTextLines(const std::filesystem::path& file) {
  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    const int code = errno != 0 ? errno : ENOENT;
    throw Error("Cannot open file \"" + file.string() + "\". " + std::strerror(code));
  }
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  if (in.bad()) throw Error("Cannot read file \"" + file.string() + "\". " + std::strerror(EIO));
  return lines;
}

std::string QtFilterFromPipeFilter(std::string_view filter) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : filter) {
    if (c == '|') {
      parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  parts.push_back(current);
  std::string out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string patterns = parts[i + 1];
    for (char& c : patterns) {
      if (c == ';') c = ' ';
    }
    // Descriptions often repeat the patterns already; Qt reads the last parenthesis as the patterns.
    std::string description = parts[i];
    const size_t open = description.rfind(" (");
    if (open != std::string::npos && description.back() == ')') description.erase(open);
    if (!out.empty()) out += ";;";
    out += description + " (" + patterns + ")";
  }
  return out;
}

std::string MessageNamingFile(std::string_view message, const std::string& file) {
  const std::string name = std::filesystem::path(file).filename().string();
  if (!name.empty() && message.find(name) != std::string_view::npos) return std::string(message);
  return "\"" + file + "\": " + std::string(message);
}

}  // namespace mirelane
