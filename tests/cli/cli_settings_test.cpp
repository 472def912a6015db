// The command line's settings come from the settings table: every entry parses at its bounds, is
// refused one beyond them with its name and range in the message, and is listed by --help.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "compose/editing_settings.h"

namespace mirelane {
namespace {

std::string OptionOf(const EditingSetting& setting) {
  return "--" + std::string(setting.Option);
}

CliOptions Parse(const std::string& option, const std::string& value) {
  return ParseCommandLine({option, value, "-o", "x.png"});
}

std::string UsageErrorOf(const std::vector<std::string>& args) {
  try {
    ParseCommandLine(args);
  } catch (const UsageError& e) {
    return e.what();
  }
  return "no error";
}

TEST(CliSettings, EveryNumberParsesAtItsBoundsAndRefusesOneBeyond) {
  for (const EditingSetting& setting : EditingSettings()) {
    if (setting.Option.empty() || setting.Kind != SettingKind::Number) continue;
    const std::string option = OptionOf(setting);
    SCOPED_TRACE(option);
    const int32_t min = setting.Range.Min, max = setting.Range.Max;
    EXPECT_EQ(setting.Get(Parse(option, std::to_string(min)).State), min);
    EXPECT_EQ(setting.Get(Parse(option, std::to_string(max)).State), max);
    const std::string range =
        option + " takes a whole number from " + std::to_string(min) + " to " + std::to_string(max);
    for (const int64_t beyond : {int64_t{min} - 1, int64_t{max} + 1}) {
      const std::string message = UsageErrorOf({option, std::to_string(beyond), "-o", "x.png"});
      EXPECT_EQ(message.rfind(range, 0), 0u) << message;
      EXPECT_NE(message.find("(got \"" + std::to_string(beyond) + "\")"), std::string::npos) << message;
    }
  }
}

TEST(CliSettings, EveryColourAndFlagStoresItsValue) {
  for (const EditingSetting& setting : EditingSettings()) {
    if (setting.Option.empty() || setting.Kind == SettingKind::Number) continue;
    const std::string option = OptionOf(setting);
    SCOPED_TRACE(option);
    if (setting.Kind == SettingKind::Colour) {
      EXPECT_EQ(setting.Get(Parse(option, "#123456").State), 0x563412);
      EXPECT_EQ(UsageErrorOf({option, "#12345", "-o", "x.png"}).rfind(option + " takes a colour", 0), 0u);
    } else {
      const CliOptions given = ParseCommandLine({option, "-o", "x.png"});
      EXPECT_EQ(setting.Get(given.State), setting.FlagValue ? 1 : 0);
      EXPECT_EQ(setting.Get(ParseCommandLine({"-o", "x.png"}).State), setting.Default);
    }
  }
}

// Text for a flag, as a manifest cell gives it: yes stores what giving the option stores.
TEST(CliSettings, FlagTextTakesYesAndNoWords) {
  const EditingSetting& hide = *FindSettingByOption("hide-shadow");
  struct Case {
    const char* text;
    bool shown;
  };
  const Case cases[] = {{"yes", false}, {"1", false}, {"TRUE", false}, {"On", false},
                        {"no", true},   {"0", true},  {"false", true}, {"off", true}};
  for (const Case& c : cases) {
    EditingState state;
    state.ShowShadow = !c.shown;
    ApplySettingText(state, hide, "hide-shadow", c.text);
    EXPECT_EQ(state.ShowShadow, c.shown) << c.text;
  }
  EditingState state;
  try {
    ApplySettingText(state, hide, "hide-shadow", "maybe");
    ADD_FAILURE() << "maybe was taken";
  } catch (const UsageError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("hide-shadow takes yes or no", 0), 0u) << e.what();
  }
}

TEST(CliSettings, HelpListsEverySettingWithItsRangeAndDefault) {
  const std::string usage = CliUsage();
  for (const EditingSetting& setting : EditingSettings()) {
    if (setting.Option.empty()) continue;
    const std::string option = OptionOf(setting);
    const size_t at = usage.find("\n  " + option + " ");
    ASSERT_NE(at, std::string::npos) << option;
    const std::string line = usage.substr(at + 1, usage.find('\n', at + 1) - at - 1);
    EXPECT_NE(line.find(setting.Help), std::string::npos) << line;
    if (setting.Kind == SettingKind::Number) {
      EXPECT_NE(line.find(std::to_string(setting.Range.Min) + ".." + std::to_string(setting.Range.Max) +
                          ", default " + std::to_string(setting.Default)),
                std::string::npos)
          << line;
    }
  }
}

}  // namespace
}  // namespace mirelane
