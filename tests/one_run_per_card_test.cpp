// One run per card: runs of cardprep and cardprep-restore started on one card while another holds
// it end with status 1 before changing anything, and the card comes out as one run alone leaves it.
#include <gtest/gtest.h>

#include <thread>

#include "platform/host.h"
#include "testing/e2e_card.h"

namespace fs = std::filesystem;

namespace {

constexpr char kInUse[] = "が使用中";

// Twenty folders (no shuffle) of many tracks: a run lasts long enough for another to start.
void WriteBusyCard(const TempCard& card) {
  for (int f = 0; f < 20; ++f) {
    for (int t = 0; t < 30; ++t) {
      card.WriteFile(
          "Album " + std::to_string(10 + f) + "/Track number " + std::to_string(t) + ".mp3",
          std::to_string(f * 100 + t));
    }
  }
}

// Entry by entry: a folder copied onto one that is there fails on Windows.
void CopyCard(const fs::path& from, const TempCard& to) {
  for (const auto& entry : fs::directory_iterator(from))
    fs::copy(entry.path(), to.root() / entry.path().filename(), fs::copy_options::recursive);
}

// The run that found the card held: status 1, the line naming it, and no work folder.
void ExpectTurnedAway(const ToolResult& r, const TempCard& card) {
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_TRUE(Printed(r, kInUse));
  EXPECT_TRUE(Printed(r, card.root().filename().string() + " "));
  EXPECT_EQ(r.output.find("Tempdir="), std::string::npos) << r.output;
}

TEST(OneRunPerCard, TwoRunsStartedTogetherPrepareItOnce) {
  TempCard original;
  WriteBusyCard(original);
  const Snapshot before = TakeSnapshot(original);
  TempCard card;  // Every round on the same folder: on Windows the catalogue holds its path.
  auto fresh = [&] {
    for (const auto& entry : fs::directory_iterator(card.root())) fs::remove_all(entry.path());
    CopyCard(original.root(), card);
  };
  fresh();
  ASSERT_EQ(RunOn(card, "go\n4\n").status, 0);
  const Snapshot prepared = TakeSnapshot(card);
  ASSERT_FALSE(prepared.contains("CARDPREP.LCK"));
  int turnedAway = 0;
  ScopedEnv hold("CARDPREP_HOLD_LOCK_MS", "300");  // the first to lock holds the card a while
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    fresh();
    ToolResult a, b;
    std::thread other([&] { b = RunOn(card, "go\n4\n"); });
    a = RunOn(card, "go\n4\n");
    other.join();
    // A run that started after the other ended finds a prepared card and leaves it as it was.
    ASSERT_TRUE(a.status == 0 || b.status == 0) << a.output << b.output;
    if (a.status != 0) ExpectTurnedAway(a, card);
    if (b.status != 0) ExpectTurnedAway(b, card);
    turnedAway += a.status != 0 || b.status != 0;
    ASSERT_EQ(Differences(prepared, TakeSnapshot(card)), "") << a.output << b.output;
  }
  EXPECT_GE(turnedAway, 15) << "the runs seldom overlapped: the test proves little";
  ToolResult r = RunRestore(card);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(Differences(before, TakeSnapshot(card)), "") << r.output;
}

// While the card is held (here by the test itself), neither program changes anything.
TEST(OneRunPerCard, AHeldCardTurnsAwayCardprepAndRestore) {
  TempCard card;
  WriteBusyCard(card);
  ASSERT_EQ(RunOn(card, "go\n4\n").status, 0);
  ASSERT_EQ(HostLockCard(), HostLock::kHeld);  // the card is the current directory
  const Snapshot held = TakeSnapshot(card);
  ExpectTurnedAway(RunOn(card, "go\n4\n"), card);
  ExpectTurnedAway(RunRestore(card), card);
  EXPECT_EQ(Differences(held, TakeSnapshot(card)), "");
  HostUnlockCard();
  EXPECT_FALSE(card.Exists("CARDPREP.LCK"));
  EXPECT_EQ(RunRestore(card).status, 0);
}

// Two runs at once on two cards with one temporary folder: a run that read the other's file listing
// names a track its card lacks.
bool NamesMissingTracks(const ToolResult& r, const TempCard& card) {
  return card.ReadFile("CARDPREP.LOG").find("fopen error") != std::string::npos ||
         r.output.find("fopen error") != std::string::npos;
}

TEST(RunsAtOnce, NeverReadEachOthersListings) {
  TempCard a;
  TempCard b;
  for (int d = 10; d < 50; ++d) {  // (an lvalue after "A": GCC 12 warns wrongly for a temporary)
    const std::string number = std::to_string(d);
    a.WriteFile("A" + number + "/001.MP3", "");
    for (int n = 1; n <= 9; ++n) b.WriteFile("B" + number + "/00" + std::to_string(n) + ".MP3", "");
  }
  TempCard temp;  // the one temporary folder both runs share
  std::string shared = temp.root().string();
  for (int round = 0; round < 10; ++round) {
    ToolResult ra, rb;
    std::thread other([&] { rb = RunOn(b, "go\n4\n", shared); });
    ra = RunOn(a, "go\n4\n", shared);
    other.join();
    ASSERT_EQ(ra.status, 0) << ra.output;
    ASSERT_EQ(rb.status, 0) << rb.output;
    ASSERT_FALSE(NamesMissingTracks(ra, a)) << "round " << round;
    ASSERT_FALSE(NamesMissingTracks(rb, b)) << "round " << round;
  }
  EXPECT_TRUE(std::filesystem::is_empty(temp.root())) << "work folders left behind";
}

}  // namespace
