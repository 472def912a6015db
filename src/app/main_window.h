// The main window: the template panel, the preview, the layer source panel, and the controls of
// the settings table (the size fields, the option boxes and the three effect pages).
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/edit_history.h"
#include "compose/editing_settings.h"
#include "compose/layer_source.h"
#include "compose/layer_stack.h"
#include "picture/picture_writer.h"
#include "templates/render_template.h"
#include "templates/template_catalogue.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenuBar;
class QStatusBar;
class QTimer;
class QPushButton;
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
class TForm2;
class SettingControls;

class TForm1 : public QWidget {
  Q_OBJECT
 public:
  // The render driver; the application uses RenderTemplate.
  using Renderer =
      std::function<void(TImgView32& view, int32_t width, int32_t height, RenderContext& context)>;

  // The base size: the smallest that shows every control. The window may grow from it.
  static constexpr int kClientWidth = 633;
  static constexpr int kClientHeight = 523;
  // The template and slot columns at the base size.
  static constexpr int kColumnWidth = 153;

  TForm1(Shell& shell, EditingState& state, LayerSources& sources, QWidget* parent = nullptr);
  ~TForm1() override;

  // The set-up after creation; an error is reported and skips the remaining steps.
  void FormCreate();
  void SetRenderer(Renderer renderer) { renderer_ = std::move(renderer); }
  void SetAboutWindow(TForm2* about) { aboutWindow_ = about; }
  // After the set-up: takes back what the last run remembered (reporting slot pictures gone
  // since) or, on a first start, gives the slots the sample artwork; then renders the shot.
  // Without remembered settings or sample artwork nothing is rendered.
  void ShowFirstShot();
  // A picture given when the program was started (as "Open with" does): the FRONT slot takes it,
  // as if it had been chosen there, and the panel shows that slot.
  void OpenArtwork(const QString& fileName);
  // The window's size and place of the last run; before the window is shown.
  void RestoreWindowGeometry();
  // Writes the settings, folders and window geometry to the shell's settings, if it has any.
  void StoreRemembered();

  // Event operations.
  void SaveButtonClick();
  void AboutToolButtonClick();
  void TemplateUpDownClick();
  void ApplyTempButtonClick();
  void DesignButtonClick();
  // The user's template of this name, just saved by the designer, becomes the current template
  // and the preview its shot.
  void ShowSavedTemplate(const QString& name);
  // The designer's shot (template text) in the window without a file: rendered, saved and copied
  // like a template's until a template is chosen again.
  void UseDesignedShot(const QString& text, const QImage& preview);
  void LayerSourceUpDownClick();
  void LayerSourceImgClick();
  void LayerSourceImgFileDropped(const QString& fileName);
  void LayerSourceColorSelectChange();
  // Every setting control reports here: the value is stored through the settings table and the
  // shot follows as the setting's row says.
  void SettingChanged(const EditingSetting* setting, int64_t value, bool finished);
  void UndoClick();
  void RedoClick();
  // Ctrl+C: the shot as a save would write it, alpha included, onto the clipboard.
  void CopyClick();
  // Ctrl+S: saves again under the name of this run's last save; asks for one the first time.
  void SaveAgainClick();
  void FitClick();
  void ActualSizeClick();
  // The controls of the settings table, by field name.
  const SettingControls& Controls() const { return *controls_; }
  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }

  TImgView32& View();
  // What the status line says now, and whether it is a warning.
  QString StatusText() const;
  bool StatusIsWarning() const;
  // The file name proposed by the next save dialog.
  const QString& LastSaveFileName() const { return lastSaveFileName_; }

  // Controls, by their names in the window's layout.
  QMenuBar* MenuBar;
  QAction* UndoAction;
  QAction* RedoAction;
  QWidget* Content;  // everything between the menu bar and the status line
  QStatusBar* StatusLine;
  QLabel* StatusIcon;
  QLabel* StatusMessage;
  QLabel* RenderInfo;  // the last preview's render time, and whether it is a draft at screen size
  QToolBar* sToolBar1;
  QToolButton* SaveButton;
  QToolButton* AboutToolButton;
  QToolButton* UndoButton;
  QToolButton* RedoButton;
  QToolButton* FitButton;
  QToolButton* ActualSizeButton;
  QLabel* ZoomLabel;
  QFrame* TemplatePanel;
  QLabel* TemplateCaption;
  QFrame* TemplateBevel;
  TPictureBox* TemplateImage;
  QPushButton* ApplyTempButton;
  THorizontalUpDown* TemplateUpDown;
  QPushButton* DesignButton;  // opens the shot designer
  TImgViewWidget* ImgView;
  TCaptionPanel* LayerSourcePanel;
  QLabel* LayerSourceCaption;
  QFrame* LayerSourceBevel;
  TPictureBox* LayerSourceImg;
  TColorSelect* LayerSourceColorSelect;
  THorizontalUpDown* LayerSourceUpDown;
  QFrame* sPanel2;        // the size fields
  QWidget* OptionsPanel;  // the option boxes right of them
  // Hidden: the registries' resampler and kernel names, the linear resampler chosen.
  QComboBox* ResamplerClassNamesList;
  QComboBox* KernelClassNamesList;
  QTabWidget* SettingsPageControl;
  QWidget* ReflectionPage;
  QWidget* ShadowPage;
  QWidget* ObjectPage;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The slot picture's tooltip, before what the picture's colours add to it.
  static const QString kSlotPictureTip;
  // Where a control sits at the base size, and how it follows a larger window: the preview
  // grows, what lies right of it or below it moves along.
  struct Placement {
    QWidget* widget;
    QRect design;
    bool followRight;
    bool followBottom;
    bool growWidth;
    bool growHeight;
  };
  void CreateControls();
  void CreateToolButtons();
  void CreateMenus();
  void CreateStatusLine();
  // The window's own height above and below Content.
  int MenuHeight() const;
  int StatusHeight() const;
  void ShowStatus(const QString& text);
  // The first warning in the status line (and how many more), all of them in its tooltip.
  void ShowWarnings(const std::vector<std::string>& warnings, const QString& lead = QString());
  void WireEvents();
  void SetTabOrder();
  // A tooltip on every control but the settings', which carry their own.
  void SetToolTips();
  void Place(QWidget* widget, bool followRight, bool followBottom, bool growWidth, bool growHeight);
  // The side columns, top to bottom: a panel grows with its pictures, a button keeps its height.
  struct ColumnPart {
    QWidget* widget;
    QRect design;
    bool grows;
  };
  void PlaceInColumn(std::vector<ColumnPart>& column, QWidget* widget, bool grows);
  // A grown panel's children: frames and pictures scale, buttons keep their size at their place.
  void PlaceInPanel(QWidget* child, bool keepsSize);
  void LayOut();
  void ShowZoom();
  QLabel* AddLabel(QWidget* parent, const QString& text, int left, int top);
  // The re-render step: wait cursor, RenderTemplate at the size fields' values, cursor back. In Fit,
  // a shot smaller than the preview is drawn at the size shown instead (a draft at screen size);
  // without templates nor a designed shot there is nothing to draw.
  void Rerender();
  // How much larger than the output the preview shows the shot now: above 1 only in Fit.
  double ScreenScale() const;
  // In Fit, the window resized: the shot is drawn again at its new size once resizing rests.
  void FollowScreenScale();
  // While a slider is dragged: the shot at the size the preview shows it, blur scaled alike.
  void RenderDraft();
  // Renders at width x height from state; busy: on a worker thread with a busy indicator.
  void RenderAt(int32_t width, int32_t height, const EditingState& state, bool busy);
  SettingsSnapshot CurrentSettings() const { return {state_, sources_}; }
  // Records a finished change for undo; see EditHistory::Record for mergeKey.
  void Commit(std::string_view mergeKey = {});
  // Undo and redo: the settings become those of the snapshot, the controls show them, the shot
  // is rendered.
  void ApplySettings(const SettingsSnapshot& snapshot);
  // Every control from the state and slots, without running their operations.
  void ShowSettings();
  void ShowTemplatePanel();
  void ShowUndoState();
  // Flattened, mirrored when "Flip when saved" is on: what a save writes.
  std::unique_ptr<TBitmap32> ShotPicture();
  // The save dialog, and the warning about transparent parts for formats that keep none; nothing
  // when the user cancelled either.
  struct SaveName {
    QString File;
    int Filter;  // the file type chosen in the dialog
  };
  std::optional<SaveName> AskSaveName(const TBitmap32& picture);
  void SaveShot(bool askName);
  // Stores a slider's position through store, then re-renders; errors are reported.
  void StoreAndRerender(const std::function<void()>& store);
  // Shows or hides the layers of one group; the layers carry their group, so no render is needed.
  void ToggleLayers(LayerGroup group, bool visible);
  void LoadSlotPicture(const QString& fileName);
  // The slot picture reduced for the panel, decoded on a worker thread; fails naming the file.
  QImage ReadSlotThumbnail(const std::string& file);
  // Shows the current slot: its picture when it uses it, else its colour in the picture area.
  void ShowCurrentSlot();
  // Shows the template at the stepper's position: its name, and its preview, a placeholder when
  // it has none, a warning sign (the reason in the tooltip) when it cannot be read. False when the
  // catalogue is empty.
  bool TemplateIndexStep();

  Shell& shell_;
  EditingState& state_;
  LayerSources& sources_;
  Renderer renderer_;
  TForm2* aboutWindow_ = nullptr;
  QString lastSaveFileName_;
  int lastSaveFilter_ = 1;  // PNG first: it keeps a shot's transparent parts
  // The WebP choice offered again at the next WebP save.
  TWebpOptions webpOptions_;
  // The file this run last saved, for Ctrl+S; empty before the first save.
  QString lastSavedFile_;
  QString lastOpenFolder_;
  // Why the last slot picture read kept its colours as they were stored; empty when nothing went wrong.
  QString lastColourWarning_;
  EditHistory history_;
  // The last template that rendered (or that the last run remembered and reads): what is remembered.
  int32_t appliedTemplate_ = 1;
  // The designer's shot in use instead of the catalogue's; empty: none.
  std::string designedShot_;
  // What the last render left out, for the status line.
  std::vector<std::string> lastWarnings_;
  double drawnScale_ = 1.0;  // the screen scale the preview's stack was drawn at
  bool draftShown_ = false;  // the stack is a drag's draft, smaller than the shot
  QTimer* refitTimer_ = nullptr;
  bool statusIsWarning_ = false;
  std::vector<Placement> placements_;
  std::vector<ColumnPart> leftColumn_;
  std::vector<ColumnPart> rightColumn_;
  std::vector<ColumnPart> panelChildren_;
  SettingControls* controls_ = nullptr;
};

}  // namespace mirelane
