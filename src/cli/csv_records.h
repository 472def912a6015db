// Comma-separated records as spreadsheets write them: a header row, fields in double quotes that
// may hold commas, quotes ("" for one) and line breaks, CRLF or LF line ends, UTF-8 with or
// without a byte order mark.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mirelane {

struct CsvRecord {
  size_t Line = 0;  // where the record starts, from 1
  std::vector<std::string> Fields;
};

// Every record of the text, blank lines left out. Throws Error naming the line of a quoted field
// that never ends, or of text after a field's closing quote.
std::vector<CsvRecord> ParseCsv(std::string_view text);

}  // namespace mirelane
