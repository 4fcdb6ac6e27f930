// --help, --version and unknown arguments of every program: right stream and status, card kept.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "testing/e2e_card.h"

namespace {

struct Program {
  std::string name, path;
};

std::vector<Program> Programs() {
  std::vector<Program> programs = {{"cardprep", CARDPREP_EXE},
                                   {"cardprep-restore", CARDPREP_RESTORE_EXE}};
#ifdef CARDPREP_VIEW_TOOL
  programs.push_back({"cardprep-view", CARDPREP_VIEW_TOOL});
#endif
#ifdef CARDPREP_FONTS_TOOL
  programs.push_back({"cardprep-fonts", CARDPREP_FONTS_TOOL});
#endif
  return programs;
}

// Runs the program on a card cardprep would rename, one stream thrown away; the card must stay.
ToolResult RunKeeping(const char* stream, const Program& program, std::vector<std::string> args) {
  TempCard card;
  card.WriteFile("Long Folder Name/Long Track Name.mp3", "x");
  card.MakeDir("_FONT");
  const std::vector<std::string> before = card.Tree();
  args.insert(args.begin(), {"-c",
                             std::string("exec \"$0\" \"$@\" ") +
                                 (stream == std::string("stdout") ? "2" : "1") + ">/dev/null",
                             program.path});
  ToolResult r = RunTool("/bin/sh", args, card.root().string(), "go\n4\n");
  EXPECT_EQ(card.Tree(), before) << program.name;
  return r;
}

}  // namespace

TEST(CommandLine, HelpAndVersionGoToStandardOutputUnknownArgumentsToStandardErrorWithStatus2) {
  std::ifstream in(CARDPREP_SOURCE_DIR "/CMakeLists.txt");
  const std::string cmake((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::smatch version;
  ASSERT_TRUE(
      std::regex_search(cmake, version, std::regex(R"(project\(cardprep VERSION ([0-9.]+))")));
  for (const Program& p : Programs()) {
    ToolResult r = RunKeeping("stdout", p, {"--version"});
    EXPECT_EQ(r.status, 0) << p.name;
    EXPECT_EQ(r.output, p.name + " " + version[1].str() + "\n");
    for (const char* help : {"--help", "-h", "/?"}) {
      // (The Windows form is the Windows programs' own.)
      if (help[0] == '/' && p.name != "cardprep" && p.name != "cardprep-restore") continue;
      r = RunKeeping("stdout", p, {help});
      EXPECT_EQ(r.status, 0) << p.name << " " << help;
      EXPECT_EQ(r.output.rfind("usage: " + p.name + " ", 0), 0u) << r.output;
      EXPECT_TRUE(Printed(r, "--version"));
      EXPECT_TRUE(RunKeeping("stderr", p, {help}).output.empty()) << p.name;
      // cardprep's and cardprep-restore's: Japanese first, then English.
      if (p.name == "cardprep") {
        EXPECT_LT(r.output.find("メモリカードを準備する"),
                  r.output.find("Prepares the memory card"));
      }
      if (p.name == "cardprep-restore") {
        EXPECT_LT(r.output.find("元に戻す"), r.output.find("Gives a card"));
      }
    }
    // Unknown arguments: one line on standard error naming them, status 2; no dialogue.
    std::vector<std::vector<std::string>> calls = {{"--bogus"}, {"--versions"}, {"-x"}};
    if (p.name == "cardprep")
      calls.insert(calls.end(), {{"go"}, {"--help", "--extra"}, {"--version", "--extra"}});
    for (const auto& args : calls) {
      const std::string named = args.back();
      ToolResult r = RunKeeping("stderr", p, args);
      EXPECT_EQ(r.status, 2) << p.name << " " << named;
      EXPECT_EQ(r.output.find('\n'), r.output.size() - 1) << r.output;
      EXPECT_EQ(r.output.rfind(p.name + ": ", 0), 0u) << r.output;
      EXPECT_TRUE(Printed(r, named));
      EXPECT_TRUE(RunKeeping("stdout", p, args).output.empty()) << p.name << " " << named;
    }
  }
}
