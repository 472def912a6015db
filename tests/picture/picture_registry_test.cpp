// The picture registry: extension lookup, the dialog filter and ReadPicture's own failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "picture/decode_checks.h"
#include "picture/picture_fixtures.h"
#include "picture/picture_reader.h"
#include "picture/picture_writer.h"
#include "raster/bitmap32.h"
#include "raster/error.h"

namespace mirelane {
namespace {

using fixtures::Bytes;
using fixtures::MessageOf;

TEST(FileExtension, TakesThePartAfterTheLastDotOfTheName) {
  const std::pair<std::string, std::string> cases[] = {
      {"photo.jpg", "jpg"},     {"photo.JPG", "JPG"},      {"a.b.Png", "Png"}, {"README", ""},
      {"my.folder/file", ""},   {"dir/x.tiff", "tiff"},    {"trailing.", ""},  {".hidden", "hidden"},
      {"C:\\pics.d\\shot", ""}, {"/p.q/r.s/t.gif", "gif"},
  };
  for (const auto& [name, extension] : cases) EXPECT_EQ(FileExtension(name), extension) << name;
}

TEST(PictureFormatRegistry, KeepsTheRegistrationOrderWithoutTheLeftOutFormats) {
  const auto& registry = PictureFormatRegistry();
  std::string extensions;
  for (const auto& entry : registry) extensions += entry.Extension + " ";
  EXPECT_EQ(extensions,
            "ico bmp jpeg jpg png bmp ico jfif jpg jpe jpeg rle dib win vst vda tga icb tiff tif fax eps pcx "
            "pcc scr "
            "sgi rgba rgb bw psd pdd ppm pgm pbm gif png webp ");
  for (const auto& entry : registry) {
    EXPECT_FALSE(entry.Description.empty());
    EXPECT_NE(entry.Reader, nullptr);
  }
}

TEST(PictureFormatFor, TheLastRegistrationWinsAndCaseIsIgnored) {
  const std::pair<std::string, std::string> cases[] = {
      {"png", "Portable network graphic images"},
      {"PNG", "Portable network graphic images"},
      {"jpg", "JPG images"},
      {"JpEg", "JPEG images"},
      {"bmp", "Windows bitmaps"},
      {"ico", "Windows icons"},
      {"tga", "Truevision images"},
      {"bw", "SGI black/white images"},
      {"WebP", "WebP images"},
  };
  for (const auto& [extension, description] : cases)
    EXPECT_EQ(PictureFormatFor(extension).Description, description) << extension;
}

TEST(PictureFormatFor, UnknownExtensionsKeepTheirLetterCaseInTheMessage) {
  const std::pair<std::string, std::string> cases[] = {
      {"txt", "Unknown picture file extension (.txt)"}, {"TXT", "Unknown picture file extension (.TXT)"},
      {"", "Unknown picture file extension (.)"},       {"wmf", "Unknown picture file extension (.wmf)"},
      {"psp", "Unknown picture file extension (.psp)"},
  };
  for (const auto& [extension, message] : cases)
    EXPECT_EQ(MessageOf([&] { PictureFormatFor(extension); }), message);
}

TEST(PictureFileFilter, AllPatternsFirstThenOnePairPerEntryFromTheLast) {
  const std::string filter = PictureFileFilter();
  EXPECT_EQ(filter.rfind("All (*.webp;*.png;*.gif;*.pbm;*.pgm;*.ppm;*.pdd;*.psd;*.bw;", 0), 0u)
      << filter.substr(0, 80);
  const std::string allPatterns =
      "*.webp;*.png;*.gif;*.pbm;*.pgm;*.ppm;*.pdd;*.psd;*.bw;*.rgb;*.rgba;*.sgi;*.scr;*.pcc;*.pcx;*.eps;*."
      "fax;*.tif;"
      "*.tiff;*.icb;*.tga;*.vda;*.vst;*.win;*.dib;*.rle;*.jpeg;*.jpe;*.jpg;*.jfif;*.ico;*.bmp;*.png;*.jpg;*."
      "jpeg;"
      "*.bmp;*.ico";
  const std::string head =
      "All (" + allPatterns + ")|" + allPatterns +
      "|WebP images (*.webp)|*.webp|Portable network graphic images (*.png)|*.png|CompuServe images "
      "(*.gif)|*.gif|";
  EXPECT_EQ(filter.substr(0, head.size()), head);
  const std::string tail = "|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico";
  ASSERT_GE(filter.size(), tail.size());
  EXPECT_EQ(filter.substr(filter.size() - tail.size()), tail);
  // One "All" pair and one pair per entry: two items each, separated by "|".
  EXPECT_EQ(std::count(filter.begin(), filter.end(), '|'),
            static_cast<long>(2 * PictureFormatRegistry().size() + 1));
}

TEST(ReadPicture, ContentWithoutASignatureNeedsAKnownExtension) {
  fixtures::TempFolder folder;
  const struct {
    const char* name;
    std::string content;
    const char* reason;
  } cases[] = {
      {"notes.txt", "hello\n",
       "(.txt), and the content is no picture this program reads: it starts with 68 65 6C 6C 6F 0A "
       "(\"hello.\")."},
      {"noextension", "", "(.), and the content is no picture this program reads: it is empty."},
  };
  for (const auto& c : cases) {
    const std::string file = folder.File(c.name);
    fixtures::WriteBytes(file, Bytes(c.content.begin(), c.content.end()));
    EXPECT_EQ(MessageOf([&] { ReadPicture(file); }),
              "Cannot read file \"" + file + "\". Unknown picture file extension " + c.reason);
  }
  const std::string missing = folder.File("missing.png");
  EXPECT_EQ(MessageOf([&] { ReadPicture(missing); }),
            "Cannot open file \"" + missing + "\". No such file or directory");
}

TEST(ReadPicture, OnlyRegularFilesAreOpenedAndOthersFailAtOnce) {
  fixtures::TempFolder folder;
  const std::string directory = folder.File("looks.png");
  std::filesystem::create_directory(directory);
  // Nobody ever writes to this pipe: a reader that opened it for reading would wait for ever.
  const std::string pipe = folder.File("pipe.bmp");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string device = folder.File("null.jpg");
  std::filesystem::create_symlink("/dev/null", device);
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {directory, "Is a directory"},
      {pipe, "It is a named pipe, not a file."},
      {device, "It is a device, not a file."},
  };
  for (const auto& c : cases) {
    TBitmap32 surface(1, 1);
    EXPECT_EQ(MessageOf([&] { LoadFromFile(surface, c.path); }),
              "Cannot open file \"" + c.path + "\". " + c.reason);
    EXPECT_EQ(surface.Width(), 1);
  }
}

TEST(ReadPicture, UpperAndLowerCaseExtensionsReadTheSame) {
  fixtures::TempFolder folder;
  TBitmap32 picture(3, 2);
  picture.Clear(0xFF336699u);
  const Bytes jpg = EncodeJpg(picture, 96);
  fixtures::WriteBytes(folder.File("photo.JPG"), jpg);
  fixtures::WriteBytes(folder.File("photo.jpg"), jpg);
  const TDecodedPicture upper = ReadPicture(folder.File("photo.JPG"));
  const TDecodedPicture lower = ReadPicture(folder.File("photo.jpg"));
  EXPECT_EQ(upper.Kind, TPictureKind::Other);
  EXPECT_EQ(upper.Pixels, lower.Pixels);
}

TEST(ReadPicture, TheContentChoosesTheReaderWhateverTheName) {
  fixtures::TempFolder folder;
  TBitmap32 picture(3, 2);
  const std::string ppm = "P6 3 2 255\n" + std::string(18, '\x7F');
  const struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"jpeg.png", EncodeJpg(picture, 96)},
      {"png.jpg", EncodePng(picture, 96)},
      {"bmp", EncodeBmp(picture, 96)},
      {"webp.gif", EncodeWebp(picture)},
      {"gif.dat", fixtures::GifFile(3, 2, {{0, 0, 0}, {255, 255, 255}}, {{3, 2, {0, 1, 0, 1, 0, 1}}})},
      {"tiff.jpg", fixtures::TiffFile(3, 2, 3, false, Bytes(18, 9))},
      {"map.tga", Bytes(ppm.begin(), ppm.end())},
  };
  for (const auto& c : cases) {
    const std::string path = folder.File(c.name);
    fixtures::WriteBytes(path, c.bytes);
    TDecodedPicture decoded;
    EXPECT_EQ(MessageOf([&] { decoded = ReadPicture(path); }), "(no error)") << c.name;
    EXPECT_EQ(decoded.Width, 3) << c.name;
    EXPECT_EQ(decoded.Height, 2) << c.name;
  }
  // Content with no signature goes to the extension's reader, whose reason the message gives.
  const std::string broken = folder.File("broken.png");
  fixtures::WriteBytes(broken, {'n', 'o', 't', ' ', 'a', ' ', 'P', 'N', 'G'});
  EXPECT_EQ(
      MessageOf([&] { ReadPicture(broken); }),
      "Cannot read file \"" + broken + "\". Cannot load image. Invalid or unexpected PNG image format.");
}

TEST(LoadFromFile, KeepsThePreviousPictureWhenReadingFails) {
  fixtures::TempFolder folder;
  const std::string broken = folder.File("broken.bmp");
  fixtures::WriteBytes(broken, Bytes{'B', 'M', 1, 2, 3});
  TBitmap32 surface(2, 1);
  surface.Clear(0x80112233u);
  EXPECT_EQ(MessageOf([&] { LoadFromFile(surface, broken); }),
            "Cannot read file \"" + broken + "\". Bitmap image is not valid");
  EXPECT_EQ(MessageOf([&] { LoadFromFile(surface, folder.File("gone.gif")); }).rfind("Cannot open file", 0),
            0u);
  ASSERT_EQ(surface.Width(), 2);
  EXPECT_EQ(surface.PixelAt(0, 0), 0x80112233u);
  EXPECT_EQ(surface.PixelAt(1, 0), 0x80112233u);
}

TEST(LoadFromFile, ReadsASavedPngWithItsAlpha) {
  fixtures::TempFolder folder;
  TBitmap32 picture(2, 2);
  picture.PixelAt(0, 0) = 0x00000000u;
  picture.PixelAt(1, 0) = 0x80FF8040u;
  picture.PixelAt(0, 1) = 0xFF010203u;
  picture.PixelAt(1, 1) = 0x01FFFFFFu;
  SavePicture(picture, folder.File("shot.png"), 96);
  TBitmap32 loaded;
  LoadFromFile(loaded, folder.File("shot.png"));
  ASSERT_EQ(loaded.Width(), 2);
  ASSERT_EQ(loaded.Height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(loaded.PixelAt(x, y), picture.PixelAt(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace mirelane
