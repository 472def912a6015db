// The setting controls: one loop over the settings table makes them, one lays them out.
#include "app/setting_controls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "app/controls.h"
#include "app/shell_text.h"
#include "raster/error.h"

namespace mirelane {

namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* PlaceWidget(const SettingPlaces& places, SettingPlace place) {
  switch (place) {
    case SettingPlace::OutputSize:
      return places.OutputSize;
    case SettingPlace::Options:
      return places.Options;
    case SettingPlace::Reflection:
      return places.Reflection;
    case SettingPlace::Shadow:
      return places.Shadow;
    case SettingPlace::Object:
      return places.Object;
    case SettingPlace::Hidden:
      break;
  }
  return nullptr;
}

constexpr int kSwatchSize = 25;
constexpr int kValueBoxWidth = 38;
constexpr int kSliderMinimumWidth = 90;
// Each page holds its sliders in two columns of two rows, which share the page's width.
constexpr int kPageRows = 2;
constexpr int kPageColumns = 2;

}  // namespace

QString SettingToolTip(const EditingSetting& setting) {
  QString text = Text(setting.Help);
  if (setting.Kind == SettingKind::Flag && !setting.FlagValue) text = QStringLiteral("Cleared: ") + text;
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  if (setting.Kind == SettingKind::Number)
    text += QStringLiteral(" (%1 to %2)").arg(setting.Range.Min).arg(setting.Range.Max);
  return text;
}

SettingControls::SettingControls(Dialogs& dialogs, const EditingState& state, const SettingPlaces& places,
                                 QObject* parent)
    : QObject(parent) {
  for (const EditingSetting& setting : EditingSettings()) {
    if (QWidget* parentWidget = PlaceWidget(places, setting.Place))
      Add(dialogs, setting, state, parentWidget);
  }
  LayOut(places);
}

void SettingControls::Add(Dialogs& dialogs, const EditingSetting& setting, const EditingState& state,
                          QWidget* parent) {
  const SettingRange& range = setting.Range;
  const auto value = static_cast<int>(setting.Get(state));
  const QString tip = SettingToolTip(setting);
  Entry entry{&setting, nullptr, nullptr};
  switch (setting.Kind) {
    case SettingKind::Flag: {
      auto* box = new QCheckBox(Text(setting.Caption), parent);
      box->setChecked(value != 0);
      connect(box, &QCheckBox::clicked, this,
              [this, &setting](bool on) { emit Changed(&setting, on, true); });
      entry.Control = box;
      break;
    }
    case SettingKind::Colour: {
      auto* swatch = new TColorSelect(dialogs, kSwatchSize, static_cast<TColor>(value), parent);
      swatch->setFixedSize(41, 33);
      connect(swatch, &TColorSelect::Change, this,
              [this, &setting, swatch] { emit Changed(&setting, swatch->ColorValue(), true); });
      entry.Control = swatch;
      break;
    }
    case SettingKind::Number:
      if (setting.Place == SettingPlace::OutputSize) {
        auto* field = new TSpinEdit(range.Min, range.Max, value, parent);
        field->setMinimumWidth(56);
        connect(field, &TSpinEdit::Change, this, [this, &setting, field] {
          const int typed = ReadNumberField(field->text().toStdString(), setting.Range.Min);
          if (typed >= setting.Range.Min) emit Changed(&setting, std::min(typed, setting.Range.Max), true);
        });
        entry.Control = field;
      } else {
        // A drag follows the handle with drafts and finishes at the release; each key press or
        // wheel turn finishes at once.
        auto* bar = new TTrackBar(range.Min, range.Max, value, parent);
        bar->setMinimumWidth(kSliderMinimumWidth);
        const auto finish = [this, &setting, bar] { emit Changed(&setting, bar->value(), true); };
        connect(bar, &TTrackBar::MouseUp, this, finish);
        connect(bar, &TTrackBar::KeyOrWheelMove, this, finish);
        connect(bar, &QSlider::valueChanged, this, [this, &setting, bar](int position) {
          if (bar->isSliderDown()) emit Changed(&setting, position, false);
        });
        entry.Control = bar;
        entry.ValueBox = new TSliderValue(bar, parent);
        entry.ValueBox->setFixedWidth(kValueBoxWidth);
        entry.ValueBox->setToolTip(tip + QStringLiteral("; type a number and press Enter"));
      }
      break;
  }
  entry.Control->setToolTip(tip);
  entries_.push_back(entry);
}

void SettingControls::LayOut(const SettingPlaces& places) {
  auto* size = new QHBoxLayout(places.OutputSize);
  size->setContentsMargins(8, 8, 8, 8);
  auto* options = new QVBoxLayout(places.Options);
  options->setContentsMargins(0, 0, 0, 0);
  options->setSpacing(0);
  // Caption, slider, number and swatch per column of a page; the sliders take the room.
  struct Page {
    QGridLayout* grid = nullptr;
    int flags = 0;  // flags on the page, which stack in its first column and share its rows
    int flagsLaid = 0;
    int sliders = 0;
  };
  std::map<QWidget*, Page> pages;
  for (QWidget* widget : {places.Reflection, places.Shadow, places.Object}) {
    auto* grid = new QGridLayout(widget);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setHorizontalSpacing(4);
    for (int column = 0; column < kPageColumns; ++column) grid->setColumnStretch(2 + 4 * column, 1);
    pages[widget].grid = grid;
  }
  for (const Entry& entry : entries_)
    if (entry.Setting->Kind == SettingKind::Flag && pages.count(entry.Control->parentWidget()) != 0)
      ++pages[entry.Control->parentWidget()].flags;

  for (const Entry& entry : entries_) {
    QWidget* parent = entry.Control->parentWidget();
    const EditingSetting& setting = *entry.Setting;
    if (parent == places.OutputSize) {
      size->addWidget(new QLabel(Text(setting.Caption), parent));
      size->addWidget(entry.Control);
      continue;
    }
    if (parent == places.Options) {
      options->addWidget(entry.Control);
      continue;
    }
    Page& page = pages[parent];
    if (setting.Kind == SettingKind::Flag) {
      const int span = kPageRows / page.flags;
      page.grid->addWidget(entry.Control, page.flagsLaid * span, 0, span, 1);
      ++page.flagsLaid;
    } else if (setting.Kind == SettingKind::Colour) {
      // Beside the slider placed last.
      const int last = page.sliders - 1;
      page.grid->addWidget(entry.Control, last % kPageRows, 4 + 4 * (last / kPageRows));
    } else {
      const int row = page.sliders % kPageRows;
      const int column = 1 + 4 * (page.sliders / kPageRows);
      auto* caption = new QLabel(Text(setting.Caption), parent);
      caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      page.grid->addWidget(caption, row, column);
      page.grid->addWidget(entry.Control, row, column + 1);
      page.grid->addWidget(entry.ValueBox, row, column + 2);
      ++page.sliders;
    }
  }
  size->addStretch(1);
}

void SettingControls::Show(const EditingState& state) {
  for (const Entry& entry : entries_) {
    const QSignalBlocker block(entry.Control);
    const auto value = static_cast<int>(entry.Setting->Get(state));
    if (auto* bar = qobject_cast<TTrackBar*>(entry.Control)) {
      bar->setValue(value);
      entry.ValueBox->ShowPosition();
    } else if (auto* field = qobject_cast<TSpinEdit*>(entry.Control)) {
      field->setValue(value);
    } else if (auto* box = qobject_cast<QCheckBox*>(entry.Control)) {
      box->setChecked(value != 0);
    } else if (auto* swatch = qobject_cast<TColorSelect*>(entry.Control)) {
      swatch->SetColorValue(static_cast<TColor>(value));
    }
  }
}

const SettingControls::Entry& SettingControls::EntryOf(std::string_view field) const {
  for (const Entry& entry : entries_)
    if (entry.Setting->Range.Name == field) return entry;
  throw Error("No control for the setting '" + std::string(field) + "'");
}

QWidget* SettingControls::Control(std::string_view field) const {
  return EntryOf(field).Control;
}

TTrackBar* SettingControls::Slider(std::string_view field) const {
  return qobject_cast<TTrackBar*>(Control(field));
}

TSliderValue* SettingControls::ValueBox(std::string_view field) const {
  return EntryOf(field).ValueBox;
}

TSpinEdit* SettingControls::Field(std::string_view field) const {
  return qobject_cast<TSpinEdit*>(Control(field));
}

QCheckBox* SettingControls::Box(std::string_view field) const {
  return qobject_cast<QCheckBox*>(Control(field));
}

TColorSelect* SettingControls::Swatch(std::string_view field) const {
  return qobject_cast<TColorSelect*>(Control(field));
}

std::vector<QWidget*> SettingControls::TabOrder(SettingPlace place) const {
  std::vector<QWidget*> order;
  for (const Entry& entry : entries_) {
    if (entry.Setting->Place != place) continue;
    order.push_back(entry.Control);
    if (entry.ValueBox != nullptr) order.push_back(entry.ValueBox);
  }
  return order;
}

}  // namespace mirelane
