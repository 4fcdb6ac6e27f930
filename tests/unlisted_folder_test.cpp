// A folder whose entries cannot be read (as another user when root, who reads any folder).
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "testing/e2e_card.h"

TEST(UnlistedFolder, IsReportedAndTheRunEndsWithStatus1LeavingTheCatalogue) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine, as root here, lists every folder: it keeps no access rights of its own";
#else
  TempCard card;
  if (!NobodyCanReach(card)) GTEST_SKIP() << "no other user can reach the test card";
  card.WriteFile("L/a b.mp3", "a");
  card.WriteFile("M/c.mp3", "c");
  card.WriteFile("DIRLST04.DAT", "the catalogue of a run before");
  ASSERT_EQ(chmod((card.root() / "L").c_str(), 0333), 0);

  ToolResult r = RunUnprivileged(card, "go\n4\n");
  chmod((card.root() / "L").c_str(), 0755);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_TRUE(Printed(r, "ディレクトリの中を読めないので、その中は名前変更しない [\\L]"));
  // What helps, and no advice to rename by hand.
  EXPECT_TRUE(r.output.ends_with(
      "中を読めないフォルダがある(上の行)。読めるようにしてから本PGを再実行する (Some folders "
      "could not be read, named above: make them readable, then run this program again)\n"))
      << r.output;
  EXPECT_EQ(card.ReadFile("L/a b.mp3"), "a");
  EXPECT_EQ(card.ReadFile("DIRLST04.DAT"), "the catalogue of a run before");
#endif
}
