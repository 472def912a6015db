// The window's controls for the settings table, made by one loop over its rows: each takes its
// caption, range, tooltip and start value from its row and sits in the place the row names. The
// pages lay their controls out in columns that share the width, so sliders grow with the window.
#pragma once

#include <QObject>
#include <cstdint>
#include <string_view>
#include <vector>

#include "compose/editing_settings.h"

class QCheckBox;
class QLabel;
class QWidget;

namespace mirelane {

class Dialogs;
class TColorSelect;
class TSliderValue;
class TSpinEdit;
class TTrackBar;

// The widgets that hold the controls of each place but Hidden.
struct SettingPlaces {
  QWidget* OutputSize;
  QWidget* Options;
  QWidget* Reflection;
  QWidget* Shadow;
  QWidget* Object;
};

// The tooltip of a setting's controls: its help line, with the range of a number. A box whose
// option switches its field off explains what clearing it does.
QString SettingToolTip(const EditingSetting& setting);

class SettingControls : public QObject {
  Q_OBJECT
 public:
  SettingControls(Dialogs& dialogs, const EditingState& state, const SettingPlaces& places, QObject* parent);

  // Every control from the state; fires nothing.
  void Show(const EditingState& state);

  // The control of a field: a slider, number field, check box or colour swatch.
  QWidget* Control(std::string_view field) const;
  TTrackBar* Slider(std::string_view field) const;
  TSliderValue* ValueBox(std::string_view field) const;
  TSpinEdit* Field(std::string_view field) const;
  QCheckBox* Box(std::string_view field) const;
  TColorSelect* Swatch(std::string_view field) const;
  // The focusable controls of a place, in the table's order (a slider before its number).
  std::vector<QWidget*> TabOrder(SettingPlace place) const;

 signals:
  // The user changed a setting to value. finished is false while a slider is still dragged; a
  // number field reports only values it can take (a half-typed one below its minimum is not).
  void Changed(const EditingSetting* setting, int64_t value, bool finished);

 private:
  struct Entry {
    const EditingSetting* Setting;
    QWidget* Control;
    TSliderValue* ValueBox;
  };
  const Entry& EntryOf(std::string_view field) const;
  void Add(Dialogs& dialogs, const EditingSetting& setting, const EditingState& state, QWidget* parent);
  void LayOut(const SettingPlaces& places);

  std::vector<Entry> entries_;
};

}  // namespace mirelane
