// The main window: the template panel, the preview, the layer source panel, the size fields,
// the option boxes and the three settings pages, each control wired to its event operation.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "compose/editing_state.h"
#include "compose/layer_source.h"
#include "compose/layer_stack.h"
#include "compose/resampler_selection.h"
#include "picture/picture_writer.h"
#include "templates/render_template.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace mirelane {

struct Shell;
class TColorSelect;
class TCaptionPanel;
class THorizontalUpDown;
class TImgViewWidget;
class TPictureBox;
class TTrackBar;
class TSpinEdit;
class TForm2;

class TForm1 : public QWidget {
  Q_OBJECT
 public:
  // The render driver; the application uses RenderTemplate.
  using Renderer =
      std::function<void(TImgView32& view, int32_t width, int32_t height, RenderContext& context)>;

  static constexpr int kClientWidth = 633;
  static constexpr int kClientHeight = 523;

  TForm1(Shell& shell, EditingState& state, LayerSources& sources, QWidget* parent = nullptr);
  ~TForm1() override;

  // The set-up after creation; an error is reported and skips the remaining steps.
  void FormCreate();
  void SetRenderer(Renderer renderer) { renderer_ = std::move(renderer); }
  void SetAboutWindow(TForm2* about) { aboutWindow_ = about; }

  // Event operations.
  void SaveButtonClick();
  void AboutToolButtonClick();
  void TemplateUpDownClick();
  void ApplyTempButtonClick();
  void LayerSourceUpDownClick();
  void LayerSourceImgClick();
  void LayerSourceImgFileDropped(const QString& fileName);
  void LayerSourceColorSelectChange();
  void WidthSpinEditChange();
  void HeightSpinEditChange();
  void ShowReflectionCheckBoxClick();
  void FadeReflectionCheckBoxClick();
  void OpacityReflectionTrackBarChange() {}
  void OpacityReflectionTrackBarMouseUp();
  void BlurReflectionTrackBarMouseUp();
  void ReflectionBrightnessTrackBarMouseUp();
  void ReflectionLengthTrackBarMouseUp();
  void ShadowDensityTrackBarChange() {}
  void ShadowDensityTrackBarMouseUp();
  void ShadowColorSelectChange();
  void BlurShadowTrackBarMouseUp();
  void ShowShadowCheckBoxClick();
  void ObjectShadingTrackBarChange() {}
  void ObjectShadingTrackBarMouseUp();
  void ObjectHighlightTrackBarChange() {}
  void ObjectHighlightTrackBarMouseUp();
  void ObjectShadingColorSelectChange();
  void ObjectHighlightColorSelectChange();
  void TrBckCheckBoxClick();
  void LarDiAreaCheckBoxClick();
  void ResamplerClassNamesListChange();
  void KernelClassNamesListChange();

  TImgView32& View();
  // The file name proposed by the next save dialog.
  const QString& LastSaveFileName() const { return lastSaveFileName_; }

  // Controls, by their names in the window's layout.
  QToolBar* sToolBar1;
  QToolButton* SaveButton;
  QToolButton* AboutToolButton;
  QFrame* TemplatePanel;
  QLabel* TemplateCaption;
  QFrame* TemplateBevel;
  TPictureBox* TemplateImage;
  QPushButton* ApplyTempButton;
  THorizontalUpDown* TemplateUpDown;
  TImgViewWidget* ImgView;
  TCaptionPanel* LayerSourcePanel;
  QLabel* LayerSourceCaption;
  QFrame* LayerSourceBevel;
  TPictureBox* LayerSourceImg;
  TColorSelect* LayerSourceColorSelect;
  THorizontalUpDown* LayerSourceUpDown;
  QFrame* sPanel2;
  TSpinEdit* WidthSpinEdit;
  TSpinEdit* HeightSpinEdit;
  TSpinEdit* DpiSpinEdit;
  QCheckBox* TrBckCheckBox;
  QCheckBox* LarDiAreaCheckBox;
  QCheckBox* FlipCheckBox;
  QComboBox* ResamplerClassNamesList;
  QComboBox* KernelClassNamesList;
  QTabWidget* SettingsPageControl;
  QWidget* ReflectionPage;
  QWidget* ShadowPage;
  QWidget* ObjectPage;
  QCheckBox* ShowReflectionCheckBox;
  QCheckBox* FadeReflectionCheckBox;
  TTrackBar* OpacityReflectionTrackBar;
  TTrackBar* ReflectionLengthTrackBar;
  TTrackBar* ReflectionBrightnessTrackBar;
  TTrackBar* BlurReflectionTrackBar;
  QCheckBox* ShowShadowCheckBox;
  TTrackBar* ShadowDensityTrackBar;
  TColorSelect* ShadowColorSelect;
  TTrackBar* BlurShadowTrackBar;
  TTrackBar* ObjectShadingTrackBar;
  TColorSelect* ObjectShadingColorSelect;
  TTrackBar* ObjectHighlightTrackBar;
  TColorSelect* ObjectHighlightColorSelect;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void WireEvents();
  QLabel* AddLabel(QWidget* parent, const QString& text, int left, int top);
  // The re-render step: wait cursor, RenderTemplate at the size fields' values, cursor back.
  void Rerender();
  // Stores a slider's position through store, then re-renders; errors are reported.
  void StoreAndRerender(const std::function<void()>& store);
  // Shows or hides the layers of one group; the layers carry their group, so no render is needed.
  void ToggleLayers(LayerGroup group, bool visible);
  void LoadSlotPicture(const QString& fileName);
  // Shows the current slot: its picture when it uses it, else its colour in the picture area.
  void ShowCurrentSlot();
  // Steps 1 to 5 of showing the template at the stepper's position; throws on failure.
  void TemplateIndexStep();
  int32_t RenderSize(const QSpinBox* field) const;

  Shell& shell_;
  EditingState& state_;
  LayerSources& sources_;
  Renderer renderer_;
  TForm2* aboutWindow_ = nullptr;
  ResamplerLists resamplerLists_;
  QString lastSaveFileName_;
  int lastSaveFilter_ = 0;
  // The WebP choice offered again at the next WebP save.
  TWebpOptions webpOptions_;
};

}  // namespace mirelane
