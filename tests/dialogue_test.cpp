// The start-up dialogue and the state files, through the real binary.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/e2e_card.h"

namespace {

const std::string kModelPrompt =
    "MP3プレーヤのバージョン : 4(TOKI_04), 6(TOKI_06), 8(TOKI_08/09), 10(TOKI_10), 12(TOKI_12)：";
const std::string kRulePrompt =
    "タイトル表示名決定ルール：0(タグ情報優先), 1([名前変更前]ファイル名優先)：";
const std::string kConfirm = "(\"go\" + Enterで続行、その他で中止)：";
const std::string kStopped = "中止しました。何も変更していません (Stopped: nothing was changed)\n";

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace

// Answers and where they lead: each prompt's count and whether the card is prepared. Only
// "go" goes on; a wrong model is asked again in full, a wrong rule silently; 4 and 6 read no fonts.
TEST(Dialogue, AnswersLeadToThePromptsAndTheRunTheyShould) {
  const struct {
    std::string input;
    int modelPrompts, rulePrompts;
    bool prepared;
  } cases[] = {
      {"", 0, 0, false},          {"GO\n4\n", 0, 0, false},   {" go\n4\n", 0, 0, false},
      {"g\n4\n", 0, 0, false},     {"Go\n4\n", 0, 0, false},   {"\n4\n", 0, 0, false},
      {"go\n6\n", 1, 0, true},
      {"gone\n6\n", 1, 0, true},  {"go on\n4\n", 1, 0, true},   {"go\n", 1, 0, false},
      {"go\n7\n", 2, 0, false},   {"go\n10\n", 1, 1, false},    {"go\n10\n2\n", 1, 1, false},
      {"go\n7\n0\nx\n6\n", 4, 0, true},
      {"go\n" + std::string(150, '7') + std::string(50, '4') + "\n6\n", 2, 0, true},
  };
  for (const auto& c : cases) {
    TempCard card;
    if (c.input.find("10") != std::string::npos) WriteTestFontSet();
    ToolResult r = RunOn(card, c.input);
    EXPECT_EQ(r.status, 0) << c.input;
    EXPECT_TRUE(r.output.starts_with("ディレクトリ名とファイル名を一括して8.3形式に変更\n"
                                     "【カレントディレクトリを確認すること】:"))
        << r.output;
    EXPECT_NE(r.output.find(card.root().filename().string()), std::string::npos);
    EXPECT_EQ(Count(r.output, kModelPrompt), c.modelPrompts) << c.input;
    EXPECT_EQ(Count(r.output, kRulePrompt), c.rulePrompts) << c.input;
    EXPECT_EQ(card.Exists("CARDPREP.LOG"), c.prepared) << c.input;
    EXPECT_EQ(r.output.find("フォント"), std::string::npos) << c.input;
    EXPECT_TRUE(c.modelPrompts > 0 || r.output.ends_with(kConfirm + kStopped)) << c.input;
  }
}

// Model 9 (no expected card) is model 8; plugin images a test build lacks are said not written.
// A wrong title rule is asked again silently, a letter is rule 0: rule 1 titles a track with
// its old name, rule 0 (no tag) with its short name.
TEST(Dialogue, Model9PluginFilesNotBuiltInAndWrongTitleRules) {
  const struct {
    const char* answers;
    const char* plugin;  // said not to be written
    const char* title;   // of the track in A/SNDLST10.DAT
  } cases[] = {{"go\n9\n1\n", "SPEANA.DAT", nullptr},
               {"go\n4\n", "PSHFT131.DAT", nullptr},
               {"go\n10\n2\n-1\n1\n", nullptr, "x.mp3  "},
               {"go\n12\nz\n", nullptr, "001.MP3"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answers);
    TempCard card;
    WriteTestFontSet();
    card.WriteFile("A/x.mp3", "no tag");
    ToolResult r = RunOn(card, c.answers);
    EXPECT_EQ(r.status, 0) << r.output;
    if (c.plugin != nullptr) {
      EXPECT_EQ(Count(r.output, std::string(c.plugin) + " は書き込まない"), 1) << r.output;
      EXPECT_FALSE(card.Exists(c.plugin));
    }
    if (c.answers[3] == '9') {
      for (const char* file : {"DIRLST08.DAT", "MSGIMG08.DAT", "A/SNDLST08.DAT", "A/VOLUME08.DAT",
                               "A/VOLUME09.DAT"}) {
        EXPECT_TRUE(card.Exists(file)) << file;
      }
    }
    if (c.title != nullptr) {
      EXPECT_EQ(Count(r.output, kRulePrompt), 1);
      std::string list = card.ReadFile("A/SNDLST10.DAT");
      ASSERT_EQ(list.size(), 448u);
      EXPECT_EQ(list.substr(16, 7), c.title);
    }
  }
}

TEST(Dialogue, AMissingOrBadFontStopsBeforeAnythingIsRenamed) {
  struct Case {
    TestFont font;
    const char* content;  // nullptr: the file is missing; "": a folder of its name
    const char* answers;
  };
  // (The font loader's test pins the lines before the last.)
  for (const Case& c : {Case{kTestFull6x8, nullptr, "go\n8\n0\n"},
                        Case{kTestFull8, "FONTX1 not a font at all", "go\n10\n0\n"},
                        Case{kTestFull12, "", "go\n12\n0\n"}}) {
    TempCard card;
    WriteTestFontSet(c.font);
    const std::string file = std::string("_FONT/") + GetTestFontInfo(c.font).fileName;
    if (c.content != nullptr && *c.content != 0) card.WriteFile(file, c.content);
    if (c.content != nullptr && *c.content == 0) card.MakeDir(file);
    card.WriteFile("Long Folder Name/b.mp3", "mp3");
    ToolResult r = RunOn(card, c.answers);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.output.ends_with("フォントデータの取得でエラー\n")) << r.output;
    EXPECT_EQ(Count(r.output, kRulePrompt), 0);
    EXPECT_TRUE(card.Exists("Long Folder Name/b.mp3"));
    EXPECT_FALSE(card.Exists("CARDPREP.LOG"));
  }
}

TEST(Dialogue, ACardRootThatCannotTakeTheWorkLogStopsBeforeRenaming) {
  TempCard card;
  card.MakeDir("CARDPREP.LOG");  // the log cannot be created
  card.WriteFile("Music Folder/b.mp3", "mp3");
  ToolResult r = RunOn(card, "go\n4\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("CARDPREP.LOG を作成できない"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(card.root().string()), std::string::npos);
  EXPECT_TRUE(card.Exists("Music Folder/b.mp3"));
  EXPECT_FALSE(card.Exists("HIST04.DAT"));
}
