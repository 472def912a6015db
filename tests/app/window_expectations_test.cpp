// The window as users expect it: growing with the preview, zoom, drafts while a slider is dragged,
// settings remembered between runs, a first shot, undo and redo, shortcuts, keyboard access and
// honest feedback.
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <set>
#include <thread>

#include "app/about_window.h"
#include "app/busy_work.h"
#include "app/controls.h"
#include "app/edit_history.h"
#include "app/img_view_widget.h"
#include "app_fixture.h"
#include "picture/picture_reader.h"
#include "raster/error.h"

namespace mirelane::testing {
namespace {

namespace fs = std::filesystem;

class WindowTest : public AppTest {
 protected:
  // A settings file of the test's own, as the program's settings.
  void UseSettings() {
    settings_ = std::make_unique<QSettings>(QString::fromStdString((root_ / "settings.ini").string()),
                                            QSettings::IniFormat);
    shell_->settings = settings_.get();
  }
  // Closes the window as the user would, and starts the program again with the same settings.
  void Restart() {
    form_->close();
    form_.reset();
    settings_.reset();
    state_ = EditingState{};
    sources_ = LayerSources{};
    renders_ = 0;
    CreateWindow();
    UseSettings();
    form_->RestoreWindowGeometry();
    form_->ShowFirstShot();
  }
  void ShowAndActivate() {
    form_->show();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }
  QString Name(const std::string& file) { return QString::fromStdString((root_ / file).string()); }

  std::unique_ptr<QSettings> settings_;
};

TEST_F(WindowTest, Resize_PreviewGrowsAndTheOtherControlsMoveAlongInTheirOrder) {
  MakeStandardData();
  CreateWindow();
  form_->show();
  // The menu bar and the status line take their own height above and below the controls.
  const int frame = form_->MenuBar->height() + form_->StatusLine->height();
  EXPECT_GT(frame, 20);
  EXPECT_EQ(form_->minimumSize(), QSize(633, 523 + frame));
  form_->resize(1200, 900 + frame);
  const int dx = 1200 - 633, dy = 900 - 523;
  // The side columns grow half again (230 wide) and the preview gives up that room; buttons keep
  // their height and the check boxes stay under the slot stepper.
  const struct {
    const char* name;
    QWidget* widget;
    QRect expected;
  } cases[] = {
      {"template panel", form_->TemplatePanel, QRect(8, 64, 230, 374)},
      {"template thumbnail", form_->TemplateImage, QRect(24, 156, 180, 135)},
      {"template stepper", form_->TemplateUpDown, QRect(8, 445, 230, 33)},
      {"preview", form_->ImgView, QRect(168 + 77, 64, 297 + dx - 154, 297 + dy)},
      {"layer source panel", form_->LayerSourcePanel, QRect(472 + dx - 77, 64, 230, 374)},
      {"layer source stepper", form_->LayerSourceUpDown, QRect(472 + dx - 77, 445, 230, 33)},
      {"option boxes", form_->OptionsPanel, QRect(625 + dx - 218, 482, 218, 59)},
      {"size fields", form_->sPanel2, QRect(168 + 77, 360 + dy, 297 + dx - 154, 57)},
      {"effect pages", form_->SettingsPageControl, QRect(0, 416 + dy, 633 + dx, 105)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.widget->geometry(), c.expected) << c.name;
  // Back at the smallest size every control is where the layout puts it.
  form_->resize(633, 523 + frame);
  EXPECT_EQ(form_->ImgView->geometry(), QRect(168, 64, 297, 297));
  EXPECT_EQ(form_->SettingsPageControl->geometry(), QRect(0, 416, 633, 105));
}

TEST_F(WindowTest, Zoom_FitGrowsWithThePreview_100PercentShowsPixels_CtrlWheelZoomsAroundThePointer) {
  MakeStandardData();
  CreateWindow();
  form_->show();
  form_->ApplyTempButton->click();
  TImgViewWidget* view = form_->ImgView;
  EXPECT_TRUE(view->FitMode());
  EXPECT_EQ(view->PictureRect().size(), QSize(297, 223));
  // 800 x 600 of preview once the side columns have taken their share.
  form_->resize(633 + 657, form_->minimumHeight() + 303);
  EXPECT_EQ(view->PictureRect().size(), QSize(800, 600)) << "fitted into 800 x 600, as large as fits";
  form_->ActualSizeButton->click();
  EXPECT_FALSE(view->FitMode());
  EXPECT_DOUBLE_EQ(view->Zoom(), 1.0);
  EXPECT_EQ(view->PictureRect().size(), QSize(400, 300));
  EXPECT_TRUE(form_->ActualSizeButton->isChecked());
  EXPECT_FALSE(form_->FitButton->isChecked());
  EXPECT_EQ(form_->ZoomLabel->text(), "100 %");
  // Zoomed past the preview, the picture point under the pointer stays under it.
  view->SetZoom(2.0);
  const QPointF pointer(300, 200);
  const QPointF onPicture = (pointer - QPointF(view->PictureRect().topLeft())) / 2.0;
  QWheelEvent wheel(pointer, view->viewport()->mapToGlobal(pointer), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view->viewport(), &wheel);
  EXPECT_DOUBLE_EQ(view->Zoom(), 2.5);
  EXPECT_EQ(view->PictureRect().size(), QSize(1000, 750));
  EXPECT_NEAR(view->PictureRect().left() + onPicture.x() * 2.5, pointer.x(), 1.0);
  EXPECT_NEAR(view->PictureRect().top() + onPicture.y() * 2.5, pointer.y(), 1.0);
  EXPECT_EQ(form_->ZoomLabel->text(), "250 %");
  form_->FitButton->click();
  EXPECT_TRUE(view->FitMode());
  EXPECT_EQ(view->PictureRect().size(), QSize(800, 600));
  EXPECT_EQ(renders_, 1) << "zooming shows, it does not render";
}

TEST_F(WindowTest, Fit_LargerThanTheOutput_DrawsADraftAtScreenSizeWhileSavingWritesTheOutputSize) {
  MakeStandardData();
  CreateWindow();
  form_->show();
  form_->ApplyTempButton->click();
  EXPECT_EQ(form_->View().Bitmap().Width(), 400);
  form_->resize(633 + 657, form_->minimumHeight() + 303);  // an 800 x 600 preview: twice the output
  QTest::qWait(400);                                       // drawn again once resizing rests
  EXPECT_EQ(form_->View().Bitmap().Width(), 800);
  EXPECT_EQ(form_->View().Bitmap().Height(), 600);
  EXPECT_TRUE(form_->RenderInfo->text().startsWith("Draft at screen size, 800 \u00d7 600"))
      << form_->RenderInfo->text().toStdString();
  dialogs_.saveAnswers.push_back(Name("shot.png"));
  form_->SaveButton->click();
  ASSERT_TRUE(dialogs_.errors.empty());
  TBitmap32 saved;
  LoadFromFile(saved, (root_ / "shot.png").string());
  EXPECT_EQ(QSize(saved.Width(), saved.Height()), QSize(400, 300));
  EXPECT_EQ(form_->StatusText(), "Saved " + Name("shot.png") + " (400 \u00d7 300 PNG)");
}

TEST_F(WindowTest, Zoom_PastThePreview_ScrollsToEveryPartOfThePicture) {
  MakeStandardData();
  CreateWindow();
  form_->show();
  form_->ApplyTempButton->click();
  TImgViewWidget* view = form_->ImgView;
  view->SetZoom(4.0);
  QApplication::processEvents();
  EXPECT_EQ(view->PictureRect().size(), QSize(1600, 1200));
  EXPECT_GT(view->horizontalScrollBar()->maximum(), 0);
  view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
  EXPECT_EQ(view->PictureRect().right(), view->viewport()->width() - 1) << "scrolled to the right edge";
}

// A render runs on a worker thread with the preview held still; afterwards it repaints by itself.
TEST_F(WindowTest, Preview_RepaintsOnItsOwnAfterARender) {
  MakeStandardData();
  CreateWindow();
  form_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  form_->ApplyTempButton->click();
  const QImage& screen = form_->ImgView->ScreenImage();
  const auto showsTheShot = [&] {
    return screen.size() == QSize(297, 297) && screen.pixel(4, 20) == TImgViewWidget::kOutsideColor &&
           screen.pixel(4, 40) == 0xFFFFFFFFu;
  };
  EXPECT_TRUE(QTest::qWaitFor(showsTheShot, 2000));
}

// While a slider is held, each move renders a draft at the size the preview shows, blur radii
// scaled alike; the release renders the shot at its full size.
TEST_F(WindowTest, LivePreview_DragRendersDraftsAtThePreviewsSize_ReleaseRendersTheShot) {
  MakeStandardData();
  CreateWindow();
  form_->show();
  form_->SettingsPageControl->setCurrentWidget(form_->ShadowPage);
  form_->ApplyTempButton->click();
  ASSERT_EQ(renders_, 1);
  TTrackBar* bar = form_->Controls().Slider("ShadowDensity");
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() - 4, bar->height() / 2));
  bar->setValue(120);
  EXPECT_EQ(renders_, 2);
  EXPECT_EQ(state_.ShadowDensity, 120);
  EXPECT_EQ(lastWidth_, 297);
  EXPECT_EQ(lastHeight_, 223);
  EXPECT_EQ(lastRenderedState_.ShadowBlur, 19) << "25 at 297/400 of the size";
  EXPECT_EQ(form_->ImgView->PictureRect().size(), QSize(297, 223)) << "shown as large as the shot";
  bar->setValue(80);
  EXPECT_EQ(renders_, 3);
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(4, bar->height() / 2));
  EXPECT_EQ(renders_, 4);
  EXPECT_EQ(lastWidth_, 400);
  EXPECT_EQ(lastHeight_, 300);
  EXPECT_EQ(lastRenderedState_.ShadowBlur, 25);
  EXPECT_EQ(form_->View().Bitmap().Width(), 400);
  // At 100 % the preview shows every pixel, so the draft is the shot's size.
  form_->ActualSizeButton->click();
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(4, bar->height() / 2));
  bar->setValue(90);
  EXPECT_EQ(lastWidth_, 400);
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(4, bar->height() / 2));
  EXPECT_TRUE(dialogs_.errors.empty());
}

TEST_F(WindowTest, LivePreview_ADraftThatFails_IsReportedOnceAtTheRelease) {
  MakeStandardData();
  CreateWindow();
  form_->show();
  form_->ApplyTempButton->click();
  fs::remove(root_ / "Templates" / "BOX1.ini");
  WriteText(root_ / "Templates" / "BOX1.ini", "");
  TTrackBar* bar = form_->Controls().Slider("ObjectShading");
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() - 4, bar->height() / 2));
  for (int value : {200, 150, 100}) bar->setValue(value);
  EXPECT_TRUE(dialogs_.errors.empty()) << "no message box in the middle of a drag";
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(4, bar->height() / 2));
  EXPECT_EQ(dialogs_.errors.size(), 1u);
}

TEST_F(WindowTest, RememberedSettings_ComeBackAtTheNextStartAndRender) {
  MakeStandardData();
  const fs::path front = root_ / "front.png";
  WriteTestPicture(front, *HalfAndHalf(20, 10));
  CreateWindow();
  UseSettings();
  form_->ShowFirstShot();
  EXPECT_EQ(renders_, 0) << "nothing remembered and no sample artwork: nothing to show";
  form_->TemplateUpDown->Step(+1);
  form_->Controls().Slider("ReflectionOpacity")->setFocus();
  form_->Controls().Slider("ReflectionOpacity")->setValue(100);
  ClickMouseUp(form_->Controls().Slider("ReflectionOpacity"));
  dialogs_.colorAnswers.push_back(QColor(10, 20, 30));
  form_->Controls().Swatch("ShadowColor")->click();
  form_->Controls().Box("ReflectionFade")->click();
  form_->Controls().Box("FlipWhenSaved")->click();
  form_->Controls().Field("OutputWidth")->setValue(640);
  form_->Controls().Field("OutputDpi")->setValue(300);
  form_->LayerSourceUpDown->Step(+1);  // FRONT
  dialogs_.openAnswers.push_back(QString::fromStdString(front.string()));
  form_->LayerSourceImgClick();
  form_->resize(900, 700);
  ASSERT_TRUE(dialogs_.errors.empty());

  Restart();
  EXPECT_TRUE(dialogs_.errors.empty());
  EXPECT_EQ(renders_, 1) << "the remembered shot is shown";
  EXPECT_EQ(lastWidth_, 640);
  EXPECT_EQ(state_.TemplateIndex, 2);
  EXPECT_EQ(form_->TemplateCaption->text(), "BOX2");
  EXPECT_EQ(state_.ReflectionOpacity, 100);
  EXPECT_EQ(form_->Controls().Slider("ReflectionOpacity")->value(), 100);
  EXPECT_EQ(state_.ShadowColor, 0x1E140A);
  EXPECT_EQ(form_->Controls().Swatch("ShadowColor")->ColorValue(), 0x1E140A);
  EXPECT_FALSE(form_->Controls().Box("ReflectionFade")->isChecked());
  EXPECT_TRUE(form_->Controls().Box("FlipWhenSaved")->isChecked());
  EXPECT_EQ(form_->Controls().Field("OutputWidth")->value(), 640);
  EXPECT_EQ(form_->Controls().Field("OutputDpi")->value(), 300);
  EXPECT_EQ(sources_[2].PicturePath, front.string());
  EXPECT_FALSE(sources_[2].UseColor);
  EXPECT_EQ(form_->size(), QSize(900, 700));
  EXPECT_EQ(dialogs_.openFolders.size(), 1u);
  form_->LayerSourceImgClick();
  EXPECT_EQ(dialogs_.openFolders.back(), QString::fromStdString(root_.string())) << "the last folder";
  EXPECT_FALSE(form_->CanUndo()) << "a new run starts a new history";
}

TEST_F(WindowTest, RememberedSettings_APictureGoneSince_IsWarnedOnceOverTheRestoredWindow) {
  MakeStandardData();
  const fs::path side = root_ / "side.png";
  WriteTestPicture(side, *HalfAndHalf(20, 10));
  CreateWindow();
  UseSettings();
  form_->ShowFirstShot();
  form_->LayerSourceUpDown->Step(+2);  // SIDE
  dialogs_.openAnswers.push_back(QString::fromStdString(side.string()));
  form_->LayerSourceImgClick();
  form_->SettingsPageControl->setCurrentWidget(form_->ShadowPage);
  fs::remove(side);
  int rendersWhileWarned = -1;
  dialogs_.whileReported = [&] { rendersWhileWarned = renders_; };
  Restart();
  EXPECT_TRUE(dialogs_.errors.empty());
  ASSERT_EQ(dialogs_.warnings.size(), 1u);
  EXPECT_NE(dialogs_.warnings[0].second.indexOf(QString::fromStdString(side.string())), -1);
  EXPECT_NE(dialogs_.warnings[0].second.indexOf("SIDE"), -1);
  EXPECT_TRUE(sources_[3].UseColor);
  EXPECT_EQ(rendersWhileWarned, 1) << "the restored shot is behind the warning";
  EXPECT_EQ(form_->SettingsPageControl->currentWidget(), form_->ShadowPage) << "the open page comes back";
  Restart();
  EXPECT_EQ(dialogs_.warnings.size(), 1u) << "told once";
}

TEST_F(WindowTest, RememberedSettings_ATemplateThatFailedToRender_IsNotTheOneRemembered) {
  MakeStandardData();
  WriteText(root_ / "custom" / "broken.png", "not a PNG at all");
  WriteText(root_ / "Templates" / "CD1.ini",
            "[Image]\nwidth=100\nheight=75\n[Layer1]\ntype=customfile\nsource=broken.png\n"
            "A.X=1\nA.Y=1\nB.X=9\nB.Y=1\nC.X=9\nC.Y=9\n");
  CreateWindow();
  UseSettings();
  form_->ShowFirstShot();
  form_->TemplateUpDown->Step(+1);
  form_->TemplateUpDown->Step(+1);
  ASSERT_EQ(dialogs_.errors.size(), 1u) << "CD1 cannot be drawn";
  Restart();
  EXPECT_EQ(dialogs_.errors.size(), 1u) << "no error again at the next start";
  EXPECT_EQ(state_.TemplateIndex, 2);
  EXPECT_EQ(form_->TemplateCaption->text(), "BOX2");
}

TEST_F(WindowTest, RememberedSettings_ValuesOutOfRangeOrNotNumbers_AreLeftAtTheirDefaults) {
  MakeStandardData();
  {
    QSettings file(Name("settings.ini"), QSettings::IniFormat);
    file.setValue("Settings/ReflectionBlur", 900);
    file.setValue("Settings/ShadowBlur", "lots");
    file.setValue("Settings/ShowShadow", 7);
    file.setValue("Settings/OutputWidth", 1);
    file.setValue("Settings/ReflectionLength", 70);
    file.setValue("Slots/FRONT/Color", -5);
  }
  CreateWindow();
  UseSettings();
  form_->ShowFirstShot();
  EXPECT_EQ(state_.ReflectionBlur, 15);
  EXPECT_EQ(state_.ShadowBlur, 25);
  EXPECT_TRUE(state_.ShowShadow);
  EXPECT_EQ(state_.OutputWidth, 400);
  EXPECT_EQ(state_.ReflectionLength, 70) << "the allowed value is taken";
  EXPECT_EQ(sources_[2].Color, LayerSources{}[2].Color);
}

TEST_F(WindowTest, FirstStart_FillsTheSlotsWithTheSampleArtworkAndRenders_LaterStartsDoNot) {
  MakeStandardData();
  fs::create_directories(root_ / "examples");
  WriteTestPicture(root_ / "examples" / "front.png", *HalfAndHalf(20, 10));
  WriteTestPicture(root_ / "examples" / "background.png", *HalfAndHalf(20, 10));
  WriteText(root_ / "examples" / "README.md", "not a slot");
  CreateWindow();
  UseSettings();
  form_->ShowFirstShot();
  EXPECT_EQ(renders_, 1);
  EXPECT_EQ(sources_[1].PicturePath, (root_ / "examples" / "background.png").string());
  EXPECT_EQ(sources_[2].PicturePath, (root_ / "examples" / "front.png").string());
  EXPECT_FALSE(sources_[2].UseColor);
  EXPECT_TRUE(sources_[3].UseColor);
  EXPECT_FALSE(form_->LayerSourceImg->Picture().isNull()) << "the panel shows the background's picture";
  // The user turns FRONT to a colour; the next start keeps that rather than the sample.
  form_->LayerSourceUpDown->Step(+1);
  dialogs_.colorAnswers.push_back(QColor(Qt::red));
  form_->LayerSourceColorSelect->click();
  Restart();
  EXPECT_TRUE(sources_[2].UseColor);
  EXPECT_EQ(sources_[2].Color, 0x0000FF);
}

// Each change is one step back; undo and redo restore the settings, the controls and the shot.
TEST_F(WindowTest, UndoRedo_StepThroughEverySettingAndSourceChange) {
  MakeStandardData();
  const fs::path front = root_ / "front.png";
  WriteTestPicture(front, *HalfAndHalf(20, 10));
  CreateWindow();
  form_->ApplyTempButton->click();
  EXPECT_FALSE(form_->CanUndo());
  EXPECT_FALSE(form_->UndoButton->isEnabled());
  struct Step {
    const char* name;
    std::function<void()> change;
    std::function<bool()> changed;  // true after the change, false once undone
  };
  const std::vector<Step> steps = {
      {"slider",
       [&] {
         form_->Controls().Slider("ShadowBlur")->setValue(60);
         ClickMouseUp(form_->Controls().Slider("ShadowBlur"));
       },
       [&] { return state_.ShadowBlur == 60 && form_->Controls().Slider("ShadowBlur")->value() == 60; }},
      {"colour",
       [&] {
         dialogs_.colorAnswers.push_back(QColor(Qt::white));
         form_->Controls().Swatch("ShadingColor")->click();
       },
       [&] {
         return state_.ShadingColor == 0xFFFFFF &&
                form_->Controls().Swatch("ShadingColor")->ColorValue() == 0xFFFFFF;
       }},
      {"show toggle", [&] { form_->Controls().Box("ShowShadow")->click(); },
       [&] { return !state_.ShowShadow && !form_->Controls().Box("ShowShadow")->isChecked(); }},
      {"option box", [&] { form_->Controls().Box("LargeDiscArea")->click(); },
       [&] { return state_.LargeDiscArea && form_->Controls().Box("LargeDiscArea")->isChecked(); }},
      {"flip", [&] { form_->Controls().Box("FlipWhenSaved")->click(); },
       [&] { return form_->Controls().Box("FlipWhenSaved")->isChecked(); }},
      {"template", [&] { form_->TemplateUpDown->Step(+1); },
       [&] { return state_.TemplateIndex == 2 && form_->TemplateCaption->text() == "BOX2"; }},
      {"typed width",
       [&] {
         QLineEdit* editor = form_->Controls().Field("OutputWidth")->Editor();
         editor->selectAll();
         QTest::keyClicks(editor, "512");
       },
       [&] { return form_->Controls().Field("OutputWidth")->value() == 512 && lastWidth_ == 512; }},
      {"slot picture",
       [&] {
         dialogs_.openAnswers.push_back(QString::fromStdString(front.string()));
         form_->LayerSourceImgClick();
       },
       [&] { return !sources_[1].UseColor && !form_->LayerSourceImg->Picture().isNull(); }},
  };
  for (const Step& step : steps) {
    step.change();
    EXPECT_TRUE(step.changed()) << step.name;
  }
  for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
    ASSERT_TRUE(form_->CanUndo()) << step->name;
    const int rendersBefore = renders_;
    form_->UndoClick();
    EXPECT_FALSE(step->changed()) << step->name << " undone";
    EXPECT_EQ(renders_, rendersBefore + 1) << step->name << ": the shot follows";
  }
  EXPECT_FALSE(form_->CanUndo()) << "the typed width was one step, not three";
  EXPECT_EQ(lastWidth_, 400);
  for (const Step& step : steps) {
    form_->RedoClick();
    EXPECT_TRUE(step.changed()) << step.name << " redone";
  }
  EXPECT_FALSE(form_->CanRedo());
  // A new change after an undo drops what could be redone.
  form_->UndoClick();
  form_->Controls().Box("LargeDiscArea")->click();
  EXPECT_FALSE(form_->CanRedo());
  EXPECT_TRUE(dialogs_.errors.empty());
}

TEST_F(WindowTest, Shortcuts_UndoRedoOpenCopySaveAgainAndSaveAs) {
  MakeStandardData();
  CreateWindow();
  ShowAndActivate();
  form_->Controls().Box("TransparentBackground")->click();
  QTest::keyClick(form_.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(state_.TransparentBackground) << "Ctrl+Z";
  QTest::keyClick(form_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(state_.TransparentBackground) << "Ctrl+Shift+Z";
  QTest::keyClick(form_.get(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(dialogs_.openTitles.size(), 1u) << "Ctrl+O";
  // Ctrl+C: the shot with its transparent parts.
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(form_.get(), Qt::Key_C, Qt::ControlModifier);
  const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  ASSERT_TRUE(copied->hasFormat("image/png"));
  QImage image;
  ASSERT_TRUE(image.loadFromData(copied->data("image/png"), "PNG"));
  EXPECT_EQ(image.size(), QSize(400, 300));
  EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "outside the faces";
  EXPECT_EQ(qAlpha(image.pixel(200, 150)), 255) << "on the front face";
  // Ctrl+S asks for a name the first time, then saves again under it; Ctrl+Shift+S always asks.
  dialogs_.saveAnswers.push_back(Name("shot.png"));
  QTest::keyClick(form_.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(dialogs_.saveRequests.size(), 1u);
  ASSERT_TRUE(fs::exists(root_ / "shot.png"));
  fs::remove(root_ / "shot.png");
  QTest::keyClick(form_.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(dialogs_.saveRequests.size(), 1u) << "saved again without asking";
  EXPECT_TRUE(fs::exists(root_ / "shot.png"));
  dialogs_.saveAnswers.push_back(Name("other.png"));
  QTest::keyClick(form_.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(dialogs_.saveRequests.size(), 2u);
  EXPECT_TRUE(fs::exists(root_ / "other.png"));
  // In a setting's number box the window's keys still undo and redo the settings.
  TTrackBar* bar = form_->Controls().Slider("ShadowBlur");
  bar->SetPositionByUser(60);
  TSliderValue* box = form_->Controls().ValueBox("ShadowBlur");
  box->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(state_.ShadowBlur, 25) << "Ctrl+Z in a number box";
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(state_.ShadowBlur, 60) << "Ctrl+Y in a number box";
}

TEST_F(WindowTest, Keyboard_SlotPictureTakesFocus_EnterOrSpaceOpensTheChooser_TabFollowsTheLayout) {
  MakeStandardData();
  CreateWindow();
  ShowAndActivate();
  EXPECT_EQ(QApplication::focusWidget(), form_->ApplyTempButton) << "focus starts in the template panel";
  form_->LayerSourceImg->setFocus();
  ASSERT_TRUE(form_->LayerSourceImg->hasFocus());
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
    QTest::keyClick(form_->LayerSourceImg, key);
  EXPECT_EQ(dialogs_.openTitles.size(), 3u);
  // Tab goes top left to bottom right.
  const std::vector<QWidget*> expected = {form_->ApplyTempButton,
                                          form_->TemplateUpDown->NextButton(),
                                          form_->LayerSourceImg,
                                          form_->LayerSourceColorSelect,
                                          form_->Controls().Field("OutputWidth"),
                                          form_->Controls().Field("OutputHeight"),
                                          form_->Controls().Field("OutputDpi"),
                                          form_->Controls().Box("TransparentBackground"),
                                          form_->Controls().Box("LargeDiscArea"),
                                          form_->Controls().Box("FlipWhenSaved")};
  std::vector<QWidget*> reached;
  form_->ApplyTempButton->setFocus();
  for (int i = 0; i < 40; ++i) {
    QWidget* focus = QApplication::focusWidget();
    // A spin box's editor stands for the spin box.
    if (focus != nullptr && qobject_cast<QSpinBox*>(focus->parentWidget()) != nullptr)
      focus = focus->parentWidget();
    if (std::find(expected.begin(), expected.end(), focus) != expected.end() &&
        (reached.empty() || reached.back() != focus)) {
      reached.push_back(focus);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (QApplication::focusWidget() == form_->ApplyTempButton) break;
  }
  EXPECT_EQ(reached, expected);
}

TEST_F(WindowTest, TransparentShotSavedAsJpegOrBmp_WarnsAndOffersPngOrWebp) {
  MakeStandardData();
  CreateWindow();
  form_->Controls().Box("TransparentBackground")->click();
  const struct {
    const char* chosen;
    TransparentSaveChoice answer;
    const char* written;  // nothing when cancelled
  } cases[] = {
      {"a.jpg", TransparentSaveChoice::Png, "a.png"},
      {"b.bmp", TransparentSaveChoice::KeepFormat, "b.bmp"},
      {"c.jpg", TransparentSaveChoice::Cancel, nullptr},
      {"d.jpg", TransparentSaveChoice::Webp, "d.webp"},
  };
  for (const auto& c : cases) {
    const size_t warnings = dialogs_.transparentWarnings.size();
    dialogs_.saveAnswers.push_back(Name(c.chosen));
    dialogs_.transparentAnswers.push_back(c.answer);
    dialogs_.webpAnswers.push_back(TWebpOptions{true, 90});
    form_->SaveButton->click();
    ASSERT_EQ(dialogs_.transparentWarnings.size(), warnings + 1) << c.chosen;
    EXPECT_EQ(dialogs_.transparentWarnings.back(), Name(c.chosen));
    EXPECT_EQ(fs::exists(root_ / c.chosen), c.answer == TransparentSaveChoice::KeepFormat) << c.chosen;
    if (c.written != nullptr) {
      EXPECT_TRUE(fs::exists(root_ / c.written)) << c.written;
    }
  }
  EXPECT_EQ(dialogs_.saveRequests.back().selectedFilter, 1) << "the PNG choice is offered next";
  // An opaque shot saves as JPEG without a question.
  form_->Controls().Box("TransparentBackground")->click();
  dialogs_.saveAnswers.push_back(Name("opaque.jpg"));
  form_->SaveButton->click();
  EXPECT_EQ(dialogs_.transparentWarnings.size(), 4u);
  EXPECT_TRUE(fs::exists(root_ / "opaque.jpg"));
  EXPECT_TRUE(dialogs_.errors.empty());
}

TEST_F(WindowTest, Errors_NameTheFile) {
  MakeStandardData();
  CreateWindow();
  form_->ApplyTempButton->click();
  WriteText(root_ / "notes.xyz", "not a picture");
  dialogs_.openAnswers.push_back(Name("notes.xyz"));
  form_->LayerSourceImgClick();
  dialogs_.saveAnswers.push_back(Name("shot.gif"));
  form_->SaveButton->click();
  ASSERT_EQ(dialogs_.errors.size(), 2u);
  EXPECT_NE(dialogs_.errors[0].second.indexOf("notes.xyz"), -1) << dialogs_.errors[0].second.toStdString();
  EXPECT_NE(dialogs_.errors[1].second.indexOf("shot.gif"), -1) << dialogs_.errors[1].second.toStdString();
}

TEST_F(WindowTest, About_HasACloseButton_AndSaysSoWhenNoBrowserOpensTheLink) {
  MakeStandardData();
  CreateWindow();
  TForm2 about(*shell_, form_.get());
  about.FormCreate();
  about.show();
  EXPECT_EQ(about.CloseButton->text(), "Close");
  about.CloseButton->click();
  EXPECT_FALSE(about.isVisible());
  dialogs_.browserOpens = false;
  about.LogoImageClick();
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_EQ(dialogs_.errors[0].second, "No web browser could open the link \"https://example.org/mirelane\"");
}

TEST_F(WindowTest, SliderValues_FollowTheSlider_AndATypedNumberMovesItStoresAndRenders) {
  MakeStandardData();
  CreateWindow();
  ShowAndActivate();
  form_->SettingsPageControl->setCurrentWidget(form_->ReflectionPage);
  TTrackBar* bar = form_->Controls().Slider("ReflectionBrightness");
  TSliderValue* box = form_->Controls().ValueBox("ReflectionBrightness");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->minimum(), -50);
  EXPECT_EQ(box->maximum(), 50);
  EXPECT_EQ(box->value(), 0);
  EXPECT_FALSE(box->geometry().intersects(bar->geometry())) << "beside the slider, not over it";
  bar->setValue(-20);
  EXPECT_EQ(box->value(), -20) << "follows the handle";
  const struct {
    const char* typed;
    int stored;
  } cases[] = {{"100", 50}, {"-99", -50}, {"35", 35}, {"-7", -7}, {"50", 50}};
  for (const auto& c : cases) {
    const int rendersBefore = renders_;
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, c.typed);
    EXPECT_EQ(renders_, rendersBefore) << c.typed << ": nothing happens before Enter";
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(bar->value(), c.stored) << c.typed;
    EXPECT_EQ(state_.ReflectionBrightness, c.stored) << c.typed;
    EXPECT_EQ(renders_, rendersBefore + 1) << c.typed;
  }
  form_->UndoClick();
  EXPECT_EQ(bar->value(), -7);
  EXPECT_EQ(box->value(), -7) << "undo shows the number too";
  // A size field alike: digits past its maximum are kept and the value brought into the range.
  TSpinEdit* width = form_->Controls().Field("OutputWidth");
  width->setFocus();
  width->selectAll();
  QTest::keyClicks(width, "99999");
  QTest::keyClick(width, Qt::Key_Return);
  EXPECT_EQ(width->value(), 4096);
  EXPECT_EQ(state_.OutputWidth, 4096);
}

TEST_F(WindowTest, EveryControlHasATooltip) {
  MakeStandardData();
  CreateWindow();
  form_->show();
  std::set<QWidget*> controls;
  for (int page = 0; page < form_->SettingsPageControl->count(); ++page) {
    form_->SettingsPageControl->setCurrentIndex(page);
    for (QWidget* widget : form_->findChildren<QWidget*>()) {
      if (!widget->isVisibleTo(form_.get()) || qobject_cast<QScrollBar*>(widget) != nullptr) continue;
      const bool control = qobject_cast<QAbstractButton*>(widget) != nullptr ||
                           qobject_cast<QAbstractSlider*>(widget) != nullptr ||
                           qobject_cast<QAbstractSpinBox*>(widget) != nullptr ||
                           qobject_cast<TPictureBox*>(widget) != nullptr || widget == form_->ImgView;
      if (!control) continue;
      controls.insert(widget);
      EXPECT_FALSE(widget->toolTip().isEmpty())
          << widget->metaObject()->className() << " " << widget->objectName().toStdString() << " "
          << (qobject_cast<QAbstractButton*>(widget) != nullptr
                  ? qobject_cast<QAbstractButton*>(widget)->text().toStdString()
                  : std::string());
    }
  }
  EXPECT_GE(controls.size(), 40u) << "every page looked at";
  // The setting controls say what the settings table says of their setting, with its range.
  EXPECT_EQ(form_->Controls().Slider("ShadowBlur")->toolTip(), "Blur radius of the shadow (0 to 100)");
  EXPECT_TRUE(form_->Controls().ValueBox("ShadowBlur")->toolTip().startsWith("Blur radius of the shadow"));
  EXPECT_EQ(form_->Controls().Swatch("ShadowColor")->toolTip(), "Colour of the shadow");
  EXPECT_EQ(form_->Controls().Field("OutputWidth")->toolTip(), "Width of the picture in pixels (32 to 4096)");
  EXPECT_EQ(form_->Controls().Box("ShowShadow")->toolTip(), "Cleared: leave the shadow out")
      << "what clearing the box does";
}

// A number typed past the range is kept while typing and brought into the range on Enter; what is no
// number is refused as it is typed.
TEST(TClampingSpinBox, TypedNumbersClampOnEnter) {
  const std::pair<const char*, int> cases[] = {{"100", 50}, {"-99", -50}, {"7", 7}, {"4x2", 42}, {"abc", 0}};
  for (const auto& [typed, value] : cases) {
    TSpinEdit box(-50, 50, 0, nullptr);
    box.Editor()->selectAll();
    QTest::keyClicks(&box, typed);
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(box.value(), value) << typed;
  }
}

TEST(RunBusy, RunsTheWorkOnAnotherThreadAndThrowsItsErrorHere) {
  std::thread::id worker;
  try {
    RunBusy(nullptr, QStringLiteral("Testing..."), [&] {
      worker = std::this_thread::get_id();
      throw Error("broken picture");
    });
    FAIL() << "the error was lost";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "broken picture");
  }
  EXPECT_NE(worker, std::thread::id());
  EXPECT_NE(worker, std::this_thread::get_id());
}

// A held stepper arrow repeats by a timer, which fires while busy work waits; the step waits too.
TEST(RunBusy, StepsRepeatedMeanwhileDoNotStart) {
  THorizontalUpDown stepper(1, 9, 1, nullptr);
  bool stepped = true;
  QTimer::singleShot(0, &stepper, [&] { stepped = stepper.Step(+1); });
  RunBusy(nullptr, QStringLiteral("Testing..."),
          [] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); });
  EXPECT_FALSE(stepped);
  EXPECT_EQ(stepper.Position(), 1);
  EXPECT_TRUE(stepper.Step(+1)) << "after the work";
}

SettingsSnapshot WithBlur(int blur) {
  SettingsSnapshot snapshot;
  snapshot.State.ShadowBlur = static_cast<uint8_t>(blur);
  return snapshot;
}

TEST(EditHistory, RecordsChangesMergesByKeyAndDropsRedoOnANewChange) {
  struct Action {
    char kind;  // r: record, u: undo, d: redo
    int blur;   // for r
    const char* key;
    int expectedBlur;  // the settings in force afterwards
    bool canUndo, canRedo;
  };
  const Action script[] = {
      {'r', 25, "", 25, false, false},  // the same as in force: nothing recorded
      {'r', 30, "", 30, true, false},  {'r', 31, "w", 31, true, false},
      {'r', 32, "w", 32, true, false},  // merged into the step before
      {'u', 0, "", 30, true, true},    {'u', 0, "", 25, false, true},
      {'u', 0, "", 25, false, true},  // nothing further back
      {'d', 0, "", 30, true, true},    {'r', 40, "", 40, true, false},
      {'u', 0, "", 30, true, true},
  };
  EditHistory history;
  history.Reset(WithBlur(25));
  for (const Action& a : script) {
    if (a.kind == 'r') history.Record(WithBlur(a.blur), a.key);
    if (a.kind == 'u') history.Undo();
    if (a.kind == 'd') history.Redo();
    EXPECT_EQ(history.Current().State.ShadowBlur, a.expectedBlur) << a.kind << a.blur;
    EXPECT_EQ(history.CanUndo(), a.canUndo) << a.kind << a.blur;
    EXPECT_EQ(history.CanRedo(), a.canRedo) << a.kind << a.blur;
  }
  // Beyond its depth the oldest steps go.
  history.Reset(WithBlur(0));
  for (int blur = 1; blur <= static_cast<int>(EditHistory::kDepth) + 10; ++blur)
    history.Record(WithBlur(blur % 101));
  int undone = 0;
  while (history.Undo()) ++undone;
  EXPECT_EQ(undone, static_cast<int>(EditHistory::kDepth));
}

}  // namespace
}  // namespace mirelane::testing
