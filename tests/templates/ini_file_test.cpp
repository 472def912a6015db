// The INI profile reader: names without regard to case, blanks, quotes, value length, the section
// list, integers, and files written on Windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "raster/error.h"
#include "templates/ini_file.h"

namespace mirelane {
namespace {

TEST(IniFile, ReadString) {
  struct Case {
    const char* what;
    std::string text;
    const char* section;
    const char* key;
    std::string expected;
  };
  const Case cases[] = {
      {"plain", "[S]\nk=v\n", "S", "k", "v"},
      {"section case", "[Image]\nk=v\n", "IMAGE", "k", "v"},
      {"key case", "[S]\nWidth=5\n", "s", "WIDTH", "5"},
      {"blanks", "  [ S ]  \n \t k \t=  a b  \t\n", "S", "k", "a b"},
      {"double quotes", "[S]\nk=\"  q  \"\n", "S", "k", "  q  "},
      {"single quotes", "[S]\nk='q'\n", "S", "k", "q"},
      {"one pair only", "[S]\nk=\"\"q\"\"\n", "S", "k", "\"q\""},
      {"unmatched quotes kept", "[S]\nk=\"q'\n", "S", "k", "\"q'"},
      {"lone quote kept", "[S]\nk=\"\n", "S", "k", "\""},
      {"quotes inside kept", "[S]\nk=a\"b\"\n", "S", "k", "a\"b\""},
      {"empty value", "[S]\nk=\n", "S", "k", ""},
      {"empty quoted value", "[S]\nk=\"\"\n", "S", "k", ""},
      {"first equals splits", "[S]\nk=a=b\n", "S", "k", "a=b"},
      {"missing key", "[S]\nk=v\n", "S", "other", "default"},
      {"missing section", "[S]\nk=v\n", "T", "k", "default"},
      {"key before any section", "k=v\n[S]\n", "S", "k", "default"},
      {"line without equals ignored", "[S]\njunk\nk=v\n", "S", "k", "v"},
      {"empty key ignored", "[S]\n=v\n", "S", "", "default"},
      {"header without bracket ignored", "[S]\n[T\nk=v\n", "S", "k", "v"},
      {"text after bracket ignored", "[S] trailing\nk=v\n", "S", "k", "v"},
      {"first key wins", "[S]\nk=1\nK=2\n", "S", "k", "1"},
      {"first section wins", "[S]\nk=1\n[s]\nk=2\nj=3\n", "S", "k", "1"},
      {"later duplicate section ignored", "[S]\nk=1\n[s]\nj=3\n", "S", "j", "default"},
      {"CRLF", "[S]\r\nk=v\r\n", "S", "k", "v"},
      {"lone CR", "[S]\rk=v\r", "S", "k", "v"},
      {"UTF-8 BOM", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "v"},
      {"no final line end", "[S]\nk=v", "S", "k", "v"},
      {"backslashes kept", "[S]\nk=sub\\pic.png\n", "S", "k", "sub\\pic.png"},
      {"non-ASCII kept", "[S]\nk=\xC3\xA9t\xC3\xA9\n", "S", "k", "\xC3\xA9t\xC3\xA9"},
      {"non-ASCII names are not folded", "[\xC3\x89]\nk=v\n", "\xC3\xA9", "k", "default"},
      {"empty text", "", "S", "k", "default"},
  };
  for (const Case& c : cases) {
    const IniFile ini = IniFile::FromText(c.text);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "default"), c.expected) << c.what;
  }
}

TEST(IniFile, LongValuesAreCutTo2047Characters) {
  const std::string longValue(5000, 'x');
  const IniFile ini = IniFile::FromText("[S]\nk=" + longValue + "\nq=\"" + std::string(2047, 'y') + "z\"\n");
  EXPECT_EQ(ini.ReadString("S", "k", ""), std::string(2047, 'x'));
  // Quotes are removed first, then the value is cut.
  EXPECT_EQ(ini.ReadString("S", "q", ""), std::string(2047, 'y'));
}

TEST(IniFile, SectionsInFileOrderAsWritten) {
  const IniFile ini = IniFile::FromText("[Image]\n[Layers]\n[layer1]\n[ Spaced Name ]\n[LAYERS]\n[]\n");
  const std::vector<std::string> expected = {"Image", "Layers", "layer1", "Spaced Name", ""};
  EXPECT_EQ(ini.ReadSections(), expected);
  EXPECT_TRUE(ini.SectionExists("LAYER1"));
  EXPECT_FALSE(ini.SectionExists("Layer2"));
}

TEST(IniFile, SectionListStopsAt16384Bytes) {
  // Names of 9 characters take 10 bytes each; with the closing zero 1638 fit into 16384 bytes.
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "[Layer" + std::to_string(10000 + i).substr(1) + "]\n";
  const auto sections = IniFile::FromText(text).ReadSections();
  ASSERT_EQ(sections.size(), 1638u);
  EXPECT_EQ(sections.front(), "Layer0000");
  EXPECT_EQ(sections.back(), "Layer1637");

  // A name that does not fit is left out, and nothing after it is listed.
  const std::string big(16380, 'A');
  const IniFile twoFile = IniFile::FromText("[" + big + "]\n[BC]\n[D]\n");
  const auto two = twoFile.ReadSections();
  ASSERT_EQ(two.size(), 1u);  // 16381 + 1 + 3 > 16384
  EXPECT_EQ(twoFile.SectionsBeyondList(), (std::vector<std::string>{"BC", "D"}));
  const auto exact = IniFile::FromText("[" + big + "]\n[B]\n").ReadSections();
  EXPECT_EQ(exact.size(), 2u);  // 16381 + 2 + 1 = 16384
  EXPECT_TRUE(IniFile::FromText("[" + big + "]\n[B]\n").SectionsBeyondList().empty());
}

TEST(IniFile, IntegerValues) {
  struct Case {
    const char* text;
    int32_t expected;  // default is -99
  };
  const Case cases[] = {
      {"31", 31},
      {"0x1F", 31},
      {"0X1f", 31},
      {"$1F", 31},
      {"$1f", 31},
      {"-7", -7},
      {"+7", 7},
      {"007", 7},
      {"-0", 0},
      {"  42  ", 42},  // blanks around the value are the INI reader's
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"$7FFFFFFF", 2147483647},
      {"$FFFFFFFF", -1},
      {"0x000000001F", 31},
      {"12.5", -99},
      {"", -99},
      {"2147483648", -99},
      {"-2147483649", -99},
      {"99999999999999999999999", -99},
      {"$100000000", -99},
      {"1F", -99},
      {"12abc", -99},
      {"abc", -99},
      {"- 5", -99},
      {"-", -99},
      {"$", -99},
      {"0x", -99},
      {"-$1F", -99},
      {"+0x1F", -99},
      {"0x-1", -99},
      {"1e3", -99},
      {"1 000", -99},
  };
  for (const Case& c : cases) {
    const IniFile ini = IniFile::FromText(std::string("[S]\nk=") + c.text + "\n");
    EXPECT_EQ(ini.ReadInteger("S", "k", -99), c.expected) << "'" << c.text << "'";
  }
  EXPECT_EQ(IniFile{}.ReadInteger("S", "k", 17), 17);
}

TEST(IniFile, ColorValues) {
  const IniFile ini = IniFile::FromText("[S]\na=clRed\nb=$FF0000\nc=12\nd=nonsense\n");
  EXPECT_EQ(ini.ReadColor("S", "a", 0), 0x0000FF);
  EXPECT_EQ(ini.ReadColor("S", "b", 0), 0xFF0000);
  EXPECT_EQ(ini.ReadColor("S", "c", 0), 12);
  EXPECT_EQ(ini.ReadColor("S", "missing", 0x123456), 0x123456);
  EXPECT_THROW(ini.ReadColor("S", "d", 0), Error);
}

TEST(IniFile, WindowsFileReadsLikeLinuxFile) {
  const std::string unix = "[Image]\nwidth=400\n[Layer1]\ntype = normal\nsource=\"front\"\nA.X=$1F\n";
  std::string windows = "\xEF\xBB\xBF";
  for (char c : unix) windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
  // The same text as UTF-16 with its byte order mark, as some editors save it.
  std::string utf16 = "\xFF\xFE";
  for (char c : windows.substr(3)) utf16 += std::string{c, '\0'};

  for (const std::string& text : {windows, utf16}) {
    const IniFile a = IniFile::FromText(unix), b = IniFile::FromText(text);
    EXPECT_EQ(a.ReadSections(), b.ReadSections());
    EXPECT_EQ(b.ReadInteger("image", "WIDTH", 0), 400);
    EXPECT_EQ(b.ReadString("Layer1", "type", ""), "normal");
    EXPECT_EQ(b.ReadString("Layer1", "source", ""), "front");
    EXPECT_EQ(b.ReadInteger("Layer1", "A.X", 0), 31);
  }
}

TEST(IniFile, Utf16NonAsciiBecomesUtf8) {
  // "[S]\nk=é€😀" in UTF-16 little endian.
  const std::string text("\xFF\xFE[\0S\0]\0\n\0k\0=\0\xE9\0\xAC\x20\x3D\xD8\x00\xDE", 22);
  EXPECT_EQ(IniFile::FromText(text).ReadString("S", "k", ""), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(IniFile, LoadReadsAFileAndFailsOnAFolder) {
  const auto dir = std::filesystem::temp_directory_path() / "mirelane_ini_test";
  std::filesystem::create_directories(dir);
  EXPECT_THROW(IniFile::Load(dir), Error);
  {
    std::ofstream out(dir / "t.ini", std::ios::binary);
    out << "[Image]\r\nheight=7\r\n";
  }
  EXPECT_EQ(IniFile::Load(dir / "t.ini").ReadInteger("Image", "height", 600), 7);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace mirelane
