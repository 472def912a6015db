// Turning a manifest's rows into checked render options, each cell through the same parsing as the
// command line's options.
#include "cli/batch_manifest.h"

#include <functional>
#include <map>
#include <set>
#include <string>

#include "cli/csv_records.h"
#include "cli/design_options.h"
#include "cli/render_job.h"
#include "compose/editing_settings.h"
#include "picture/picture_writer.h"
#include "picture/regular_file.h"
#include "raster/error.h"
#include "templates/render_template.h"
#include "templates/template_catalogue.h"

namespace mirelane {

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// What one column does to a row's options; throws UsageError or Error with the reason alone.
using CellAction = std::function<void(CliOptions&, const std::string&)>;

struct Column {
  std::string Name;
  CellAction Apply;
};

class ManifestReader {
 public:
  ManifestReader(const fs::path& file, const fs::path& root)
      : file_(file), folder_(file.parent_path()), root_(root) {}

  std::vector<BatchRow> Read(const CliOptions& defaults) {
    std::vector<CsvRecord> records;
    try {
      const std::vector<uint8_t> bytes = ReadRegularFile(file_.string(), kMaxManifestBytes);
      records = ParseCsv(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const Error& e) {
      throw UsageError(Where() + e.what());
    }
    if (records.empty()) throw UsageError(Where() + "no header row: the first row names the columns");
    if (records.size() - 1 > kMaxBatchRows)
      throw UsageError(Where() + "more than " + std::to_string(kMaxBatchRows) + " rows");
    const std::vector<Column> columns = ReadHeader(records.front());
    std::vector<BatchRow> rows;
    std::map<std::string, size_t> outputs;
    for (size_t r = 1; r < records.size(); ++r) {
      BatchRow row = ReadRow(records[r], r, columns, defaults);
      const std::string key = fs::absolute(row.Options.Output).lexically_normal().string();
      if (const auto [at, added] = outputs.emplace(key, r); !added)
        throw UsageError(Where(r, "output") + "row " + std::to_string(at->second) + " writes \"" +
                         row.Options.Output + "\" too");
      rows.push_back(std::move(row));
    }
    return rows;
  }

 private:
  std::string Where() const { return file_.string() + ": "; }
  std::string Where(size_t row, const std::string& column) const {
    return file_.string() + ": row " + std::to_string(row) + ", column " + column + ": ";
  }

  // A cell's path: absolute as it is, otherwise in the manifest's folder.
  std::string PathOf(const std::string& cell) const {
    const fs::path path(cell);
    return path.is_absolute() ? cell : (folder_ / path).string();
  }

  std::vector<Column> ReadHeader(const CsvRecord& header) const {
    std::vector<Column> columns;
    std::set<std::string> seen;
    for (const std::string& field : header.Fields) {
      const std::string name = Lower(Trimmed(field));
      if (name.empty()) throw UsageError(Where() + "the header has a column without a name");
      if (!seen.insert(name).second) throw UsageError(Where() + "the column " + name + " appears twice");
      columns.push_back({name, ActionOf(name)});
    }
    if (seen.count("output") == 0)
      throw UsageError(Where() + "no output column: each row needs a file to write");
    return columns;
  }

  CellAction ActionOf(const std::string& name) const {
    if (name == "output") return [this](CliOptions& o, const std::string& cell) { o.Output = PathOf(cell); };
    if (name == "template")
      return [](CliOptions& o, const std::string& cell) {
        const std::string value = Trimmed(cell);
        if (!value.empty() && value.find_first_not_of("0123456789") == std::string::npos) {
          ApplySettingText(o.State, SettingOfField("TemplateIndex"), "template", value);
          o.TemplateName.clear();
        } else {
          o.TemplateName = cell;
        }
      };
    if (name == "quality")
      return [](CliOptions& o, const std::string& cell) {
        // The same bounds as --quality, through the same parser.
        const CliOptions parsed = ParseCommandLine({"--quality", Trimmed(cell), "-o", "x.webp"});
        o.Quality = parsed.Quality;
      };
    if (const SourceIndex slot = SourceIndexOf(name);
        slot >= 1 && Lower(std::string(SourceKeyword(slot))) == name)
      return [this, slot](CliOptions& o, const std::string& cell) {
        LayerSource& source = o.Sources[slot];
        if (const auto color = ParseCliColor(Trimmed(cell))) {
          source.Color = *color;
          source.UseColor = true;
        } else {
          // Whether it can be read is found out by its own row, which alone fails then.
          source.PicturePath = PathOf(cell);
          source.UseColor = false;
        }
      };
    if (const EditingSetting* setting = FindSettingByOption(name))
      return [setting, name](CliOptions& o, const std::string& cell) {
        ApplySettingText(o.State, *setting, name, Trimmed(cell));
      };
    if (name == "lying")
      return [](CliOptions& o, const std::string& cell) {
        const std::optional<bool> given = ParseFlagText(Trimmed(cell));
        if (!given)
          throw UsageError("lying takes yes or no (also 1 or 0, true or false, on or off) (got \"" + cell +
                           "\")");
        o.Design.Lying = *given;
      };
    if (name == "shape" || name == "turn" || name == "tilt" || name == "perspective" || name == "proportions")
      return [name](CliOptions& o, const std::string& cell) {
        const std::string value = Trimmed(cell);
        ParseDesignOption(
            "--" + name, [&]() -> const std::string& { return value; }, o.Design);
      };
    throw UsageError(
        Where() + "unknown column " + name +
        " (the columns are output, template or shape with turn, tilt, perspective, proportions and lying, "
        "quality, the nine slots such as front or disc2, and the settings of --help without the dashes)");
  }

  BatchRow ReadRow(const CsvRecord& record, size_t number, const std::vector<Column>& columns,
                   const CliOptions& defaults) {
    if (record.Fields.size() != columns.size())
      throw UsageError(file_.string() + ": row " + std::to_string(number) + " (line " +
                       std::to_string(record.Line) + ") has " + std::to_string(record.Fields.size()) +
                       " cells, the header " + std::to_string(columns.size()));
    BatchRow row;
    row.Number = number;
    row.Options = defaults;
    row.Options.Output.clear();
    bool templateCell = false, shapeCell = false;
    for (size_t c = 0; c < columns.size(); ++c) {
      templateCell |= columns[c].Name == "template" && !record.Fields[c].empty();
      shapeCell |= columns[c].Name == "shape" && !record.Fields[c].empty();
    }
    if (templateCell && shapeCell)
      throw UsageError(Where(number, "shape") + "a row names a template or a shape, not both");
    // A row's own template stands over a shape (and its camera) given on the command line.
    if (templateCell) row.Options.Design = DesignRequest{};
    for (size_t c = 0; c < columns.size(); ++c) {
      const std::string& cell = record.Fields[c];
      if (cell.empty()) continue;
      try {
        columns[c].Apply(row.Options, cell);
      } catch (const std::exception& e) {
        throw UsageError(Where(number, columns[c].Name) + e.what());
      }
    }
    CliOptions& o = row.Options;
    try {
      CheckDesignRequest(o.Design);
    } catch (const std::exception& e) {
      throw UsageError(Where(number, "shape") + e.what());
    }
    if (o.Output.empty()) throw UsageError(Where(number, "output") + "empty: the row needs a file to write");
    try {
      SaveFormatFor(o.Output);
      CheckQualityFitsOutput(o);
    } catch (const std::exception& e) {
      throw UsageError(Where(number, "output") + e.what());
    }
    try {
      ValidateEditingState(o.State);
      if (!o.Design.Shape) row.Template = TemplateOf(o);
    } catch (const std::exception& e) {
      throw UsageError(Where(number, "template") + e.what());
    }
    if (!row.Template.empty()) row.Inputs.push_back(row.Template);
    for (SourceIndex slot = 1; slot <= kSourceCount; ++slot)
      if (!o.Sources[slot].UseColor) row.Inputs.emplace_back(o.Sources[slot].PicturePath);
    return row;
  }

  // The template file, with names looked up in one listing for the whole manifest.
  fs::path TemplateOf(CliOptions& o) {
    if (!o.TemplateName.empty()) {
      auto [at, added] = positions_.try_emplace(o.TemplateName, 0);
      if (added) at->second = PositionOfName(root_, o.TemplateName, o.UserData);
      o.State.TemplateIndex = at->second;
      o.TemplateName.clear();
    }
    if (listing_.empty()) listing_ = ListCatalogue(root_, o.UserData);
    const size_t position = static_cast<size_t>(o.State.TemplateIndex);
    if (position > listing_.size())
      throw Error("position " + std::to_string(position) + " is past the " + std::to_string(listing_.size()) +
                  " templates in " + (root_ / "Templates").string());
    return listing_[position - 1].TemplateFile;
  }

  fs::path file_;
  fs::path folder_;
  fs::path root_;
  std::map<std::string, int32_t> positions_;
  std::vector<CatalogueEntry> listing_;  // the shipped templates, then the user's
};

}  // namespace

std::vector<BatchRow> ReadBatchManifest(const fs::path& file, const CliOptions& defaults,
                                        const fs::path& root) {
  return ManifestReader(file, root).Read(defaults);
}

}  // namespace mirelane
