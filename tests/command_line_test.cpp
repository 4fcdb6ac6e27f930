// --help, --version and unknown arguments of every program, through the
// real binaries: the answer on the right stream with the right status, the
// one version of CMakeLists.txt, and a card left as it was.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "testing/temp_card.h"
#include "testing/tool_runner.h"

namespace {

struct Program {
  std::string name, path;
};

std::vector<Program> Programs() {
  std::vector<Program> programs = {{"cardprep", CARDPREP_EXE}};
#ifdef CARDPREP_VIEW_TOOL
  programs.push_back({"cardprep-view", CARDPREP_VIEW_TOOL});
#endif
#ifdef CARDPREP_FONTS_TOOL
  programs.push_back({"cardprep-fonts", CARDPREP_FONTS_TOOL});
#endif
  return programs;
}

// The version as CMakeLists.txt declares it.
std::string ProjectVersion() {
  std::ifstream in(CARDPREP_SOURCE_DIR "/CMakeLists.txt");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::smatch m;
  if (!std::regex_search(text, m, std::regex(R"(project\(cardprep VERSION ([0-9]+\.[0-9]+\.[0-9]+))"))) {
    return "no version in CMakeLists.txt";
  }
  return m[1];
}

// Runs the program in the card with one of its streams thrown away, so the
// output shows what went to the other.
ToolResult RunKeeping(const char* stream, const TempCard& card, const Program& program,
                      const std::vector<std::string>& args) {
  std::vector<std::string> shellArgs = {
      "-c", std::string("exec \"$0\" \"$@\" ") + (stream == std::string("stdout") ? "2" : "1") +
                ">/dev/null",
      program.path};
  shellArgs.insert(shellArgs.end(), args.begin(), args.end());
  return RunTool("/bin/sh", shellArgs, card.root().string(), "go\n4\n");
}

// A card that cardprep would rename if it ran.
void FillCard(const TempCard& card) {
  card.WriteFile("Long Folder Name/Long Track Name.mp3", "x");
  card.MakeDir("_FONT");
}

}  // namespace

TEST(CommandLine, HelpAndVersionGoToStandardOutputAndTouchNothing) {
  const std::string version = ProjectVersion();
  for (const Program& p : Programs()) {
    TempCard card;
    FillCard(card);
    const std::vector<std::string> before = card.Tree();

    ToolResult r = RunKeeping("stdout", card, p, {"--version"});
    EXPECT_EQ(r.status, 0) << p.name;
    EXPECT_EQ(r.output, p.name + " " + version + "\n");

    for (const char* help : {"--help", "-h"}) {
      r = RunKeeping("stdout", card, p, {help});
      EXPECT_EQ(r.status, 0) << p.name << " " << help;
      EXPECT_EQ(r.output.rfind("usage: " + p.name + " ", 0), 0u) << r.output;
      EXPECT_NE(r.output.find("--version"), std::string::npos) << r.output;
      EXPECT_TRUE(RunKeeping("stderr", card, p, {help}).output.empty()) << p.name;
    }
    EXPECT_EQ(card.Tree(), before) << p.name;
  }
}

// One line on standard error naming what was not understood, status 2,
// nothing on standard output, and the card as it was: cardprep given an
// argument never starts the dialogue, whose "go" is waiting on its input.
TEST(CommandLine, UnknownArgumentsGiveOneLineNamingThemAndStatusTwo) {
  for (const Program& p : Programs()) {
    std::vector<std::vector<std::string>> calls = {{"--bogus"}, {"--versions"}, {"-x"}};
    if (p.name == "cardprep") {
      calls.push_back({"go"});
      calls.push_back({"--help", "--extra"});
      calls.push_back({"--version", "--extra"});
    }
    for (const auto& args : calls) {
      TempCard card;
      FillCard(card);
      const std::vector<std::string> before = card.Tree();
      const std::string named = args.back();
      ToolResult r = RunKeeping("stderr", card, p, args);
      EXPECT_EQ(r.status, 2) << p.name << " " << named;
      EXPECT_EQ(r.output.find('\n'), r.output.size() - 1) << r.output;
      EXPECT_EQ(r.output.rfind(p.name + ": ", 0), 0u) << r.output;
      EXPECT_NE(r.output.find(named), std::string::npos) << r.output;
      EXPECT_TRUE(RunKeeping("stdout", card, p, args).output.empty()) << p.name << " " << named;
      EXPECT_EQ(card.Tree(), before) << p.name << " " << named;
    }
  }
}
