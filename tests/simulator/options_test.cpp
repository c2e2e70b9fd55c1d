// The simulator's command line, its choice of demo or scripted start, and
// the completeness of its help text.
#include "simulator/options.h"

#include <gtest/gtest.h>

#include "simulator/command.h"

namespace vtsim {
namespace {

TEST(OptionsTest, DefaultsServeTheDecodersNames) {
    const Options options = ParseOptions({});
    EXPECT_EQ(options.service, "VTplus");
    EXPECT_EQ(options.topic, "590");
    EXPECT_EQ(options.item, "10,10,,,B(0/5/39/23)");
    EXPECT_FALSE(options.demo);
    EXPECT_TRUE(options.scripts.empty());
}

TEST(OptionsTest, ReadsEveryOption) {
    const Options options =
        ParseOptions({"--script", "a.txt", "--script", "b.txt", "--demo", "--no-stdin",
                      "--quit-on-eof", "--log", "events.log", "--service", "Other", "--topic",
                      "100", "--item", "x", "--interval", "250", "--seed", "42"});
    EXPECT_EQ(options.scripts, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_TRUE(options.demo);
    EXPECT_TRUE(options.no_stdin);
    EXPECT_TRUE(options.quit_on_eof);
    EXPECT_EQ(options.log_file, "events.log");
    EXPECT_EQ(options.service, "Other");
    EXPECT_EQ(options.topic, "100");
    EXPECT_EQ(options.item, "x");
    EXPECT_EQ(options.interval_ms, 250);
    EXPECT_TRUE(options.seed_given);
    EXPECT_EQ(options.seed, 42u);
    EXPECT_TRUE(ParseOptions({"--help"}).help);
}

TEST(OptionsTest, RefusesBadCommandLines) {
    EXPECT_THROW(ParseOptions({"--script"}), EOptionError);
    EXPECT_THROW(ParseOptions({"--bogus"}), EOptionError);
    EXPECT_THROW(ParseOptions({"--interval", "fast"}), EOptionError);
    EXPECT_THROW(ParseOptions({"--interval", "5"}), EOptionError);
    EXPECT_THROW(ParseOptions({"--seed", "-3"}), EOptionError);
    EXPECT_THROW(ParseOptions({"--service", ""}), EOptionError);
    EXPECT_THROW(ParseOptions({"--topic", std::string(256, 't')}), EOptionError);
}

TEST(OptionsTest, SplitArgumentsGroupsQuotedBlanks) {
    EXPECT_EQ(SplitArguments("  --log \"C:\\my logs\\a.log\"  --demo "),
              (std::vector<std::string>{"--log", "C:\\my logs\\a.log", "--demo"}));
    EXPECT_EQ(SplitArguments("--item \"\""), (std::vector<std::string>{"--item", ""}));
    EXPECT_TRUE(SplitArguments("   ").empty());
}

TEST(StartModeTest, PipedInputIsScriptedAndEverythingElseRunsTheDemo) {
    const Options none = ParseOptions({});
    StartMode piped = ChooseStartMode(none, StdinKind::Pipe, false);
    EXPECT_FALSE(piped.demo);
    EXPECT_TRUE(piped.read_stdin);
    EXPECT_FALSE(ChooseStartMode(none, StdinKind::File, false).demo);

    StartMode by_hand = ChooseStartMode(none, StdinKind::Character, false);
    EXPECT_TRUE(by_hand.demo);
    EXPECT_TRUE(by_hand.read_stdin) << "typed commands still work beside the demo";
    EXPECT_TRUE(ChooseStartMode(none, StdinKind::None, false).demo);
    EXPECT_FALSE(ChooseStartMode(none, StdinKind::None, false).read_stdin);

    // Started minimised by another program: its input is not ours.
    StartMode started = ChooseStartMode(none, StdinKind::Pipe, true);
    EXPECT_TRUE(started.demo);
    EXPECT_FALSE(started.read_stdin);
}

TEST(StartModeTest, ScriptsAndExplicitSwitchesDecide) {
    const Options script = ParseOptions({"--script", "s.txt"});
    EXPECT_FALSE(ChooseStartMode(script, StdinKind::Character, false).demo);
    EXPECT_FALSE(ChooseStartMode(script, StdinKind::None, true).demo);
    EXPECT_TRUE(ChooseStartMode(ParseOptions({"--demo"}), StdinKind::Pipe, false).demo);

    const Options no_stdin = ParseOptions({"--no-stdin"});
    StartMode mode = ChooseStartMode(no_stdin, StdinKind::Pipe, false);
    EXPECT_FALSE(mode.read_stdin);
    EXPECT_TRUE(mode.demo) << "nothing can control it, so it serves the demo";
}

TEST(HelpTest, DocumentsEveryCommandAndOption) {
    const std::string help = HelpText();
    const std::size_t commands = help.find("\nCommands");
    const std::size_t events = help.find("\nEvents");
    ASSERT_NE(commands, std::string::npos);
    ASSERT_NE(events, std::string::npos);
    const std::string command_part = help.substr(commands, events - commands);
    for (const auto& word : CommandWords()) {
        EXPECT_NE(command_part.find("\n  " + word + " "), std::string::npos) << word;
    }
    for (const char* option :
         {"--script", "--demo", "--no-stdin", "--quit-on-eof", "--log", "--service", "--topic",
          "--item", "--interval", "--seed", "--help", "VTSIM_ARGS"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace vtsim
