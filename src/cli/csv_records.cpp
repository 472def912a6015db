// A small reader of comma-separated text: one pass, one character at a time.
#include "cli/csv_records.h"

#include "raster/error.h"

namespace mirelane {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(const CsvRecord& record) {
  return record.Fields.size() == 1 && record.Fields[0].empty();
}

}  // namespace

std::vector<CsvRecord> ParseCsv(std::string_view text) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  std::vector<CsvRecord> records;
  CsvRecord record{1, {std::string()}};
  size_t line = 1;
  bool quotedField = false;  // the current field was quoted and its closing quote is behind us
  auto endRecord = [&] {
    // A line without any character, quoted or not, holds no record.
    if (!(IsBlank(record) && !quotedField)) records.push_back(std::move(record));
    record = CsvRecord{line, {std::string()}};
    quotedField = false;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' && record.Fields.back().empty() && !quotedField) {
      // A quoted field: up to the quote that is not doubled.
      const size_t opened = line;
      for (++i;; ++i) {
        if (i >= text.size())
          throw Error("line " + std::to_string(opened) + ": a quoted field has no closing quote");
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            record.Fields.back() += '"';
            ++i;
            continue;
          }
          break;
        }
        if (text[i] == '\n') ++line;
        record.Fields.back() += text[i];
      }
      quotedField = true;
      if (i + 1 < text.size() && text[i + 1] != ',' && text[i + 1] != '\n' && text[i + 1] != '\r')
        throw Error("line " + std::to_string(line) + ": text after the closing quote of a field");
    } else if (c == ',') {
      record.Fields.emplace_back();
      quotedField = false;
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      ++line;
      endRecord();
    } else {
      record.Fields.back() += c;
    }
  }
  endRecord();
  return records;
}

}  // namespace mirelane
