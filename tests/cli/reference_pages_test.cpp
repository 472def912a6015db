// The manual page and the bash completion cannot drift from --help: every option --help names is in both,
// and every option either names is one that parses.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "cli/cli_options.h"
#include "cli/design_options.h"
#include "cli/reference_pages.h"

namespace mirelane {
namespace {

std::set<std::string> OptionsNamedIn(const std::string& text) {
  std::set<std::string> names;
  const std::regex option(R"((?:^|[\s,(|])(--?[a-z][a-z0-9-]*))");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
    names.insert((*it)[1]);
  return names;
}

// man(7) writes every dash of an option as "\-" and sets options in bold ("\fB...\fR").
std::string Unescaped(const std::string& page) {
  return std::regex_replace(std::regex_replace(page, std::regex(R"(\\f[BIR])"), " "), std::regex(R"(\\-)"),
                            "-");
}

TEST(ReferencePages, ManPageAndCompletionNameEveryOptionOfTheHelp) {
  const std::set<std::string> help = OptionsNamedIn(std::string(CliUsage()) + DesignUsage());
  ASSERT_GT(help.size(), 30u);
  const std::set<std::string> man = OptionsNamedIn(Unescaped(RenderManPage("9.9")));
  for (const std::string& option : help) EXPECT_EQ(man.count(option), 1u) << "man page: " << option;
  // The words the completion offers after a dash are exactly the options of the help.
  const std::string script = RenderBashCompletion();
  const size_t from = script.rfind("compgen -W '") + 12;
  std::string offered(1, ' ');
  offered.append(script, from, script.find('\'', from) - from);
  EXPECT_EQ(OptionsNamedIn(offered), help);
}

}  // namespace
}  // namespace mirelane
