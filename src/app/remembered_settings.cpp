// Settings kept between runs and the sample artwork of a first start.
#include "app/remembered_settings.h"

#include <QSettings>
#include <algorithm>
#include <system_error>

#include "app/setting_fields.h"
#include "app/shell.h"

namespace mirelane {

namespace {

QString SettingKey(std::string_view name) {
  return QStringLiteral("Settings/") + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QString SlotKey(SourceIndex slot, const char* what) {
  const std::string_view keyword = SourceKeyword(slot);
  return QStringLiteral("Slots/") +
         QString::fromUtf8(keyword.data(), static_cast<qsizetype>(keyword.size())) + u'/' +
         QLatin1String(what);
}

}  // namespace

void StoreSettings(QSettings& settings, const EditingState& state, const LayerSources& sources) {
  for (const EditingSetting& setting : EditingSettings()) {
    if (!IsUserSetting(setting)) continue;
    settings.setValue(SettingKey(setting.Range.Name), static_cast<qlonglong>(setting.Get(state)));
  }
  for (SourceIndex slot = 1; slot <= kSourceCount; ++slot) {
    const LayerSource& source = sources[slot];
    settings.setValue(SlotKey(slot, "Picture"), QStringFromPath(source.PicturePath));
    settings.setValue(SlotKey(slot, "Color"), static_cast<qlonglong>(source.Color));
    settings.setValue(SlotKey(slot, "UseColor"), source.UseColor);
  }
}

RestoredSettings RestoreSettings(QSettings& settings, EditingState& state, LayerSources& sources) {
  RestoredSettings result;
  for (const EditingSetting& setting : EditingSettings()) {
    if (!IsUserSetting(setting)) continue;
    const QVariant stored = settings.value(SettingKey(setting.Range.Name));
    if (!stored.isValid()) continue;
    result.Found = true;
    bool number = false;
    const qlonglong value = stored.toLongLong(&number);
    if (number && SettingValueAllowed(setting, value)) setting.Set(state, value);
  }
  for (SourceIndex slot = 1; slot <= kSourceCount; ++slot) {
    LayerSource& source = sources[slot];
    bool number = false;
    const qlonglong color = settings.value(SlotKey(slot, "Color")).toLongLong(&number);
    if (number && color >= 0 && color <= 0xFFFFFF) source.Color = static_cast<TColor>(color);
    const QVariant picture = settings.value(SlotKey(slot, "Picture"));
    if (picture.isValid()) {
      result.Found = true;
      source.PicturePath = PathFromQString(picture.toString()).string();
    }
    const QVariant useColor = settings.value(SlotKey(slot, "UseColor"));
    source.UseColor = useColor.isValid() ? useColor.toBool() : source.PicturePath.empty();
    if (source.PicturePath.empty()) source.UseColor = true;
    // A picture moved or deleted since: the slot falls back to its colour and forgets the name,
    // so the loss is told once.
    std::error_code error;
    if (!source.UseColor && !std::filesystem::is_regular_file(source.PicturePath, error)) {
      result.GonePictures.push_back(std::string(SourceCaption(slot)) + ": " + source.PicturePath);
      source.PicturePath.clear();
      source.UseColor = true;
    }
  }
  return result;
}

std::filesystem::path FindExamplesFolder(const std::filesystem::path& dataRoot) {
  std::error_code error;
  const std::filesystem::path folder = dataRoot / "examples";
  return std::filesystem::is_directory(folder, error) ? folder : std::filesystem::path();
}

int FillSlotsFromExamples(const std::filesystem::path& folder, LayerSources& sources) {
  std::error_code error;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file(error)) files.push_back(entry.path());
  }
  // In name order, so that of front.png and front.jpg the same one wins every time.
  std::sort(files.begin(), files.end());
  int filled = 0;
  for (const std::filesystem::path& file : files) {
    const SourceIndex slot = SourceIndexOf(file.stem().string());
    if (slot < 1 || !sources[slot].PicturePath.empty()) continue;
    sources[slot].PicturePath = file.string();
    sources[slot].UseColor = false;
    ++filled;
  }
  return filled;
}

}  // namespace mirelane
