// Saving through the scripted save dialog, and the About window's start-up reading.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <fstream>
#include <iterator>

#include "app/controls.h"
#include "app_fixture.h"
#include "picture/picture_reader.h"

namespace mirelane::testing {
namespace {

namespace fs = std::filesystem;

std::vector<unsigned char> FileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t LittleEndian32(const std::vector<unsigned char>& bytes, size_t offset) {
  return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
         (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

class SaveTest : public AppTest {
 protected:
  void RenderTransparentScene() {
    MakeStandardData();
    CreateWindow();
    form_->Controls()
        .Box("TransparentBackground")
        ->click();  // renders: no background, so alpha shows what the scene covers
    ASSERT_EQ(renders_, 1);
  }
  std::unique_ptr<TBitmap32> Flattened() {
    const TImgView32& view = form_->View();
    auto picture = std::make_unique<TBitmap32>(view.Bitmap().Width(), view.Bitmap().Height());
    picture->Clear(0);
    view.Flatten(*picture);
    return picture;
  }
  QString Name(const std::string& file) { return QString::fromStdString((root_ / file).string()); }
};

TEST_F(SaveTest, SaveDialog_OffersFourFiltersPngFirst_ThenTheLastFilterAndNameSaved) {
  RenderTransparentScene();
  form_->SaveButton->click();  // cancelled: nothing to remember
  // A save that fails is not offered again.
  dialogs_.saveAnswers.push_back(Name("no such folder/shot"));
  dialogs_.saveFilterAnswers.push_back(3);  // WebP
  dialogs_.webpAnswers.push_back(TWebpOptions{});
  form_->SaveButton->click();
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  dialogs_.errors.clear();
  dialogs_.saveAnswers.push_back(Name("shot"));
  dialogs_.saveFilterAnswers.push_back(1);  // PNG
  form_->SaveButton->click();
  form_->SaveButton->click();  // cancelled
  ASSERT_EQ(dialogs_.saveRequests.size(), 4u);
  dialogs_.saveRequests.erase(dialogs_.saveRequests.begin() + 1);
  const SaveDialogRequest& first = dialogs_.saveRequests[0];
  EXPECT_EQ(first.nameFilters, (QStringList{"JPEG Image File (*.jpg)", "PNG Image File (*.png)",
                                            "Bitmaps (*.bmp)", "WebP Image File (*.webp)"}));
  EXPECT_EQ(first.selectedFilter, 1);
  EXPECT_EQ(first.defaultSuffix, "png");
  EXPECT_TRUE(first.proposedFileName.isEmpty());
  EXPECT_EQ(dialogs_.saveRequests[1].selectedFilter, 1) << "a cancelled or failed save changes nothing";
  EXPECT_TRUE(dialogs_.saveRequests[1].proposedFileName.isEmpty()) << "a failed save is not offered again";
  const SaveDialogRequest& third = dialogs_.saveRequests[2];
  EXPECT_EQ(third.selectedFilter, 1);
  EXPECT_EQ(third.defaultSuffix, "png");
  EXPECT_EQ(third.proposedFileName, Name("shot.png")) << "the folder and name of the last save";
  EXPECT_TRUE(fs::exists(root_ / "shot.png"));
  EXPECT_TRUE(dialogs_.errors.empty());
}

TEST_F(SaveTest, NameWithoutExtension_TakesTheChosenFiltersFormat) {
  RenderTransparentScene();
  const struct {
    int filter;
    const char* typed;
    const char* written;
    std::vector<unsigned char> magic;
  } cases[] = {
      {0, "a", "a.jpg", {0xFF, 0xD8, 0xFF}},
      {1, "b", "b.png", {0x89, 'P', 'N', 'G'}},
      {2, "c", "c.bmp", {'B', 'M'}},
      {3, "d", "d.webp", {'R', 'I', 'F', 'F'}},
      {1, "e.", "e.png", {0x89, 'P', 'N', 'G'}},
      {1, "f.bmp", "f.bmp", {'B', 'M'}},  // a typed extension wins over the filter
      {2, "v1.5/g", "v1.5/g.bmp", {'B', 'M'}},
  };
  fs::create_directories(root_ / "v1.5");
  dialogs_.webpAnswers.push_back(TWebpOptions{true, 90});
  for (const auto& c : cases) {
    dialogs_.saveAnswers.push_back(Name(c.typed));
    dialogs_.saveFilterAnswers.push_back(c.filter);
    form_->SaveButton->click();
    ASSERT_TRUE(dialogs_.errors.empty()) << c.typed << ": " << dialogs_.errors[0].second.toStdString();
    const std::vector<unsigned char> bytes = FileBytes(root_ / c.written);
    ASSERT_GE(bytes.size(), c.magic.size()) << c.written;
    EXPECT_TRUE(std::equal(c.magic.begin(), c.magic.end(), bytes.begin())) << c.written;
  }
  EXPECT_FALSE(fs::exists(root_ / "a.bmp"));
  EXPECT_FALSE(fs::exists(root_ / "e."));
}

// Each save to a .webp name asks lossless or lossy, offering the previous answer.
TEST_F(SaveTest, Webp_AsksLosslessOrLossyAndRemembersTheChoice) {
  RenderTransparentScene();
  const auto expected = Flattened();
  const struct {
    const char* file;
    std::optional<TWebpOptions> answer;  // nothing: the user cancels
    TWebpOptions offered;
    const char* coding;  // empty: no file written
  } cases[] = {
      {"first.webp", TWebpOptions{true, 90}, TWebpOptions{true, 90}, "VP8L"},
      {"second.WEBP", TWebpOptions{false, 40}, TWebpOptions{true, 90}, "VP8 "},
      {"cancelled.webp", std::nullopt, TWebpOptions{false, 40}, ""},
      {"third.webp", TWebpOptions{true, 40}, TWebpOptions{false, 40}, "VP8L"},
  };
  for (const auto& c : cases) {
    dialogs_.saveAnswers.push_back(Name(c.file));
    dialogs_.webpAnswers.push_back(c.answer);
    const size_t asked = dialogs_.webpPresets.size();
    form_->SaveButton->click();
    ASSERT_TRUE(dialogs_.errors.empty()) << c.file << ": " << dialogs_.errors[0].second.toStdString();
    ASSERT_EQ(dialogs_.webpPresets.size(), asked + 1) << c.file;
    EXPECT_EQ(dialogs_.webpPresets.back().Lossless, c.offered.Lossless) << c.file;
    EXPECT_EQ(dialogs_.webpPresets.back().Quality, c.offered.Quality) << c.file;
    const std::vector<unsigned char> bytes = FileBytes(root_ / c.file);
    if (*c.coding == 0) {
      EXPECT_FALSE(fs::exists(root_ / c.file)) << c.file;
      continue;
    }
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find(c.coding, 12), std::string::npos) << c.file;
  }
  // Lossless keeps the flattened picture exactly, alpha included.
  TBitmap32 read;
  LoadFromFile(read, (root_ / "first.webp").string());
  ASSERT_EQ(read.PixelCount(), expected->PixelCount());
  EXPECT_TRUE(std::equal(read.Bits(), read.Bits() + read.PixelCount(), expected->Bits()));
}

TEST_F(SaveTest, EachFormat_WritesTheFlattenedPictureAtTheRenderedSize) {
  RenderTransparentScene();
  const auto expectedPicture = Flattened();
  const TBitmap32& expected = *expectedPicture;
  for (const char* file : {"shot.png", "shot.jpg", "shot.bmp", "SHOT2.PNG"}) {
    dialogs_.saveAnswers.push_back(Name(file));
    form_->SaveButton->click();
    ASSERT_TRUE(dialogs_.errors.empty()) << file << ": " << dialogs_.errors[0].second.toStdString();
    TBitmap32 read;
    LoadFromFile(read, (root_ / file).string());
    EXPECT_EQ(read.Width(), 400) << file;
    EXPECT_EQ(read.Height(), 300) << file;
  }
  // PNG keeps every pixel, alpha included.
  TBitmap32 png;
  LoadFromFile(png, (root_ / "shot.png").string());
  ASSERT_EQ(png.PixelCount(), expected.PixelCount());
  size_t differing = 0;
  for (size_t i = 0; i < png.PixelCount(); ++i) differing += png.Bits()[i] != expected.Bits()[i];
  EXPECT_EQ(differing, 0u);
  // BMP: the pixel bytes of the flattened picture bottom row first, with the DPI as pixels per metre.
  const std::vector<unsigned char> bmp = FileBytes(root_ / "shot.bmp");
  ASSERT_EQ(bmp.size(), 54u + 400u * 300u * 4u);
  EXPECT_EQ(LittleEndian32(bmp, 38), 3780u);
  EXPECT_EQ(LittleEndian32(bmp, 42), 3780u);
  EXPECT_EQ(LittleEndian32(bmp, 54), expected.PixelAt(0, 299));
  // JPEG: the JFIF density is the DPI field's value.
  const std::vector<unsigned char> jpg = FileBytes(root_ / "shot.jpg");
  ASSERT_GT(jpg.size(), 20u);
  EXPECT_EQ(jpg[13], 1);
  EXPECT_EQ(jpg[14], 0x00);
  EXPECT_EQ(jpg[15], 0x60);
}

TEST_F(SaveTest, DpiField_IsWrittenIntoTheFile) {
  RenderTransparentScene();
  form_->Controls().Field("OutputDpi")->setValue(300);
  dialogs_.saveAnswers.push_back(Name("dpi.bmp"));
  form_->SaveButton->click();
  const std::vector<unsigned char> bmp = FileBytes(root_ / "dpi.bmp");
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(LittleEndian32(bmp, 38), 11812u);
  EXPECT_EQ(renders_, 1) << "the DPI field does not render";
}

TEST_F(SaveTest, FlipWhenSaved_MirrorsTheFileButNotThePreview) {
  RenderTransparentScene();
  const auto beforePicture = Flattened();
  const TBitmap32& before = *beforePicture;
  form_->Controls().Box("FlipWhenSaved")->click();
  dialogs_.saveAnswers.push_back(Name("flipped.png"));
  form_->SaveButton->click();
  ASSERT_TRUE(dialogs_.errors.empty());
  TBitmap32 read;
  LoadFromFile(read, (root_ / "flipped.png").string());
  ASSERT_EQ(read.Width(), before.Width());
  for (int32_t y = 0; y < before.Height(); y += 7) {
    for (int32_t x = 0; x < before.Width(); x += 5) {
      ASSERT_EQ(read.PixelAt(x, y), before.PixelAt(before.Width() - 1 - x, y)) << x << "," << y;
    }
  }
  const auto after = Flattened();
  EXPECT_TRUE(std::equal(after->Bits(), after->Bits() + after->PixelCount(), before.Bits()));
}

TEST_F(SaveTest, BeforeAnyRender_SavesTheEmptyViewSizedPicture) {
  MakeStandardData();
  CreateWindow();
  dialogs_.saveAnswers.push_back(Name("empty.png"));
  form_->SaveButton->click();
  TBitmap32 read;
  LoadFromFile(read, (root_ / "empty.png").string());
  EXPECT_EQ(read.Width(), 297);
  EXPECT_EQ(read.Height(), 297);
  for (size_t i = 0; i < read.PixelCount(); ++i) ASSERT_EQ(read.Bits()[i], 0u);
}

TEST_F(SaveTest, Cancelled_WritesNothingAndReportsNothing) {
  RenderTransparentScene();
  form_->SaveButton->click();
  EXPECT_TRUE(dialogs_.errors.empty());
  EXPECT_FALSE(fs::exists(root_ / "shot.bmp"));
}

TEST_F(SaveTest, UnwritableFolder_ReportsAndLeavesNoFile) {
  RenderTransparentScene();
  dialogs_.saveAnswers.push_back(Name("missing-folder/shot.png"));
  form_->SaveButton->click();
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_FALSE(fs::exists(root_ / "missing-folder"));
}

TEST_F(SaveTest, NameNoWriterTakes_ReportsAndWritesNothing) {
  RenderTransparentScene();
  dialogs_.saveAnswers.push_back(Name("shot.gif"));
  form_->SaveButton->click();
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_FALSE(fs::exists(root_ / "shot.gif"));
  // A name that failed is not offered again; the last one that saved would be.
  form_->SaveButton->click();
  EXPECT_TRUE(dialogs_.saveRequests.back().proposedFileName.isEmpty());
}

TEST_F(SaveTest, CtrlS_SavesToo) {
  RenderTransparentScene();
  form_->show();
  form_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  QTest::keyClick(form_.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(dialogs_.saveRequests.size(), 1u);
}

class AboutTest : public AppTest {
 protected:
  std::unique_ptr<TForm2> CreateAbout() {
    shell_ = std::make_unique<Shell>(
        Shell{dialogs_, std::string(kDesignTitle), root_ / "mirelane-creator", root_});
    auto about = std::make_unique<TForm2>(*shell_);
    about->FormCreate();
    return about;
  }
};

TEST_F(AboutTest, AboutButton_ShowsTheWindowModallyCentredOnTheMainWindow) {
  MakeStandardData();
  CreateWindow();
  TForm2 about(*shell_, form_.get());
  about.FormCreate();
  form_->SetAboutWindow(&about);
  form_->show();
  QPoint centre;
  bool modal = false;
  QTimer::singleShot(0, &about, [&] {
    centre = about.geometry().center();
    modal = QApplication::activeModalWidget() == &about;
    about.done(0);
  });
  form_->AboutToolButton->click();
  EXPECT_TRUE(modal);
  // Within rounding of the odd sizes and the window frame.
  EXPECT_LE((centre - form_->geometry().center()).manhattanLength(), 4);
  EXPECT_FALSE(about.isVisible());
}

TEST_F(AboutTest, AllFilesPresent_ShowsTextLogoAndOpensTheLink) {
  MakeStandardData();
  WriteText(root_ / "Data" / "About.dat", "Mirelane Creator %VERSION%\r\nsaved as %SAVEFORMATS%.\r\n");
  auto about = CreateAbout();
  EXPECT_TRUE(dialogs_.errors.empty());
  EXPECT_EQ(about->sMemo2->toPlainText(),
            "Mirelane Creator " MIRELANE_VERSION "\nsaved as PNG, JPEG, BMP or WebP.");
  EXPECT_FALSE(about->LogoImage->Picture().isNull());
  EXPECT_EQ(about->LinkAddress(), "https://example.org/mirelane");
  EXPECT_EQ(about->AboutPageControl->tabText(0), "About");
  EXPECT_EQ(about->AboutPageControl->tabText(1), "Used libraries");
  EXPECT_EQ(about->AboutPageControl->currentIndex(), 0);
  about->show();
  QTest::mouseClick(about->LogoImage, Qt::LeftButton);
  ASSERT_EQ(dialogs_.openedAddresses.size(), 1u);
  EXPECT_EQ(dialogs_.openedAddresses[0], "https://example.org/mirelane");
}

TEST_F(AboutTest, CreditsNameEveryLibraryWithVersionLicenceAndAddress) {
  MakeStandardData();
  auto about = CreateAbout();
  const QString credits = about->sMemo1->toPlainText();
  EXPECT_TRUE(about->sMemo1->isReadOnly());
  const std::vector<const char*> linked = {"Anti-Grain Geometry", "Qt " QT_VERSION_STR, "libpng",   "zlib",
                                           "libdeflate 1.",       "libjpeg-turbo",      "libtiff",  "giflib",
                                           "libwebp 1.",          "Little CMS 2.",      "stb_image"};
  for (const char* name : linked) EXPECT_NE(credits.indexOf(name), -1) << name;
  EXPECT_TRUE(credits.startsWith("Anti-Grain Geometry"));
  // One entry each, and nothing credited that is not linked.
  const auto entries = static_cast<qsizetype>(linked.size());
  EXPECT_EQ(credits.count("---\n"), entries - 1);
  EXPECT_EQ(credits.count("Licence:"), entries);
  EXPECT_EQ(credits.count("http"), entries + 1);  // libjpeg-turbo names two projects
}

TEST_F(AboutTest, AboutDatMissing_ReportsAndSkipsLinkAndLogo) {
  MakeStandardData();
  fs::remove(root_ / "Data" / "About.dat");
  auto about = CreateAbout();
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_EQ(dialogs_.errors[0].first, "Mirelane Creator " MIRELANE_VERSION);
  EXPECT_EQ(dialogs_.errors[0].second,
            QString::fromStdString("Cannot open file \"" + (root_ / "Data" / "About.dat").string() +
                                   "\". No such file or directory."));
  EXPECT_EQ(about->sMemo2->toPlainText(), "Mirelane Creator");
  EXPECT_TRUE(about->LinkAddress().empty());
  EXPECT_TRUE(about->LogoImage->Picture().isNull());
  about->LogoImageClick();
  EXPECT_TRUE(dialogs_.openedAddresses.empty());
}

TEST_F(AboutTest, LinkFileMissingOrEmpty_LeavesLinkEmptyAndNoLogo) {
  const struct {
    const char* name;
    bool present;
    const char* message;
  } cases[] = {{"missing", false, "Cannot open file"}, {"empty", true, "List index out of bounds (0)"}};
  for (const auto& c : cases) {
    dialogs_.errors.clear();
    MakeStandardData();
    fs::remove(root_ / "Data" / "LinkAdr.dat");
    if (c.present) WriteText(root_ / "Data" / "LinkAdr.dat", "");
    auto about = CreateAbout();
    ASSERT_EQ(dialogs_.errors.size(), 1u) << c.name;
    EXPECT_TRUE(dialogs_.errors[0].second.startsWith(c.message)) << c.name;
    EXPECT_EQ(about->sMemo2->toPlainText(), "Mirelane Creator\nline two") << c.name;
    EXPECT_TRUE(about->LinkAddress().empty()) << c.name;
    EXPECT_TRUE(about->LogoImage->Picture().isNull()) << c.name;
  }
}

TEST_F(AboutTest, LogoMissing_ReportsButKeepsTextAndLink) {
  MakeStandardData();
  fs::remove(root_ / "Data" / "Logo.jpg");
  auto about = CreateAbout();
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_NE(dialogs_.errors[0].second.indexOf("Logo.jpg"), -1);
  EXPECT_EQ(about->LinkAddress(), "https://example.org/mirelane");
  EXPECT_TRUE(about->LogoImage->Picture().isNull());
}

TEST_F(AboutTest, EmptyFirstLinkLine_LogoClickDoesNothing) {
  MakeStandardData();
  WriteText(root_ / "Data" / "LinkAdr.dat", "\nhttps://example.org/second\n");
  auto about = CreateAbout();
  EXPECT_TRUE(dialogs_.errors.empty());
  about->LogoImageClick();
  EXPECT_TRUE(dialogs_.openedAddresses.empty());
}

}  // namespace
}  // namespace mirelane::testing
