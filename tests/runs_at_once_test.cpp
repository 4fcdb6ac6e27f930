// Two runs at once, on two cards with one temporary folder, as a user with
// two card readers would start them: neither reads the other's listings.
#include <gtest/gtest.h>

#include <thread>

#include "tests/e2e_card.h"

namespace {

// The catalogue names a track the card lacks when a run read another
// run's file listing.
bool NamesMissingTracks(const ToolResult& r, const TempCard& card) {
  return card.ReadFile("CARDPREP.LOG").find("fopen error") != std::string::npos ||
         r.output.find("fopen error") != std::string::npos;
}

TEST(RunsAtOnce, NeverReadEachOthersListings) {
  TempCard a;
  TempCard b;
  for (int d = 10; d < 50; ++d) {
    a.WriteFile("A" + std::to_string(d) + "/001.MP3", "");
    for (int n = 1; n <= 9; ++n) {
      b.WriteFile("B" + std::to_string(d) + "/00" + std::to_string(n) + ".MP3", "");
    }
  }
  TempCard temp;  // the one temporary folder both runs share
  std::string shared = temp.root().string();
  for (int round = 0; round < 10; ++round) {
    ToolResult ra, rb;
    std::thread other([&] { rb = RunWithTempDir(b, "go\n4\n", shared); });
    ra = RunWithTempDir(a, "go\n4\n", shared);
    other.join();
    ASSERT_EQ(ra.status, 0) << ra.output;
    ASSERT_EQ(rb.status, 0) << rb.output;
    ASSERT_FALSE(NamesMissingTracks(ra, a)) << "round " << round;
    ASSERT_FALSE(NamesMissingTracks(rb, b)) << "round " << round;
  }
  EXPECT_TRUE(std::filesystem::is_empty(temp.root())) << "work folders left behind";
}

}  // namespace
