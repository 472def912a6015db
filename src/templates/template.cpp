// Template keywords and reading a template file into a Template.
#include "templates/template.h"

#include <array>
#include <string>

#include "raster/error.h"
#include "raster/shade_maps.h"
#include "templates/color_names.h"

namespace mirelane {

namespace {

struct TypeInfo {
  std::string_view keyword;
  LayerType type;
  SourceKind source;
};

constexpr std::array<TypeInfo, 15> kTypes = {{
    {"normal", LayerType::Normal, SourceKind::Slot},
    {"reflection", LayerType::Reflection, SourceKind::Slot},
    {"roundrect", LayerType::RoundRect, SourceKind::Slot},
    {"disc", LayerType::Disc, SourceKind::Slot},
    {"discreflection", LayerType::DiscReflection, SourceKind::Slot},
    {"shadow", LayerType::Shadow, SourceKind::Nothing},
    {"shade", LayerType::Shade, SourceKind::Direction},
    {"highlight", LayerType::Highlight, SourceKind::Direction},
    {"blurshade", LayerType::BlurShade, SourceKind::Direction},
    {"blurhighlight", LayerType::BlurHighlight, SourceKind::Direction},
    {"roundrectshade", LayerType::RoundRectShade, SourceKind::Direction},
    {"roundrecthighlight", LayerType::RoundRectHighlight, SourceKind::Direction},
    {"customfile", LayerType::CustomFile, SourceKind::FileName},
    {"customcolor", LayerType::CustomColor, SourceKind::Color},
    {"customcolorreflection", LayerType::CustomColorReflection, SourceKind::Color},
}};

struct DirectionInfo {
  std::string_view keyword;
  ShadeDirection direction;
  ShadeMapChoice map;
};

constexpr std::array<DirectionInfo, 8> kDirections = {{
    {"leftdown", ShadeDirection::LeftDown, {kShadeMapCorner, ShadeTurn::None}},
    {"lefttop", ShadeDirection::LeftTop, {kShadeMapCorner, ShadeTurn::Quarter}},
    {"righttop", ShadeDirection::RightTop, {kShadeMapCorner, ShadeTurn::Half}},
    {"rightdown", ShadeDirection::RightDown, {kShadeMapCorner, ShadeTurn::ThreeQuarters}},
    {"rightlefttopdown", ShadeDirection::RightLeftTopDown, {kShadeMapUniform, ShadeTurn::None}},
    {"left", ShadeDirection::Left, {kShadeMapSide, ShadeTurn::Quarter}},
    {"top", ShadeDirection::Top, {kShadeMapSide, ShadeTurn::Half}},
    {"right", ShadeDirection::Right, {kShadeMapSide, ShadeTurn::ThreeQuarters}},
}};
constexpr ShadeMapChoice kBottomShade = {kShadeMapSide, ShadeTurn::None};

const TypeInfo* FindType(LayerType type) {
  for (const TypeInfo& info : kTypes)
    if (info.type == type) return &info;
  return nullptr;
}

}  // namespace

LayerType LayerTypeOf(std::string_view keyword) {
  for (const TypeInfo& info : kTypes)
    if (info.keyword == keyword) return info.type;
  return LayerType::Other;
}

std::string_view LayerTypeKeyword(LayerType type) {
  const TypeInfo* info = FindType(type);
  return info != nullptr ? info->keyword : std::string_view{};
}

SourceKind SourceKindOf(LayerType type) {
  const TypeInfo* info = FindType(type);
  return info != nullptr ? info->source : SourceKind::Nothing;
}

bool IsReflectionGroup(std::string_view typeKeyword) {
  switch (LayerTypeOf(typeKeyword)) {
    case LayerType::Reflection:
    case LayerType::DiscReflection:
    case LayerType::BlurShade:
    case LayerType::BlurHighlight:
    case LayerType::CustomColorReflection:
      return true;
    default:
      return false;
  }
}

bool IsShadowGroup(std::string_view typeKeyword) {
  return LayerTypeOf(typeKeyword) == LayerType::Shadow;
}

ShadeDirection ShadeDirectionOf(std::string_view keyword) {
  for (const DirectionInfo& info : kDirections)
    if (info.keyword == keyword) return info.direction;
  return ShadeDirection::Bottom;
}

ShadeMapChoice ShadeMapFor(ShadeDirection direction) {
  for (const DirectionInfo& info : kDirections)
    if (info.direction == direction) return info.map;
  return kBottomShade;
}

TColor TemplateLayer::Color() const {
  return StringToColor(Source);
}

Template ReadTemplate(const std::filesystem::path& file) {
  const std::string text = ReadIniText(file);
  std::string quoted = file.string();
  quoted.insert(quoted.begin(), '"');
  quoted.push_back('"');
  if (text.find_first_not_of(" \t\r\n\v\f") == std::string::npos)
    throw Error("The template " + quoted + " is empty");
  const IniFile ini = IniFile::FromText(text);
  // Sections past the section list are not seen; dropping layers unannounced would draw a wrong shot.
  std::vector<std::string> lostLayers;
  for (const std::string& name : ini.SectionsBeyondList())
    if (name.find(kLayerSectionMark) != std::string::npos) lostLayers.push_back(name);
  if (!lostLayers.empty()) {
    throw Error("The template " + quoted + " has more sections than its section list of " +
                std::to_string(kIniSectionListBytes) + " bytes holds: " + std::to_string(lostLayers.size()) +
                " layers, from \"" + lostLayers.front() + "\" on, would be left out");
  }
  Template tmpl = ReadTemplate(ini);
  if (tmpl.Layers.empty()) {
    throw Error("The template " + quoted + " has no layer section (a section whose name contains \"" +
                std::string(kLayerSectionMark) + "\")");
  }
  return tmpl;
}

Template ReadTemplate(const IniFile& ini) {
  Template tmpl;
  tmpl.Width = ini.ReadInteger(kImageSection, "width", kDefaultTemplateWidth);
  tmpl.Height = ini.ReadInteger(kImageSection, "height", kDefaultTemplateHeight);
  for (const std::string& section : ini.ReadSections()) {
    if (section.find(kLayerSectionMark) == std::string::npos) continue;
    TemplateLayer layer;
    layer.Section = section;
    layer.Type = ini.ReadString(section, "type", "unknown");
    layer.Source = ini.ReadString(section, "source", "unknown");
    TemplatePoint* corners[] = {&layer.A, &layer.B, &layer.C, &layer.D};
    const char* const keys[][2] = {{"A.X", "A.Y"}, {"B.X", "B.Y"}, {"C.X", "C.Y"}, {"D.X", "D.Y"}};
    for (int i = 0; i < 4; ++i) {
      corners[i]->X = ini.ReadInteger(section, keys[i][0], 0);
      corners[i]->Y = ini.ReadInteger(section, keys[i][1], 0);
    }
    tmpl.Layers.push_back(std::move(layer));
  }
  return tmpl;
}

void CheckTemplateCanvas(const Template& tmpl) {
  if (tmpl.Width <= 0 || tmpl.Height <= 0)
    throw Error("The template's canvas must be at least 1 x 1 units, not " + std::to_string(tmpl.Width) +
                " x " + std::to_string(tmpl.Height));
}

std::filesystem::path CustomFilePath(const std::filesystem::path& executableFolder, std::string_view source) {
  std::string relative(source);
  for (char& c : relative)
    if (c == '\\') c = '/';
  // Appending as text keeps "/x" or "C:/x" inside the custom folder, as appending to a folder name does.
  return std::filesystem::path((executableFolder / "custom").string() + "/" + relative).lexically_normal();
}

}  // namespace mirelane
