// One run per card: runs of cardprep and cardprep-restore started on one
// card while another holds it end with status 1 before changing anything,
// and the card comes out as one run alone leaves it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "tests/e2e_card.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr char kInUse[] = "が使用中";

// Twenty folders (no shuffle: every run orders them alike) of many tracks,
// so that a run lasts long enough for another to start beside it.
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
  for (const auto& entry : fs::directory_iterator(from)) {
    fs::copy(entry.path(), to.root() / entry.path().filename(), fs::copy_options::recursive);
  }
}

ToolResult RestoreOn(const TempCard& card) {
  return RunTool(CARDPREP_RESTORE_EXE, {"--remove-catalogue", "--here"}, card.root().string(),
                 "go\n");
}

// The run that found the card held: status 1, the line naming it, and no
// sign of work (no work folder, no rename).
void ExpectTurnedAway(const ToolResult& r, const TempCard& card) {
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find(kInUse), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(card.root().filename().string() + " "), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("Tempdir="), std::string::npos) << r.output;
}

// Runs started from now on wait that long once they hold the card (null:
// not at all), so that another run surely meets the lock.
void HoldLock(const char* ms) {
#ifdef _WIN32
  SetEnvironmentVariableA("CARDPREP_HOLD_LOCK_MS", ms);
#else
  if (ms != nullptr) {
    setenv("CARDPREP_HOLD_LOCK_MS", ms, 1);
  } else {
    unsetenv("CARDPREP_HOLD_LOCK_MS");
  }
#endif
}

// HoldLock for as long as it lives.
struct LockHeld {
  explicit LockHeld(const char* ms) { HoldLock(ms); }
  ~LockHeld() { HoldLock(nullptr); }
};

// Runs first and, once first holds the card (its lock file is there),
// second. A second that found the card free came after first had ended (a
// busy machine, or second locked between first's making the file and its
// lock): tried again on the card made anew, up to five times.
// Gives first's result and whether second was turned away.
template <typename Fresh, typename First, typename Second>
bool SecondWhileFirstHolds(const TempCard& card, Fresh fresh, First first, Second second,
                           ToolResult& a) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    fresh();
    ToolResult b;
    std::atomic<bool> done = false;
    HoldLock("500");
    std::thread t([&] {
      a = first();
      done = true;
    });
    while (!done && !fs::exists(card.root() / "CARDPREP.LCK")) std::this_thread::yield();
    HoldLock(nullptr);
    b = second();
    t.join();
    if (b.status == 0) continue;
    ExpectTurnedAway(b, card);
    return true;
  }
  return false;
}

TEST(OneRunPerCard, TwoRunsStartedTogetherPrepareItOnce) {
  TempCard original;
  WriteBusyCard(original);
  const Snapshot before = TakeSnapshot(original);
  // Every round on the same folder: on Windows the catalogue holds its path.
  TempCard card;
  auto fresh = [&] {
    for (const auto& entry : fs::directory_iterator(card.root())) fs::remove_all(entry.path());
    CopyCard(original.root(), card);
  };
  fresh();
  ASSERT_EQ(RunOn(card, "go\n4\n").status, 0);
  const Snapshot prepared = TakeSnapshot(card);
  ASSERT_FALSE(prepared.contains("CARDPREP.LCK"));
  int turnedAway = 0;
  LockHeld hold("300");  // the first to lock holds the card a while
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    fresh();
    ToolResult a, b;
    std::thread other([&] { b = RunOn(card, "go\n4\n"); });
    a = RunOn(card, "go\n4\n");
    other.join();
    // A run that started after the other ended finds a prepared card: it
    // too ends with status 0 and leaves the card as it was.
    ASSERT_TRUE(a.status == 0 || b.status == 0) << a.output << b.output;
    if (a.status != 0) ExpectTurnedAway(a, card);
    if (b.status != 0) ExpectTurnedAway(b, card);
    turnedAway += a.status != 0 || b.status != 0;
    ASSERT_EQ(Differences(prepared, TakeSnapshot(card)), "") << a.output << b.output;
  }
  EXPECT_GE(turnedAway, 15) << "the runs seldom overlapped: the test proves little";
  ToolResult r = RestoreOn(card);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(Differences(before, TakeSnapshot(card)), "") << r.output;
}

TEST(OneRunPerCard, CardprepAndRestoreKeepOffEachOther) {
  TempCard original;
  WriteBusyCard(original);
  const Snapshot before = TakeSnapshot(original);
  TempCard card;
  auto fresh = [&] {
    for (const auto& entry : fs::directory_iterator(card.root())) fs::remove_all(entry.path());
    CopyCard(original.root(), card);
  };
  ToolResult first;
  EXPECT_TRUE(SecondWhileFirstHolds(
      card, fresh, [&] { return RunOn(card, "go\n4\n"); }, [&] { return RestoreOn(card); }, first));
  EXPECT_EQ(first.status, 0) << first.output;
  EXPECT_FALSE(card.Exists("CARDPREP.LCK"));

  auto prepared = [&] {
    fresh();
    ASSERT_EQ(RunOn(card, "go\n4\n").status, 0);
  };
  EXPECT_TRUE(SecondWhileFirstHolds(
      card, prepared, [&] { return RestoreOn(card); }, [&] { return RunOn(card, "go\n4\n"); },
      first));
  EXPECT_EQ(first.status, 0) << first.output;
  EXPECT_EQ(Differences(before, TakeSnapshot(card)), "") << first.output;
}

}  // namespace
