// The start-up dialogue and the state files, through the real binary.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "testing/e2e_card.h"

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

// A font missing, not FONTX2, a folder, or cut short (the font loader's tests pin the lines).
TEST(Dialogue, AMissingOrBadFontStopsBeforeAnythingIsRenamed) {
  struct Case {
    TestFont font;
    const char* content;  // nullptr: the file is missing; "": a folder of its name; "<cut>"
    const char* answers;
  };
  for (const Case& c :
       {Case{kTestFull6x8, nullptr, "go\n8\n0\n"},
        Case{kTestFull8, "FONTX1 not a font at all", "go\n10\n0\n"},
        Case{kTestFull12, "", "go\n12\n0\n"}, Case{kTestFull12, "<cut>", "go\n12\n0\n"}}) {
    TempCard card;
    WriteTestFontSet(c.font);
    const std::string file = std::string("_FONT/") + GetTestFontInfo(c.font).fileName;
    const bool cut = c.content != nullptr && std::string_view(c.content) == "<cut>";
    const std::vector<uint8_t> font = BuildTestFont(c.font);
    if (cut) card.WriteFile(file, std::string(font.begin(), font.begin() + font.size() / 2));
    if (c.content != nullptr && *c.content != 0 && !cut) card.WriteFile(file, c.content);
    if (c.content != nullptr && *c.content == 0) card.MakeDir(file);
    card.WriteFile("Long Folder Name/b.mp3", "mp3");
    ToolResult r = RunOn(card, c.answers);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.output.ends_with("フォントデータの取得でエラー\n")) << r.output;
    EXPECT_EQ(Count(r.output, kRulePrompt), 0);
    EXPECT_EQ(r.output.find("手で名前変更"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("_FONT\\DRUG12Z1.FEF: ファイルがヘッダの示す長さより短い") !=
                  std::string::npos,
              cut)
        << r.output;
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
  EXPECT_TRUE(Printed(r, "CARDPREP.LOG を作成できない"));
  EXPECT_TRUE(Printed(r, card.root().string()));
  EXPECT_TRUE(card.Exists("Music Folder/b.mp3"));
  EXPECT_FALSE(card.Exists("HIST04.DAT"));
}

namespace {

const std::string kModelHint =
    "4, 6, 8, 9, 10, 12 のどれかを入力すること (Type 4, 6, 8, 9, 10 or 12)\n";
const std::string kRuleHint = "0 か 1 を入力すること (Type 0 or 1)：";
const std::string kRunAgain = "その後で本PGを再実行する\n";

std::string Done(int folders, int tracks, int renamed) {
  const std::string f = std::to_string(folders), t = std::to_string(tracks),
                    n = std::to_string(renamed);
  return "完了: フォルダ " + f + "、曲 " + t + "、名前を変えたもの " + n + " (Done: folders " + f +
         ", tracks " + t + ", names changed " + n + ")\n";
}

std::string RenameStopped(int renamed) {
  const std::string n = std::to_string(renamed);
  return "名前変更できないものがあるので中止: 名前を変えたもの " + n +
         "、カタログは書いていない (Stopped: some names could not be changed; names changed " + n +
         ", no catalogue written)\n";
}

std::vector<std::pair<std::string, std::string>> Tracks(const std::string& folder, int count) {
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 0; i < count; ++i)
    files.push_back({folder + "/t" + std::to_string(i) + ".mp3", "t"});
  return files;
}

// A card path as the tool shows it (on Windows after the drive and the card's folder).
std::string Shown([[maybe_unused]] const TempCard& card, std::string relative) {
  for (char& c : relative) c = c == '/' ? '\\' : c;
#ifdef _WIN32
  return card.root().string() + "\\" + relative;
#else
  return "\\" + relative;
#endif
}

}  // namespace

// Every ending has its line and a true status; renaming by hand is advised only where it helps.
TEST(Dialogue, EveryEndingSaysHowTheRunEndedWithATrueStatus) {
  const std::string deep = "DEEPFOLD/ABCDEFGH/ABCDEFGH/ABCDEFGH/ABCDEFGH/ABCDEFGH";
  const std::string kAsk = kModelPrompt + kModelHint;  // a wrong model answered
  const struct Case {
    std::vector<std::pair<std::string, std::string>> files;  // "" content: a folder
    std::string input;
    int status;
    std::string ending;      // the exact end of the console, after "<run>" (the prompts before it)
    std::string title = "";  // of the track in A/SNDLST10.DAT
  } cases[] = {
      // Only "go" goes on, in that case and without a blank before it; what follows it is ignored.
      {{}, "Go\n4\n", 0, kConfirm + kStopped},
      {{}, "GO\n4\n", 0, kConfirm + kStopped},
      {{}, " go\n4\n", 0, kConfirm + kStopped},
      {{}, "g\n4\n", 0, kConfirm + kStopped},
      {{}, "\n4\n", 0, kConfirm + kStopped},
      {{}, "", 0, kConfirm + kStopped},
      {{}, "gone\n6\n", 0, kModelPrompt + "<run><empty>"},
      {{}, "go on\n4\n", 0, kModelPrompt + "<run><empty>"},
      {{}, "go\n", 0, kModelPrompt + kStopped},
      {{}, "go\n7\n", 0, kAsk + kModelPrompt + kStopped},
      {{}, "go\n7\n0\nx\n6\n", 0, kAsk + kAsk + kAsk + kModelPrompt + "<run><empty>"},
      {{},
       "go\n" + std::string(150, '7') + std::string(50, '4') + "\n6\n",
       0,
       kAsk + kModelPrompt + "<run><empty>"},
      {{}, "go\n10\n", 0, kModelPrompt + kRulePrompt + kStopped},
      {{}, "go\n11\n\n１０\n", 0, kAsk + kAsk + kModelPrompt + kRulePrompt + kStopped},
      {{}, "go\n10\n2\n", 0, kRulePrompt + kRuleHint + kStopped},
      {{{"A/x.mp3", "x"}}, "go\n１０\n１\n", 0, Done(1, 1, 1), "x.mp3  "},
      // A wrong rule is asked for again by the hint alone; a line without a number is rule 0.
      {{{"A/x.mp3", "x"}},
       "go\n10\n2\n-1\n1\n",
       0,
       kModelPrompt + kRulePrompt + kRuleHint + kRuleHint + "<run>" + Done(1, 1, 1),
       "x.mp3  "},
      {{{"A/x.mp3", "x"}},
       "go\n12\nz\n",
       0,
       kModelPrompt + kRulePrompt + "<run>" + Done(1, 1, 1),
       "001.MP3"},
      {{{"A/x.mp3", "x"}, {"B/Long Name.mp3", "y"}}, "go\n4\n", 0, Done(2, 2, 2)},
      {{{"Folder", ""}}, "go\n6\n", 0, kModelPrompt + "<run><empty>"},
      {{{deep + "/x.mp3", "x"}, {"A/001.MP3", "a"}}, "go\n6\n", 1, "<deep>"},
      {{{"ｱﾆﾒ/x.mp3", "x"}},
       "go\n4\n",
       1,
       RenameStopped(1) +
           "名前変更出来ないディレクトリまたはMP3ファイルについては手で名前変更すること!\n"
           "TOKI_04, TOKI_06ではディレクトリ名を半角の英字、数字と記号 ! # $ % & ' ( ) - @ ^ _ ` { "
           "} ~ だけにする(カナは半角も不可)。 (Models 4 and 6: folder names of ASCII letters, "
           "digits and these signs only; no kana, not even half-width)\n" +
           kRunAgain},
      // A file added before 001.MP3.
      {{{"A/001.MP3", "a"}, {"A/00 Intro.mp3", "b"}},
       "go\n6\n",
       1,
       RenameStopped(1) +
           "後から入れたファイルが番号の名前(001.MP3 など)より前に並ぶので、番号がふさがっている。"
           "cardprep-restore で元の名前に戻すか、後から入れたファイルを番号の名前より後に並ぶ名前に"
           "してから本PGを再実行する (A file added later sorts before the numbered names (001.MP3, "
           "...), which are taken: give the card its old names back with cardprep-restore, or give "
           "the added file a name that sorts after the numbered ones, then run this program "
           "again)\n"},
      {{{"B/RENFIL04.LOG", ""}, {"B/b.mp3", "b"}},
       "go\n6\n",
       1,
       RenameStopped(0) +
           "カードにログを書き込めない(空きがない?)。空きを作ってから本PGを再実行する (A rename "
           "log could not be written on the card (full?): make room, then run this program "
           "again)\n"},
      {Tracks("M", 256), "go\n6\n", 1,
       RenameStopped(0) +
           "1つのフォルダのMP3ファイルとサブフォルダはそれぞれ255個まで。多すぎるフォルダ(上の行)"
           "を分けてから本PGを再実行する (A folder holds at most 255 MP3 files and 255 subfolders: "
           "split the folders named above, then run this program again)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    TempCard card;
    const bool fonts =
        c.input.find("1") != std::string::npos || c.input.find("１") != std::string::npos;
    if (fonts) WriteTestFontSet();
    for (const auto& [path, content] : c.files) {
      if (content.empty()) {
        card.MakeDir(path);
      } else {
        card.WriteFile(path, content);
      }
    }
    ToolResult r = RunOn(card, c.input);
    std::string ending = c.ending;
    if (size_t run = ending.find("<run>"); run != std::string::npos) {
      EXPECT_TRUE(Printed(r, kConfirm + ending.substr(0, run) + "Tempdir="));
      ending.erase(0, run + 5);
    }
    if (ending == "<empty>") {
      ending =
          "カタログが空: MP3ファイルのあるフォルダがない。カードのルートは現在のフォルダ " +
          card.root().string() +
          " なので、MP3のフォルダはそこに置くこと (The catalogue is empty: no folder holds MP3 "
          "files. The card's root is the current folder, " +
          card.root().string() + ": the folders of MP3 files go there)\n";
    } else if (ending == "<deep>") {
      // Listed paths start at the drive's root: below it (Windows) the card's own path counts.
      std::string path = Shown(card, "DEEPFOLD");
      const size_t drive = path.size() > 1 && path[1] == ':' ? 2 : 0;
      int left = 0, kept = 1;  // A
      for (int level = 0; level <= 5; ++level) {
        if (level > 0) path += "\\ABCDEFGH";
        if (path.size() - drive <= 47) {
          ++kept;
          continue;
        }
        ++left;
        EXPECT_EQ(Count(r.output, "パスが47バイトを超えるのでカタログに入らない " + path +
                                      " (Left out of the catalogue: its path is longer than 47 "
                                      "bytes)\n"),
                  1);
      }
      const std::string l = std::to_string(left), k = std::to_string(kept);
      ending =
          "完了。ただしカタログに入らなかったフォルダ " + l + " (上の行): フォルダ " + k +
          "、曲 1、名前を変えたもの 1 (Done, but folders left out of the catalogue, named above: " +
          l + "; folders " + k + ", tracks 1, names changed 1)\n";
    }
    EXPECT_EQ(r.status, c.status) << r.output;
    EXPECT_TRUE(r.output.ends_with(ending)) << r.output;
    EXPECT_TRUE(
        r.output.starts_with("ディレクトリ名とファイル名を一括して8.3形式に変更\n"
                             "【カレントディレクトリを確認すること】:"))
        << r.output;
    EXPECT_TRUE(Printed(r, card.root().filename().string()));
    if (!fonts) {  // models 4 and 6 read none
      EXPECT_EQ(r.output.find("フォント"), std::string::npos) << r.output;
    }
    if (c.status == 0) {
      EXPECT_EQ(r.output.find("手で名前変更"), std::string::npos) << r.output;
    }
    if (ending.ends_with(kStopped)) {
      EXPECT_FALSE(card.Exists("CARDPREP.LOG"));
    }
    if (!c.title.empty()) {
      EXPECT_EQ(card.ReadFile("A/SNDLST10.DAT").substr(16, 7), c.title);
    }
  }
}

// A folder given as the one argument (dropped onto cardprep.exe) is the card's root, guard
// included.
TEST(Dialogue, AFolderGivenAsTheArgumentIsTheCardsRoot) {
  TempCard card;
  card.WriteFile("A/Long Name.mp3", "x");
  TempCard elsewhere;
  ToolResult r =
      RunTool(CARDPREP_EXE, {"--here", card.root().string()}, elsewhere.root().string(), "go\n4\n");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(Printed(r, "【カレントディレクトリを確認すること】:" + card.root().string() + "\n"));
  EXPECT_TRUE(r.output.ends_with(Done(1, 1, 1))) << r.output;
  EXPECT_EQ(card.ReadFile("A/001.MP3"), "x");
  EXPECT_FALSE(elsewhere.Exists("CARDPREP.LOG"));

  TempCard other;
  other.WriteFile("B/Long Name.mp3", "y");
  r = RunTool(CARDPREP_EXE, {other.root().string()}, elsewhere.root().string(), "go\n4\n");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_TRUE(Printed(r, "ここはカードのルートではない"));
  EXPECT_TRUE(other.Exists("B/Long Name.mp3"));
}
