// Names a card should not have, as a POSIX disk can hold them. (Links: the data-safety test.)
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/e2e_card.h"

namespace {

namespace fs = std::filesystem;

// A '\' in a name is no separator ("..\<sibling>\x.mp3" never reaches the sibling card): such
// names, and names that are no UTF-8, are reported and left, status 1.
TEST(HostileNames, NamesFatCannotHoldAreReportedAndNeverBecomePaths) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows makes no such names: it refuses them itself";
#else
  TempCard card;
  TempCard outside;
  outside.WriteFile("x.mp3", "outside");
  outside.WriteFile("other/y.mp3", "outside too");
  const std::string up = "..\\" + outside.root().filename().string() + "\\";
  // Names with '\' or ':', and names that are no UTF-8 (Latin-1 bytes).
  const Snapshot files = {{up + "x.mp3", "in"},
                          {"A/a:b.mp3", "colon"},
                          {"A/caf\xe9/t.mp3", "e acute"},
                          {"A/caf\xe8/t.mp3", "e grave"},
                          {"B/caf\xe9.mp3", "latin-1"}};
  for (const auto& [path, content] : files) card.WriteFile(path, content);
  card.WriteFile("A/good.mp3", "good");
  card.MakeDir(up + "other");
  ToolResult r = RunOn(card, "go\n4\n");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_TRUE(Printed(r, "名前にカードで使えない文字があるので名前変更しない"));
  EXPECT_EQ(outside.ReadFile("x.mp3") + outside.ReadFile("other/y.mp3"), "outsideoutside too");
  for (const auto& [path, content] : files) EXPECT_EQ(card.ReadFile(path), content) << path;
  EXPECT_TRUE(card.Exists(up + "other"));
#endif
}

// cardprep-restore gives a folder its old name back even where a sibling differs from it only in
// case (FAT could not hold both; a case-sensitive disk can, so on Windows the move is made alone).
TEST(HostileNames, AFolderGoesBackBesideASiblingThatDiffersOnlyInCase) {
  TempCard card;
  card.WriteFile("Blue Outro Rain/a.mp3", "a");
  ASSERT_EQ(RunOn(card, "go\n6\n").status, 0);
#ifndef _WIN32
  card.WriteFile("blue outro rain", "a file");
#endif
  ToolResult r = RunRestore(card, {});
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(card.ReadFile("Blue Outro Rain/a.mp3"), "a") << r.output;
#ifndef _WIN32
  EXPECT_EQ(card.ReadFile("blue outro rain"), "a file");
#endif
}

}  // namespace
