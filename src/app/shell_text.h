// Qt-free text rules of the application shell: the title taken from the executable's name,
// the error report's text, reading a number field and reading a small text file by lines.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace mirelane {

// The title the program starts with, shown until start-up derives one from the executable's name; the
// version is the project's one, as --version, the package and About give it.
inline constexpr std::string_view kDesignTitle = "Mirelane Creator " MIRELANE_VERSION;

// "Shots.exe" gives "Shots" (a trailing ".exe", in any letter case, is dropped and the rest kept
// as it is). A name without that extension is read as words separated by "-" and "_", each
// word capitalised: "mirelane-creator" gives "Mirelane Creator".
std::string TitleFromExecutableName(std::string_view fileName);

// The message of the error report: a full stop is added when the text ends in a character that
// sorts after '.', so "Cannot open file" ends with one and "... (2)" does not.
std::string ErrorReportText(std::string_view message);

// The message as it is when it names the file (its full name or its name without folder);
// otherwise "<file>": message.
std::string MessageNamingFile(std::string_view message, const std::string& file);

// The value of a number field's text: the integer it holds, or fieldMinimum when the text is
// empty or not a number. Large values are capped far beyond any field's range, never wrapped.
int ReadNumberField(std::string_view text, int fieldMinimum);

// The lines of a text file (CR LF or LF); fails with "Cannot open file "%s". %s".
std::vector<std::string> ReadTextLines(const std::filesystem::path& file);

// A "Description|*.a;*.b|..." filter as Qt's "Description (*.a *.b);;..." form.
std::string QtFilterFromPipeFilter(std::string_view filter);

}  // namespace mirelane
