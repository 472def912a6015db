// The main window on the offscreen platform: start-up state, stepping, effect controls, the
// show toggles, the size fields, the layer source panel and error reports.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPaintEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>
#include <functional>
#include <map>
#include <tuple>

#include "app/controls.h"
#include "app/img_view_widget.h"
#include "app/picture_io.h"
#include "app/setting_controls.h"
#include "app_fixture.h"
#include "compose/editing_settings.h"
#include "picture/colour_management.h"
#include "picture/picture_fixtures.h"
#include "raster/error.h"
#include "support/layer_kinds.h"

namespace mirelane::testing {
namespace {

namespace fs = std::filesystem;

using MainWindowTest = AppTest;

TEST_F(MainWindowTest, StartUp_ShowsFirstTemplateBackgroundSlotEmptyPreviewAndObjectPage) {
  MakeStandardData();
  CreateWindow();
  EXPECT_TRUE(dialogs_.errors.empty());
  EXPECT_EQ(form_->TemplateCaption->text(), "BOX1");
  EXPECT_FALSE(form_->TemplateImage->Picture().isNull());
  EXPECT_EQ(form_->LayerSourceCaption->text(), "BACKGROUND");
  EXPECT_EQ(form_->LayerSourceColorSelect->ColorValue(), 0xFFFFFF);
  EXPECT_TRUE(form_->LayerSourceImg->Picture().isNull());
  EXPECT_EQ(form_->LayerSourcePanel->Caption(), "Click to load image");
  EXPECT_TRUE(form_->LayerSourcePanel->CaptionShown());
  EXPECT_EQ(form_->SettingsPageControl->currentWidget(), form_->ObjectPage);
  EXPECT_EQ(form_->SettingsPageControl->tabText(0), "Reflection");
  EXPECT_EQ(form_->SettingsPageControl->tabText(1), "Shadow");
  EXPECT_EQ(form_->SettingsPageControl->tabText(2), "Object");
  EXPECT_EQ(form_->windowTitle(), "Mirelane Creator");
  EXPECT_EQ(shell_->title, "Mirelane Creator");
  EXPECT_EQ(form_->Content->size(), QSize(633, 523)) << "between the menu bar and the status line";
  // Nothing rendered: an empty, transparent base of the view's size and no layers.
  EXPECT_EQ(renders_, 0);
  const TImgView32& view = form_->View();
  EXPECT_EQ(view.Layers().Count(), 0);
  ASSERT_EQ(view.Bitmap().Width(), 297);
  ASSERT_EQ(view.Bitmap().Height(), 297);
  for (size_t i = 0; i < view.Bitmap().PixelCount(); ++i) ASSERT_EQ(view.Bitmap().Bits()[i], 0u);
  // The hidden lists: registry names, bilinear and box selected, both hidden.
  EXPECT_FALSE(form_->ResamplerClassNamesList->isVisibleTo(form_.get()));
  EXPECT_FALSE(form_->KernelClassNamesList->isVisibleTo(form_.get()));
  EXPECT_EQ(form_->ResamplerClassNamesList->currentText(), "TLinearResampler");
  EXPECT_EQ(form_->KernelClassNamesList->currentText(), "TBoxKernel");
}

// Each control is the settings table's row: its place, caption, range and start value, and a
// user change stores the value and renders only when the row says so.
TEST_F(MainWindowTest, EverySettingControl_ShowsItsRowAndStoresWhatTheUserSets) {
  MakeStandardData();
  CreateWindow();
  const std::map<SettingPlace, QWidget*> places = {{SettingPlace::OutputSize, form_->sPanel2},
                                                   {SettingPlace::Options, form_->OptionsPanel},
                                                   {SettingPlace::Reflection, form_->ReflectionPage},
                                                   {SettingPlace::Shadow, form_->ShadowPage},
                                                   {SettingPlace::Object, form_->ObjectPage}};
  for (const EditingSetting& setting : EditingSettings()) {
    SCOPED_TRACE(std::string(setting.Range.Name));
    if (setting.Place == SettingPlace::Hidden) {
      EXPECT_THROW(form_->Controls().Control(setting.Range.Name), Error) << "window state has no control";
      continue;
    }
    const SettingControls& controls = form_->Controls();
    QWidget* control = controls.Control(setting.Range.Name);
    EXPECT_TRUE(places.at(setting.Place)->isAncestorOf(control));
    EXPECT_FALSE(control->toolTip().isEmpty());
    const int rendersBefore = renders_;
    int64_t set = 0;
    if (TTrackBar* bar = controls.Slider(setting.Range.Name)) {
      EXPECT_EQ(bar->minimum(), setting.Range.Min);
      EXPECT_EQ(bar->maximum(), setting.Range.Max);
      EXPECT_EQ(bar->value(), setting.Default);
      EXPECT_EQ(bar->tickPosition(), QSlider::NoTicks);
      set = setting.Range.Min + 1;
      bar->SetPositionByUser(static_cast<int>(set));
    } else if (TSpinEdit* field = controls.Field(setting.Range.Name)) {
      EXPECT_EQ(field->minimum(), setting.Range.Min);
      EXPECT_EQ(field->maximum(), setting.Range.Max);
      EXPECT_EQ(field->value(), setting.Default);
      set = setting.Range.Max;
      field->setValue(static_cast<int>(set));
    } else if (QCheckBox* box = controls.Box(setting.Range.Name)) {
      EXPECT_EQ(box->text().toStdString(), setting.Caption);
      EXPECT_EQ(box->isChecked(), setting.Default != 0);
      set = setting.Default == 0;
      box->click();
    } else {
      TColorSelect* swatch = controls.Swatch(setting.Range.Name);
      ASSERT_NE(swatch, nullptr);
      EXPECT_EQ(swatch->ColorValue(), static_cast<TColor>(setting.Default));
      dialogs_.colorAnswers.push_back(QColor(10, 20, 30));
      set = 0x1E140A;
      swatch->click();
    }
    EXPECT_EQ(setting.Get(state_), set);
    EXPECT_EQ(renders_ - rendersBefore, setting.Effect == SettingEffect::Render ? 1 : 0);
  }
  EXPECT_EQ(form_->TemplateUpDown->Maximum(), 3) << "one position per template listed";
  EXPECT_EQ(form_->LayerSourceUpDown->Maximum(), 9);
  EXPECT_EQ(form_->ApplyTempButton->text(), "APPLY >>");
  EXPECT_EQ(form_->ImgView->geometry(), QRect(168, 64, 297, 297));
}

TEST_F(MainWindowTest, StartUp_ExeNameGivesTitleWithoutExtension) {
  MakeStandardData();
  CreateWindow("Shots.exe");
  EXPECT_EQ(form_->windowTitle(), "Shots");
  EXPECT_EQ(shell_->title, "Shots");
}

TEST_F(MainWindowTest, StartUp_EmptyTemplatesFolder_SaysSoOnceAndLeavesTheDesignerAtHand) {
  MakeStandardData();
  for (const auto& entry : fs::directory_iterator(root_ / "Templates")) fs::remove(entry.path());
  CreateWindow();
  form_->ShowFirstShot();
  form_->ApplyTempButtonClick();
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_EQ(dialogs_.errors[0].first, "Mirelane Creator " MIRELANE_VERSION);
  EXPECT_EQ(dialogs_.errors[0].second,
            QString::fromStdString("No templates in " + (root_ / "Templates").string()) +
                QStringLiteral("; Design\u2026 makes one."));
  EXPECT_EQ(renders_, 0);
  EXPECT_EQ(form_->TemplateCaption->text(), "No templates");
  EXPECT_FALSE(form_->TemplateImage->Picture().isNull()) << "a placeholder, not a blank";
  EXPECT_FALSE(form_->ApplyTempButton->isEnabled());
  EXPECT_TRUE(form_->DesignButton->isEnabled());
  EXPECT_TRUE(form_->StatusIsWarning()) << "the message stays in the status line";
}

// Paging applies the template shown at once, without "APPLY >>".
TEST_F(MainWindowTest, TemplateStepper_ShowsAndRendersEachTemplateAtOnce) {
  MakeStandardData();
  CreateWindow();
  form_->TemplateUpDown->Step(+1);
  EXPECT_EQ(form_->TemplateCaption->text(), "BOX2");
  EXPECT_EQ(renders_, 1);
  EXPECT_EQ(testing::SceneKinds(form_->View()).size(), 5u);
  form_->TemplateUpDown->Step(+1);
  EXPECT_EQ(form_->TemplateCaption->text(), "CD1");
  EXPECT_EQ(state_.TemplateIndex, 3);
  EXPECT_EQ(renders_, 2);
  EXPECT_EQ(testing::SceneKinds(form_->View()), (std::vector<LayerType>{LayerType::Normal}));
  form_->ApplyTempButton->click();
  EXPECT_EQ(renders_, 3);
  EXPECT_EQ(testing::SceneKinds(form_->View()), (std::vector<LayerType>{LayerType::Normal}));
  EXPECT_EQ(form_->View().Bitmap().Width(), 400);
  EXPECT_EQ(form_->View().Bitmap().Height(), 300);
}

TEST_F(MainWindowTest, TemplateStepper_StepsOverAnUnreadableTemplateEitherWayAndSaysWhichInTheStatusLine) {
  MakeStandardData();
  WriteText(root_ / "Templates" / "BOX2.ini", "");
  CreateWindow();
  for (const auto& [step, caption, index] : {std::tuple{+1, "CD1", 3}, std::tuple{-1, "BOX1", 1}}) {
    form_->TemplateUpDown->Step(step);
    EXPECT_EQ(form_->TemplateCaption->text(), caption);
    EXPECT_EQ(state_.TemplateIndex, index);
    EXPECT_EQ(form_->TemplateUpDown->Position(), index);
    EXPECT_TRUE(form_->StatusIsWarning());
    EXPECT_TRUE(form_->StatusText().contains("BOX2.ini")) << form_->StatusText().toStdString();
  }
  EXPECT_TRUE(dialogs_.errors.empty());
}

TEST_F(MainWindowTest, TemplateStepper_MissingPreviewAndUnknownLayerType_ApplyWithAWarningNotAnError) {
  MakeStandardData();
  fs::remove(root_ / "Pics" / "CD1.jpg");
  WriteText(root_ / "Templates" / "CD1.ini", TemplateText({{"banana", "FRONT"}, {"normal", "DISC"}}));
  CreateWindow();
  form_->TemplateUpDown->Step(+1);
  form_->TemplateUpDown->Step(+1);
  EXPECT_TRUE(dialogs_.errors.empty());
  EXPECT_EQ(form_->TemplateCaption->text(), "CD1");
  EXPECT_FALSE(form_->TemplateImage->Picture().isNull()) << "a placeholder";
  EXPECT_EQ(renders_, 2);
  EXPECT_TRUE(form_->StatusIsWarning());
  const std::string status = form_->StatusText().toStdString();
  for (const char* part : {"Layer 1", "\"banana\"", "\"CD1\""})
    EXPECT_NE(status.find(part), std::string::npos) << part << " in " << status;
}

TEST_F(MainWindowTest, TemplateStepper_StopsAtTheEndsOfTheListing) {
  const struct {
    const char* name;
    std::vector<const char*> removed;
    int clicks;  // +: next, -: previous, after going to the far end first
    const char* caption;
    int position;
  } cases[] = {
      {"three, next past the end", {}, +5, "CD1", 3},
      {"two, next past the end", {"CD1.ini"}, +5, "BOX2", 2},
      {"one, next", {"CD1.ini", "BOX2.ini"}, +3, "BOX1", 1},
      {"three, back past the start", {}, -5, "BOX1", 1},
  };
  for (const auto& c : cases) {
    MakeStandardData();
    for (const char* file : c.removed) fs::remove(root_ / "Templates" / file);
    dialogs_.errors.clear();
    CreateWindow();
    if (c.clicks < 0)
      while (form_->TemplateUpDown->Step(+1)) {
      }
    const int step = c.clicks > 0 ? +1 : -1;
    QToolButton* arrow =
        step > 0 ? form_->TemplateUpDown->NextButton() : form_->TemplateUpDown->PreviousButton();
    for (int i = 0; i < std::abs(c.clicks); ++i) arrow->click();
    EXPECT_TRUE(dialogs_.errors.empty()) << c.name << ": " << dialogs_.errors[0].second.toStdString();
    EXPECT_EQ(form_->TemplateCaption->text(), c.caption) << c.name;
    EXPECT_EQ(form_->TemplateUpDown->Position(), c.position) << c.name;
    EXPECT_EQ(state_.TemplateIndex, c.position) << c.name;
    // One click the other way always moves, however often the end was pressed.
    if (c.position > 1 || c.clicks < 0) {
      EXPECT_TRUE(form_->TemplateUpDown->Step(-step)) << c.name;
    }
    form_.reset();
    fs::remove_all(root_);
  }
}

TEST_F(MainWindowTest, TemplateStepper_RangeFollowsTheFolderWhenListedAgain) {
  MakeStandardData();
  CreateWindow();
  ASSERT_EQ(form_->TemplateUpDown->Maximum(), 3);
  WriteText(root_ / "Templates" / "DVD1.ini", TemplateText({{"normal", "FRONT"}}));
  WriteTestPicture(root_ / "Pics" / "DVD1.jpg", *HalfAndHalf(8, 6));
  form_->TemplateUpDown->Step(+1);
  EXPECT_EQ(form_->TemplateUpDown->Maximum(), 4);
  while (form_->TemplateUpDown->Step(+1)) {
  }
  EXPECT_EQ(form_->TemplateCaption->text(), "DVD1");
  // Templates removed while the last one is shown: the next listing brings the stepper back in.
  fs::remove(root_ / "Templates" / "DVD1.ini");
  fs::remove(root_ / "Templates" / "CD1.ini");
  form_->TemplateUpDown->Step(-1);
  EXPECT_EQ(form_->TemplateUpDown->Maximum(), 2);
  EXPECT_EQ(form_->TemplateUpDown->Position(), 2);
  EXPECT_EQ(form_->TemplateCaption->text(), "BOX2");
  EXPECT_TRUE(dialogs_.errors.empty());
}

TEST_F(MainWindowTest, TemplateCaption_LongNamesWrapReadablyAndWhole) {
  const struct {
    const char* name;
    bool oneLine;  // names that fit at nearly the caption's own 19 pixels stay on one line
    int smallest;  // the least pixel size it may be shown at
  } cases[] = {
      {"BOX1", true, 19},
      {"01 Software box", true, 15},
      {"BOX3 seen from the left", false, 13},
      {"Software box standing on a glass table seen from the left", false, 13},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", false, 13},  // one word wider than the panel
  };
  MakeStandardData();
  for (const auto& c : cases) {
    WriteText(root_ / "Templates" / (std::string(c.name) + ".ini"), TemplateText({{"normal", "FRONT"}}));
    WriteTestPicture(root_ / "Pics" / (std::string(c.name) + ".jpg"), *HalfAndHalf(8, 6));
  }
  CreateWindow();
  QLabel* caption = form_->TemplateCaption;
  std::map<std::string, std::pair<QString, int>> shown;  // name: text and pixel size shown
  do {
    shown[caption->toolTip().toStdString()] = {caption->text(), caption->font().pixelSize()};
  } while (form_->TemplateUpDown->Step(+1));
  ASSERT_TRUE(dialogs_.errors.empty()) << dialogs_.errors[0].second.toStdString();
  for (const auto& c : cases) {
    ASSERT_TRUE(shown.count(c.name)) << c.name;
    const auto& [text, pixelSize] = shown[c.name];
    const QStringList lines = text.split(u'\n');
    QFont font = caption->font();
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    EXPECT_EQ(lines.size() == 1, c.oneLine) << c.name;
    EXPECT_GE(pixelSize, c.smallest) << c.name << ": still readable";
    for (const QString& line : lines)
      EXPECT_LE(metrics.horizontalAdvance(line), caption->contentsRect().width()) << c.name;
    EXPECT_LE(lines.size() * metrics.lineSpacing(), caption->contentsRect().height()) << c.name;
    QString letters = text;
    EXPECT_EQ(letters.remove(u'\n').remove(u' '), QString(c.name).remove(u' ')) << c.name << ": nothing cut";
  }
}

TEST_F(MainWindowTest, TemplateStepper_NextSliderRenderUsesTheShownTemplate) {
  MakeStandardData();
  CreateWindow();
  form_->ApplyTempButton->click();
  EXPECT_EQ(testing::SceneKinds(form_->View()).size(), 5u);
  form_->TemplateUpDown->Step(+1);
  form_->TemplateUpDown->Step(+1);
  EXPECT_EQ(testing::SceneKinds(form_->View()), (std::vector<LayerType>{LayerType::Normal}))
      << "stepping renders";
  form_->Controls().Slider("ObjectHighlight")->setValue(100);
  ClickMouseUp(form_->Controls().Slider("ObjectHighlight"));
  EXPECT_EQ(testing::SceneKinds(form_->View()), (std::vector<LayerType>{LayerType::Normal}));
}

TEST_F(MainWindowTest, Render_LeavesEveryLayerWithTheBilinearResamplerAndTheBaseWithNearest) {
  MakeStandardData();
  WriteTestPicture(root_ / "background.png", *HalfAndHalf(64, 48));
  sources_[1].PicturePath = (root_ / "background.png").string();
  sources_[1].UseColor = false;
  CreateWindow();
  form_->ApplyTempButton->click();
  const TLayerCollection& layers = form_->View().Layers();
  ASSERT_EQ(layers.Count(), 6);
  for (int i = 0; i < layers.Count(); ++i)
    EXPECT_EQ(layers[i].Bitmap().ResamplerClassName(), "TLinearResampler") << i;
  EXPECT_EQ(form_->View().Bitmap().ResamplerClassName(), "TNearestResampler");
  EXPECT_FALSE(form_->KernelClassNamesList->isVisibleTo(form_.get()));
}

TEST_F(MainWindowTest, LayerSourceStepper_ShowsCaptionAndSwatchWithoutRendering) {
  MakeStandardData();
  CreateWindow();
  const struct {
    int slot;
    const char* caption;
    TColor color;
  } cases[] = {
      {2, "FRONT", 0xC0DCC0}, {3, "SIDE", 0x808000}, {6, "FRONT 2", 0x000080}, {9, "DISC 2", 0xC0DCC0}};
  for (const auto& c : cases) {
    while (form_->LayerSourceUpDown->Position() < c.slot) form_->LayerSourceUpDown->Step(+1);
    EXPECT_EQ(state_.CurrentSource, c.slot);
    EXPECT_EQ(form_->LayerSourceCaption->text(), c.caption);
    EXPECT_EQ(form_->LayerSourceColorSelect->ColorValue(), c.color) << c.caption;
  }
  EXPECT_EQ(renders_, 0);
}

TEST_F(MainWindowTest, Sliders_StoreAndRenderOnceOnMouseRelease_AndAtEachKeyOrWheelMove) {
  MakeStandardData();
  CreateWindow();
  for (const EditingSetting& setting : EditingSettings()) {
    TTrackBar* bar = setting.Place >= SettingPlace::Reflection && setting.Kind == SettingKind::Number
                         ? form_->Controls().Slider(setting.Range.Name)
                         : nullptr;
    if (bar == nullptr) continue;
    const std::string name(setting.Range.Name);
    const auto field = [&] { return static_cast<int>(setting.Get(state_)); };
    const int value = setting.Range.Min + (setting.Range.Max - setting.Range.Min) / 3;
    form_->SettingsPageControl->setCurrentIndex(static_cast<int>(setting.Place) -
                                                static_cast<int>(SettingPlace::Reflection));
    const int before = field();
    const int rendersBefore = renders_;
    bar->setValue(value);  // as a drag would move it
    EXPECT_EQ(field(), before) << name << ": stored before the release";
    ClickMouseUp(bar);
    EXPECT_EQ(field(), value) << name;
    EXPECT_EQ(renders_, rendersBefore + 1) << name;
    EXPECT_TRUE(waitCursorDuringRender_) << name;
    // Each key press or wheel turn that moves the handle stores and renders at once, so the
    // preview never disagrees with what a save would write.
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Left);
    EXPECT_EQ(field(), bar->value()) << name << ": key";
    EXPECT_NE(bar->value(), value) << name;
    EXPECT_EQ(renders_, rendersBefore + 2) << name << ": key";
    QWheelEvent wheel(QPointF(bar->rect().center()), QPointF(bar->mapToGlobal(bar->rect().center())),
                      QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    const int beforeWheel = bar->value();
    QApplication::sendEvent(bar, &wheel);
    EXPECT_NE(bar->value(), beforeWheel) << name << ": wheel";
    EXPECT_EQ(field(), bar->value()) << name << ": wheel";
    EXPECT_EQ(renders_, rendersBefore + 3) << name << ": wheel";
    // A key that cannot move the handle further changes nothing and renders nothing.
    QTest::keyClick(bar, Qt::Key_End);
    const int rendersAtEnd = renders_;
    QTest::keyClick(bar, Qt::Key_End);
    EXPECT_EQ(field(), bar->maximum()) << name << ": end";
    EXPECT_EQ(renders_, rendersAtEnd) << name << ": end again";
  }
  EXPECT_TRUE(dialogs_.errors.empty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, Slider_DragReleasedPastItsEnd_StoresThePositionShown) {
  MakeStandardData();
  CreateWindow();
  form_->show();
  TTrackBar* bar = form_->Controls().Slider("ObjectShading");
  const QPoint handle = QPoint(bar->width() - 4, bar->height() / 2);
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, handle);
  bar->setValue(60);  // as the drag moves it
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(-40, bar->height() * 3));
  EXPECT_EQ(renders_, 2) << "a draft while dragged, the shot at the release";
  EXPECT_EQ(lastWidth_, 400);
  EXPECT_EQ(state_.ObjectShading, bar->value());
}

TEST_F(MainWindowTest, Slider_ClickOnGroove_StoresTheNewPosition) {
  MakeStandardData();
  CreateWindow();
  form_->SettingsPageControl->setCurrentWidget(form_->ShadowPage);
  form_->show();
  TTrackBar* bar = form_->Controls().Slider("ShadowBlur");
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() - 3, bar->height() / 2));
  EXPECT_EQ(renders_, 1);
  EXPECT_EQ(int{state_.ShadowBlur}, bar->value());
  EXPECT_NE(bar->value(), 25);
}

TEST_F(MainWindowTest, ColourSwatches_StoreConfirmedColourAndRenderEvenWhenUnchanged) {
  MakeStandardData();
  CreateWindow();
  for (const EditingSetting& setting : EditingSettings()) {
    if (setting.Kind != SettingKind::Colour) continue;
    TColorSelect* swatch = form_->Controls().Swatch(setting.Range.Name);
    const std::string name(setting.Range.Name);
    const auto field = [&] { return setting.Get(state_); };
    const TColor before = swatch->ColorValue();
    const int rendersBefore = renders_;
    dialogs_.colorAnswers.push_back(QColor(10, 20, 30));
    swatch->click();
    EXPECT_EQ(dialogs_.colorPresets.back(), QColorFromTColor(before)) << name;
    EXPECT_EQ(field(), 0x1E140A) << name;  // red in the low byte
    EXPECT_EQ(renders_, rendersBefore + 1) << name;
    dialogs_.colorAnswers.push_back(QColor(10, 20, 30));
    swatch->click();
    EXPECT_EQ(renders_, rendersBefore + 2) << name << ": the same colour again";
    dialogs_.colorAnswers.push_back(std::nullopt);
    swatch->click();
    EXPECT_EQ(renders_, rendersBefore + 2) << name << ": cancelled";
    EXPECT_EQ(field(), 0x1E140A) << name;
  }
}

TEST_F(MainWindowTest, OptionBoxes_TakeClicksOverTheirWholeHeight) {
  MakeStandardData();
  CreateWindow();
  form_->show();
  const struct {
    const char* name;
    QCheckBox* box;
  } cases[] = {{"transparent", form_->Controls().Box("TransparentBackground")},
               {"large disc", form_->Controls().Box("LargeDiscArea")},
               {"flip", form_->Controls().Box("FlipWhenSaved")}};
  for (const auto& c : cases) {
    EXPECT_LE(c.box->geometry().bottom(), form_->SettingsPageControl->geometry().top()) << c.name;
    for (const double part : {0.25, 0.5, 0.85}) {
      // Where the window would deliver a click on the box's caption at this height.
      const QPoint local(c.box->width() / 2, static_cast<int>(c.box->height() * part));
      const QPoint inWindow = c.box->mapTo(form_.get(), local);
      EXPECT_EQ(form_->childAt(inWindow), c.box) << c.name << " at " << part << " of its height";
      const bool before = c.box->isChecked();
      QTest::mouseClick(c.box, Qt::LeftButton, Qt::NoModifier, local);
      EXPECT_NE(c.box->isChecked(), before) << c.name << " at " << part << " of its height";
    }
  }
}

TEST_F(MainWindowTest, ShowToggles_HideExactlyTheirGroup_AndLaterRendersKeepThemHidden) {
  MakeStandardData();
  // A picture background puts a background layer below the scene: stack index = scene index + 1.
  WriteTestPicture(root_ / "background.png", *HalfAndHalf(64, 48));
  CreateWindow();
  dialogs_.openAnswers.push_back(QString::fromStdString((root_ / "background.png").string()));
  form_->LayerSourceImg->Click();
  ASSERT_TRUE(dialogs_.errors.empty()) << dialogs_.errors[0].second.toStdString();
  ASSERT_EQ(testing::SceneKinds(form_->View()),
            (std::vector<LayerType>{LayerType::Shadow, LayerType::Reflection, LayerType::BlurShade,
                                    LayerType::Normal, LayerType::Normal}));
  const TLayerCollection& layers = form_->View().Layers();
  ASSERT_EQ(layers.Count(), 6);
  auto visibility = [&] {
    std::vector<bool> v;
    for (int i = 0; i < layers.Count(); ++i) v.push_back(layers[i].Visible());
    return v;
  };
  const int rendersBefore = renders_;
  form_->SettingsPageControl->setCurrentWidget(form_->ShadowPage);
  form_->Controls().Box("ShowShadow")->click();
  EXPECT_FALSE(state_.ShowShadow);
  EXPECT_EQ(visibility(), (std::vector<bool>{true, false, true, true, true, true}));
  form_->Controls().Box("ShowShadow")->click();
  EXPECT_EQ(visibility(), (std::vector<bool>{true, true, true, true, true, true}));
  form_->SettingsPageControl->setCurrentWidget(form_->ReflectionPage);
  form_->Controls().Box("ShowReflection")->click();
  EXPECT_FALSE(state_.ShowReflection);
  EXPECT_EQ(visibility(), (std::vector<bool>{true, true, false, false, true, true}));
  EXPECT_EQ(renders_, rendersBefore) << "the toggles do not render";
  // A slider change renders again; the reflection group is created hidden.
  form_->Controls().Slider("ReflectionBlur")->setValue(30);
  ClickMouseUp(form_->Controls().Slider("ReflectionBlur"));
  EXPECT_EQ(renders_, rendersBefore + 1);
  EXPECT_EQ(visibility(), (std::vector<bool>{true, true, false, false, true, true}));
}

TEST_F(MainWindowTest, ShowToggle_WithColourBackground_UsesSceneIndexAsStackIndex) {
  MakeStandardData();
  CreateWindow();
  form_->ApplyTempButton->click();
  const TLayerCollection& layers = form_->View().Layers();
  ASSERT_EQ(layers.Count(), 5);
  form_->Controls().Box("ShowShadow")->click();
  EXPECT_FALSE(layers[0].Visible());
  for (int i = 1; i < 5; ++i) EXPECT_TRUE(layers[i].Visible()) << i;
}

TEST_F(MainWindowTest, WidthField_Typing4Then40Then400_RendersAt40And400Only) {
  MakeStandardData();
  CreateWindow();
  QLineEdit* edit = form_->Controls().Field("OutputWidth")->Editor();
  ASSERT_NE(edit, nullptr);
  form_->show();
  form_->Controls().Field("OutputWidth")->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(renders_, 1) << "an empty field reads as 32 and renders";
  EXPECT_EQ(lastWidth_, 32);
  QTest::keyClick(edit, Qt::Key_4);
  EXPECT_EQ(renders_, 1) << "4 is below the minimum";
  QTest::keyClick(edit, Qt::Key_0);
  EXPECT_EQ(renders_, 2);
  EXPECT_EQ(lastWidth_, 40);
  QTest::keyClick(edit, Qt::Key_0);
  EXPECT_EQ(renders_, 3);
  EXPECT_EQ(lastWidth_, 400);
  EXPECT_EQ(lastHeight_, 300);
  EXPECT_EQ(form_->View().Bitmap().Width(), 400);
}

TEST_F(MainWindowTest, HeightField_BelowMinimumOnLeaving_BecomesMinimumAndRenders) {
  MakeStandardData();
  CreateWindow();
  QLineEdit* edit = form_->Controls().Field("OutputHeight")->Editor();
  form_->show();
  form_->Controls().Field("OutputHeight")->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_3);
  EXPECT_EQ(renders_, 0);
  form_->Controls().Field("OutputWidth")->setFocus();
  QApplication::processEvents();
  form_->Controls().Field("OutputHeight")->interpretText();
  EXPECT_EQ(form_->Controls().Field("OutputHeight")->text(), "32");
  EXPECT_EQ(renders_, 1);
  EXPECT_EQ(lastHeight_, 32);
}

TEST_F(MainWindowTest, SizeFields_NeverRenderOutsideTheRange) {
  MakeStandardData();
  CreateWindow();
  QLineEdit* edit = form_->Controls().Field("OutputWidth")->Editor();
  form_->show();
  form_->Controls().Field("OutputWidth")->setFocus();
  edit->selectAll();
  for (Qt::Key key : {Qt::Key_9, Qt::Key_9, Qt::Key_9, Qt::Key_9}) QTest::keyClick(edit, key);
  EXPECT_GE(lastWidth_, 32);
  EXPECT_LE(lastWidth_, 4096);
  EXPECT_LE(form_->View().Bitmap().Width(), 4096);
}

TEST_F(MainWindowTest, FailingRender_ReportsMessageAndRestoresCursor) {
  MakeStandardData();
  CreateWindow();
  form_->SetRenderer([this](TImgView32&, int32_t, int32_t, RenderContext&) {
    waitCursorDuringRender_ = WaitCursorShown();
    throw Error("Cannot open file \"front.png\". No such file or directory");
  });
  form_->ApplyTempButton->click();
  EXPECT_TRUE(waitCursorDuringRender_);
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_EQ(dialogs_.errors[0].first, "Mirelane Creator");
  EXPECT_EQ(dialogs_.errors[0].second, "Cannot open file \"front.png\". No such file or directory.");
  EXPECT_FALSE(dialogs_.waitCursorAtError[0]) << "the cursor comes back before the report";
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, FailingRender_UnreadableSlotPicture_KeepsStoredValueAndCursor) {
  MakeStandardData();
  CreateWindow();
  form_->ApplyTempButton->click();
  sources_[2].PicturePath = (root_ / "gone.png").string();
  sources_[2].UseColor = false;
  form_->Controls().Slider("ObjectShading")->setValue(9);
  ClickMouseUp(form_->Controls().Slider("ObjectShading"));
  EXPECT_EQ(state_.ObjectShading, 9);
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_NE(dialogs_.errors[0].second.indexOf("gone.png"), -1);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, FailingRender_EmptyTemplateFile_ReportsItsNameAndShowsNoLayers) {
  MakeStandardData();
  WriteText(root_ / "Templates" / "BOX1.ini", "");
  CreateWindow();
  form_->ApplyTempButton->click();
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_NE(dialogs_.errors[0].second.indexOf("BOX1.ini\" is empty."), -1)
      << dialogs_.errors[0].second.toStdString();
  EXPECT_EQ(form_->View().Layers().Count(), 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, LayerSourcePicture_ChoosingPictureOrColour_SwitchesSlotAndShowsWhatItUses) {
  MakeStandardData();
  WriteTestPicture(root_ / "front.png", *HalfAndHalf(32, 32));
  CreateWindow();
  form_->LayerSourceUpDown->Step(+1);
  const QString file = QString::fromStdString((root_ / "front.png").string());
  dialogs_.openAnswers.push_back(file);
  form_->show();
  QTest::mouseClick(form_->LayerSourceImg, Qt::LeftButton);
  ASSERT_EQ(dialogs_.openTitles.size(), 1u);
  EXPECT_EQ(dialogs_.openTitles[0], "Choose Picture");
  EXPECT_NE(dialogs_.openFilters[0].indexOf("*.png"), -1);
  EXPECT_EQ(sources_[2].PicturePath, file.toStdString());
  EXPECT_EQ(renders_, 1);
  // Each step: what the user does to slot 2, then what the slot uses and what the panel shows.
  const struct {
    const char* step;
    std::function<void()> act;
    bool usesColor;
  } steps[] = {
      {"picture chosen", [] {}, false},
      {"the swatch's own colour chosen",
       [&] {
         dialogs_.colorAnswers.push_back(QColorFromTColor(form_->LayerSourceColorSelect->ColorValue()));
         form_->LayerSourceColorSelect->click();
       },
       true},
      {"stepped away and back",
       [&] {
         form_->LayerSourceUpDown->Step(+1);
         form_->LayerSourceUpDown->Step(-1);
       },
       true},
      {"picture chosen again",
       [&] {
         dialogs_.openAnswers.push_back(file);
         form_->LayerSourceImg->Click();
       },
       false},
      {"stepped away and back with the picture",
       [&] {
         form_->LayerSourceUpDown->Step(+1);
         form_->LayerSourceUpDown->Step(-1);
       },
       false},
      {"another colour chosen",
       [&] {
         dialogs_.colorAnswers.push_back(QColor(200, 0, 0));
         form_->LayerSourceColorSelect->click();
       },
       true},
  };
  for (const auto& s : steps) {
    s.act();
    ASSERT_TRUE(dialogs_.errors.empty()) << s.step << ": " << dialogs_.errors[0].second.toStdString();
    EXPECT_EQ(sources_[2].UseColor, s.usesColor) << s.step;
    EXPECT_EQ(sources_[2].PicturePath, file.toStdString()) << s.step << ": the picture is remembered";
    EXPECT_EQ(form_->LayerSourceImg->Picture().isNull(), s.usesColor) << s.step;
    EXPECT_EQ(form_->LayerSourcePanel->CaptionShown(), s.usesColor) << s.step;
    EXPECT_EQ(form_->LayerSourcePanel->CaptionFill(), QColorFromTColor(sources_[2].Color)) << s.step;
  }
  EXPECT_EQ(form_->LayerSourcePanel->CaptionFill(), QColor(200, 0, 0));
  EXPECT_EQ(renders_, 4) << "each choice renders, stepping does not";
}

TEST_F(MainWindowTest, PictureBox_KeepsThePicturesProportionsCentred) {
  MakeStandardData();
  CreateWindow();
  TPictureBox* box = form_->LayerSourceImg;  // 121 x 113
  const struct {
    const char* name;
    int width, height;
    QPoint inside;   // on the picture
    QPoint outside;  // in the margin the proportions leave
  } cases[] = {
      {"wide", 80, 20, QPoint(5, 56), QPoint(60, 5)},
      {"tall", 20, 80, QPoint(52, 5), QPoint(5, 56)},
  };
  for (const auto& c : cases) {
    box->SetPicture(ImageFromBitmap(*HalfAndHalf(c.width, c.height)));
    const QImage shot = box->grab().toImage();
    const QColor picture = shot.pixelColor(c.inside);
    EXPECT_TRUE(picture == QColor(255, 0, 0) || picture == QColor(0, 0, 255)) << c.name;
    const QColor margin = shot.pixelColor(c.outside);
    EXPECT_FALSE(margin == QColor(255, 0, 0) || margin == QColor(0, 0, 255)) << c.name;
    // Centred: the red half ends in the middle of the box.
    EXPECT_EQ(shot.pixelColor(box->width() / 2 - 2, box->height() / 2), QColor(255, 0, 0)) << c.name;
    EXPECT_EQ(shot.pixelColor(box->width() / 2 + 2, box->height() / 2), QColor(0, 0, 255)) << c.name;
  }
}

TEST_F(MainWindowTest, LayerSourcePicture_CancelledDialogs_ChangeNothing) {
  MakeStandardData();
  CreateWindow();
  form_->LayerSourceImg->Click();
  form_->LayerSourceColorSelect->click();
  EXPECT_EQ(renders_, 0);
  EXPECT_TRUE(sources_[1].UseColor);
  EXPECT_TRUE(sources_[1].PicturePath.empty());
  EXPECT_EQ(sources_[1].Color, 0xFFFFFF);
}

TEST_F(MainWindowTest, OpenArtwork_PutsAStartupPictureIntoTheFrontSlot) {
  MakeStandardData();
  WriteTestPicture(root_ / "cover.png", *HalfAndHalf(20, 20));
  CreateWindow();
  form_->OpenArtwork(QString::fromStdString((root_ / "cover.png").string()));
  EXPECT_EQ(state_.CurrentSource, 2);
  EXPECT_EQ(form_->LayerSourceCaption->text(), "FRONT");
  EXPECT_EQ(sources_[2].PicturePath, (root_ / "cover.png").string());
  EXPECT_FALSE(sources_[2].UseColor);
  EXPECT_EQ(renders_, 1);
  EXPECT_TRUE(dialogs_.errors.empty());
}

TEST_F(MainWindowTest, LayerSourcePicture_Unreadable_KeepsNameButNotUseColorAndDoesNotRender) {
  MakeStandardData();
  WriteText(root_ / "broken.png", "not a picture");
  CreateWindow();
  dialogs_.openAnswers.push_back(QString::fromStdString((root_ / "broken.png").string()));
  form_->LayerSourceImg->Click();
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_EQ(sources_[1].PicturePath, (root_ / "broken.png").string());
  EXPECT_TRUE(sources_[1].UseColor);
  EXPECT_EQ(renders_, 0);
}

TEST_F(MainWindowTest, LayerSourcePicture_DroppedFile_ActsLikeChoosingIt) {
  MakeStandardData();
  WriteTestPicture(root_ / "dropped.png", *HalfAndHalf(20, 20));
  CreateWindow();
  form_->show();
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString((root_ / "dropped.png").string()))});
  const QPointF where = form_->LayerSourceImg->rect().center();
  QDragEnterEvent enter(where.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form_->LayerSourceImg, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(where, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form_->LayerSourceImg, &drop);
  EXPECT_EQ(sources_[1].PicturePath, (root_ / "dropped.png").string());
  EXPECT_FALSE(sources_[1].UseColor);
  EXPECT_EQ(renders_, 1);
  EXPECT_TRUE(dialogs_.openTitles.empty()) << "no dialog for a drop";
}

TEST_F(MainWindowTest, LayerSourceStepper_DeletedPicture_ReportsAndKeepsPreviousSwatch) {
  MakeStandardData();
  WriteTestPicture(root_ / "side.png", *HalfAndHalf(20, 20));
  CreateWindow();
  sources_[3].PicturePath = (root_ / "side.png").string();
  sources_[3].UseColor = false;
  fs::remove(root_ / "side.png");
  form_->LayerSourceUpDown->Step(+1);  // FRONT, pale green
  form_->LayerSourceUpDown->Step(+1);  // SIDE, whose picture is gone
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_NE(dialogs_.errors[0].second.indexOf("side.png"), -1);
  EXPECT_EQ(form_->LayerSourceCaption->text(), "SIDE");
  EXPECT_EQ(form_->LayerSourceColorSelect->ColorValue(), 0xC0DCC0);
  EXPECT_EQ(state_.CurrentSource, 3);
}

TEST_F(MainWindowTest, Preview_AfterRender_ShowsStackFittedWithItsOwnColourAround) {
  MakeStandardData();
  CreateWindow();
  form_->ApplyTempButton->click();
  form_->ImgView->PaintNow();
  const QImage& screen = form_->ImgView->ScreenImage();
  ASSERT_EQ(screen.size(), QSize(297, 297));
  EXPECT_EQ(form_->ImgView->PictureRect(), QRect(0, 37, 297, 223)) << "400 x 300 fitted, centred";
  EXPECT_EQ(screen.pixel(4, 20), TImgViewWidget::kOutsideColor) << "above the fitted picture";
  EXPECT_EQ(screen.pixel(4, 36), 0xFF000000u) << "the frame around the picture";
  EXPECT_EQ(screen.pixel(4, 40), 0xFFFFFFFFu) << "the white background colour inside it";
}

// Transparent parts of the picture show the checkerboard; the space around it does not.
TEST_F(MainWindowTest, Preview_TransparentPartsShowCheckerboardUnlikeTheSpaceAround) {
  MakeStandardData();
  CreateWindow();
  form_->Controls().Box("TransparentBackground")->click();
  form_->ImgView->PaintNow();
  const QImage& screen = form_->ImgView->ScreenImage();
  const QRect picture = form_->ImgView->PictureRect();
  // The template's faces leave the picture's top-left corner transparent.
  const QRgb tileA = screen.pixel(picture.left() + 2, picture.top() + 2);
  const QRgb tileB = screen.pixel(picture.left() + 10, picture.top() + 2);
  EXPECT_NE(tileA, tileB) << "two neighbouring checkerboard tiles";
  for (QRgb tile : {tileA, tileB})
    EXPECT_TRUE(tile == 0xFFB0B0B0u || tile == 0xFFFFFFFFu) << std::hex << tile;
  EXPECT_EQ(screen.pixel(picture.left() + 2, picture.top() - 10), TImgViewWidget::kOutsideColor);
}

// A paint event flattens the stack again only after it has changed: pixels written behind the
// stack's back stay off the screen until a change is reported.
TEST_F(MainWindowTest, Preview_RepaintsTheStackOnlyAfterItChanged) {
  MakeStandardData();
  CreateWindow();
  form_->ApplyTempButton->click();
  // The paint event the toolkit sends on an expose, whether or not anything changed.
  QWidget* viewport = form_->ImgView->viewport();
  const auto paint = [&] {
    QPaintEvent event(viewport->rect());
    QCoreApplication::sendEvent(viewport, &event);
  };
  paint();
  const QImage& screen = form_->ImgView->ScreenImage();
  ASSERT_EQ(screen.width(), 297);
  const QRgb before = screen.pixel(4, 40);
  TBitmap32& base = form_->ImgView->View().Bitmap();
  for (int32_t y = 0; y < base.Height(); ++y)
    for (int32_t x = 0; x < base.Width(); ++x) base.PixelAt(x, y) = 0xFF0000FFu;
  paint();
  EXPECT_EQ(form_->ImgView->ScreenImage().pixel(4, 40), before) << "nothing reported a change";
  base.Changed();
  paint();
  EXPECT_NE(form_->ImgView->ScreenImage().pixel(4, 40), before) << "the change reached the screen";
}

// A one-pixel PNG whose iCCP chunk holds the profile.
void WritePngWithProfile(const std::filesystem::path& file, const std::vector<uint8_t>& profile) {
  std::vector<uint8_t> iccp = {'P', 0, 0};
  const std::vector<uint8_t> packed = fixtures::Deflate(profile);
  iccp.insert(iccp.end(), packed.begin(), packed.end());
  fixtures::WriteBytes(file.string(), fixtures::PngFile({{"IHDR", fixtures::Ihdr(1, 1, 8, 2)},
                                                         {"iCCP", iccp},
                                                         {"IDAT", fixtures::Deflate({0, 9, 9, 9})},
                                                         {"IEND", {}}}));
}

TEST_F(MainWindowTest, LayerSourcePicture_TooltipNamesTheColourProfile_AndAPassedOverOneIsSaidOnce) {
  MakeStandardData();
  WritePngWithProfile(root_ / "damaged.png",
                      std::vector<uint8_t>(PressIccProfile().begin(), PressIccProfile().begin() + 100));
  WriteTestPicture(root_ / "plain.png", *HalfAndHalf(20, 20));
  CreateWindow();
  const struct {
    const char* file;
    const char* tip;
    size_t errors;
  } cases[] = {
      {"plain.png", "Colours: sRGB (the picture names no colour profile)", 0},
      {"damaged.png", "(the profile is damaged); its colours are taken as sRGB.", 1},
  };
  for (const auto& c : cases) {
    dialogs_.errors.clear();
    dialogs_.openAnswers.push_back(QString::fromStdString((root_ / c.file).string()));
    form_->LayerSourceImg->Click();
    EXPECT_NE(form_->LayerSourceImg->toolTip().indexOf(QString::fromUtf8(c.tip)), -1)
        << c.file << ": " << form_->LayerSourceImg->toolTip().toStdString();
    EXPECT_EQ(dialogs_.errors.size(), c.errors) << c.file;
    // Paging away and back shows the note again without saying it again.
    form_->LayerSourceUpDown->Step(+1);
    form_->LayerSourceUpDown->Step(-1);
    EXPECT_NE(form_->LayerSourceImg->toolTip().indexOf(QString::fromUtf8(c.tip)), -1) << c.file;
    EXPECT_EQ(dialogs_.errors.size(), c.errors) << c.file;
  }
}

}  // namespace
}  // namespace mirelane::testing
