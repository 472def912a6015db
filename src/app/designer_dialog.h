// The shot designer window: shape, turn, tilt, perspective and proportions, with a live preview
// of the shot from the current slots, and "Save as template" into the user's own templates.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

#include "app/shell.h"
#include "compose/editing_state.h"
#include "compose/layer_source.h"
#include "templates/template_writer.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

namespace mirelane {

class TPictureBox;

class TDesignDialog : public QDialog {
  Q_OBJECT
 public:
  TDesignDialog(Shell& shell, const EditingState& state, const LayerSources& sources, QWidget* parent);

  // The shot the controls describe now; the proportions come from the artwork unless typed.
  ShotRequest Request() const;
  // Renders the preview again (each control does so on change); errors are reported.
  void UpdatePreview();
  // Asks a name and writes the template and its preview picture into the user's templates.
  void SaveAsTemplateClick();
  // Hands the shot to the window as it stands, without a file, and closes.
  void UseClick();

  // Asks the template's name; nothing when the user cancels. Tests replace it.
  std::function<std::optional<QString>(QWidget*)> AskName;

  QComboBox* ShapeBox;
  QCheckBox* LyingCheck;
  QSlider* TurnSlider;
  QSlider* TiltSlider;
  QSlider* PerspectiveSlider;
  QLabel* TurnValue;
  QLabel* TiltValue;
  QLabel* PerspectiveValue;
  QRadioButton* FromArtworkButton;
  QRadioButton* TypedButton;
  QDoubleSpinBox* WidthEdit;
  QDoubleSpinBox* HeightEdit;
  QDoubleSpinBox* DepthEdit;
  TPictureBox* Preview;
  QPushButton* UseButton;
  QPushButton* SaveButton;
  QPushButton* CloseButton;

 signals:
  // A template was written into the user's folder.
  void TemplateSaved(const QString& name);
  // "Use": the designed shot's template text, for the window to show.
  void ShotUsed(const QString& text);

 private:
  void ShowArtworkProportions();

  Shell& shell_;
  const EditingState& state_;
  const LayerSources& sources_;
};

}  // namespace mirelane
