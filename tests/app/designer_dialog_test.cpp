// The designer window: the preview follows the controls, and "Save as template" adds the shot to
// the user's templates, where the template panel finds it.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>

#include "app/controls.h"
#include "app/designer_dialog.h"
#include "app_fixture.h"
#include "picture/picture_reader.h"

namespace mirelane::testing {
namespace {

namespace fs = std::filesystem;

class DesignerDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    MakeStandardData();
    CreateWindow();
    shell_->userData = root_ / "user";
    sources_[SourceIndexOf("FRONT")].Color = 0x0000FF;  // red: the front is easy to find
  }
};

TEST_F(DesignerDialogTest, PreviewFollowsTheControls) {
  TDesignDialog dialog(*shell_, state_, sources_, form_.get());
  ASSERT_FALSE(dialog.Preview->Picture().isNull());
  const QImage first = dialog.Preview->Picture();
  struct Step {
    const char* what;
    std::function<void()> change;
  };
  const Step steps[] = {
      {"turn", [&] { dialog.TurnSlider->setValue(-60); }},
      {"tilt", [&] { dialog.TiltSlider->setValue(50); }},
      {"perspective", [&] { dialog.PerspectiveSlider->setValue(100); }},
      {"shape", [&] { dialog.ShapeBox->setCurrentIndex(dialog.ShapeBox->findText("Disc")); }},
  };
  QImage before = first;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    EXPECT_NE(dialog.Preview->Picture(), before);
    before = dialog.Preview->Picture();
  }
  const ShotRequest request = dialog.Request();
  EXPECT_EQ(request.Shape, ShotShape::Disc);
  EXPECT_EQ(request.Camera.Turn, -60);
  EXPECT_EQ(request.Camera.Tilt, 50);
  EXPECT_EQ(request.Camera.Perspective, 100);
  EXPECT_TRUE(dialog.LyingCheck->isEnabled());
  // Lying flat at eye level would show nothing: the tilt keeps a degree.
  dialog.TiltSlider->setValue(0);
  dialog.LyingCheck->setChecked(true);
  EXPECT_EQ(dialog.TiltSlider->value(), 1);
  EXPECT_TRUE(dialog.Request().Lying);
  EXPECT_TRUE(dialogs_.errors.empty());
}

TEST_F(DesignerDialogTest, TypedProportionsShapeTheShot) {
  TDesignDialog dialog(*shell_, state_, sources_, form_.get());
  dialog.TypedButton->setChecked(true);
  dialog.WidthEdit->setValue(3);
  dialog.HeightEdit->setValue(1);
  dialog.DepthEdit->setValue(0.5);
  const ShotRequest request = dialog.Request();
  EXPECT_EQ(request.Size.Width, 3);
  EXPECT_EQ(request.Size.Height, 1);
  EXPECT_EQ(request.Size.Depth, 0.5);
  // Back to the artwork: the front slot is a colour, so the box keeps its usual proportions.
  dialog.FromArtworkButton->setChecked(true);
  EXPECT_NEAR(dialog.Request().Size.Width / dialog.Request().Size.Height, 0.78, 1e-9);
}

TEST_F(DesignerDialogTest, SaveAsTemplateJoinsTheUsersTemplatesAndThePanelShowsIt) {
  TDesignDialog dialog(*shell_, state_, sources_, form_.get());
  QObject::connect(&dialog, &TDesignDialog::TemplateSaved, form_.get(), &TForm1::ShowSavedTemplate);
  dialog.AskName = [](QWidget*) { return std::optional<QString>(QStringLiteral("My box")); };
  const int rendersBefore = renders_;
  dialog.SaveAsTemplateClick();
  ASSERT_TRUE(dialogs_.errors.empty()) << dialogs_.errors.front().second.toStdString();
  EXPECT_EQ(renders_, rendersBefore + 1) << "the preview shows the saved template's shot";
  const fs::path ini = root_ / "user" / "Templates" / "My box.ini";
  const fs::path preview = root_ / "user" / "Pics" / "My box.jpg";
  ASSERT_TRUE(fs::exists(ini));
  TBitmap32 picture;
  LoadFromFile(picture, preview.string());
  EXPECT_EQ(picture.Width(), 120);
  EXPECT_EQ(picture.Height(), 90);
  // After the three shipped templates, and shown in the panel.
  EXPECT_EQ(form_->TemplateUpDown->Maximum(), 4);
  EXPECT_EQ(state_.TemplateIndex, 4);
  EXPECT_EQ(form_->TemplateCaption->text(), QStringLiteral("My box"));

  // The same name again, a name with a folder in it, and a cancelled question write nothing more.
  dialog.SaveAsTemplateClick();
  dialog.AskName = [](QWidget*) { return std::optional<QString>(QStringLiteral("a/b")); };
  dialog.SaveAsTemplateClick();
  ASSERT_EQ(dialogs_.errors.size(), 2u);
  EXPECT_NE(dialogs_.errors[0].second.indexOf("already exists"), -1);
  EXPECT_NE(dialogs_.errors[1].second.indexOf("cannot name a template"), -1);
  dialog.AskName = [](QWidget*) { return std::optional<QString>(); };
  dialog.SaveAsTemplateClick();
  EXPECT_EQ(dialogs_.errors.size(), 2u);
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "user" / "Templates"), fs::directory_iterator()), 1);
}

TEST_F(DesignerDialogTest, UseShowsTheDesignedShotWithoutSavingAndPagingReturnsToTheTemplates) {
  TDesignDialog dialog(*shell_, state_, sources_, form_.get());
  QObject::connect(&dialog, &TDesignDialog::ShotUsed, form_.get(),
                   [&](const QString& text) { form_->UseDesignedShot(text, dialog.Preview->Picture()); });
  const int rendersBefore = renders_;
  dialog.UseButton->click();
  ASSERT_TRUE(dialogs_.errors.empty()) << dialogs_.errors.front().second.toStdString();
  EXPECT_EQ(renders_, rendersBefore + 1);
  EXPECT_EQ(form_->TemplateCaption->text(), QStringLiteral("Designed shot"));
  EXPECT_GT(form_->View().Layers().Count(), 0);
  EXPECT_FALSE(fs::exists(root_ / "user" / "Templates"));
  form_->TemplateUpDown->Step(+1);
  EXPECT_EQ(form_->TemplateCaption->text(), QStringLiteral("BOX2"));
}

}  // namespace
}  // namespace mirelane::testing
