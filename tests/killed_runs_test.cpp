// Runs killed (End task, a pulled card) or interrupted (Ctrl-C) right after each change they make,
// through the host's test seam: a run again, and a restore, give the card back as it was.
#include <gtest/gtest.h>

#include <functional>

#include "testing/e2e_card.h"

namespace {

constexpr char kAnswers[] = "go\n10\n0\n";

// Nested folders, Japanese names, names that need a new one and names that keep theirs.
void WriteFirstCard(const TempCard& card) {
  WriteTestFontSet();
  card.WriteFile("日本の歌/My Song.mp3", "1");
  card.WriteFile("日本の歌/B面の歌.mp3", "2");
  card.WriteFile("Best of 77 Live/01 Intro.mp3", "3");
  card.WriteFile("Best of 77 Live/Disc Two/Track A.mp3", "4");
  card.WriteFile("Best of 77 Live/Disc Two/トラック.mp3", "5");
  card.WriteFile("ALBUM/already.mp3", "6");
  card.WriteFile("top song.mp3", "7");
}

// What a user adds before the second run, also in a folder the first run renamed.
void AddToCard(const TempCard& card, const std::string& renamedFolder = "00001") {
  card.WriteFile("zz added.mp3", "8");
  card.WriteFile(renamedFolder + "/Added.mp3", "9");
  card.WriteFile("新しい歌/歌.mp3", "10");
  card.WriteFile("新しい歌/Live Set/a.mp3", "11");
}

enum class Stop { kKill, kInterrupt };

// The track lists of the card that differ from those of another (their titles come from old names).
std::string ChangedTrackLists(const Snapshot& other, const TempCard& card) {
  std::string changed;
  for (const auto& [path, content] : TakeSnapshot(card)) {
    auto it = other.find(path);
    if (path.ends_with("SNDLST10.DAT") && it != other.end() && it->second != content)
      changed += path + "\n";
  }
  return changed;
}

// Killed (SIGKILL, status 137 on Windows) or interrupted (SIGINT, STATUS_CONTROL_C_EXIT).
bool Stopped(const ToolResult& r) {
  return r.signal == kKilledSignal || r.status == 137 || r.signal == 2 ||
         static_cast<unsigned>(r.status) == 0xC000013Au;
}

ToolResult Prepare(const TempCard& card) { return RunCardprep(card.root().string(), kAnswers); }

ToolResult Restore(const TempCard& card) { return RunRestore(card); }

// Runs program on a fresh card stopped at point 1, 2, ... until a run passes them all; check after
// each stop.
void Sweep(Stop by, const std::function<void(const TempCard&)>& setUp,
           const std::function<ToolResult(const TempCard&)>& program,
           const std::function<void(const TempCard&, const ToolResult&)>& check) {
  int points = 0;
  for (int point = 1;; ++point) {
    SCOPED_TRACE("stopped at point " + std::to_string(point));
    TempCard card;
    setUp(card);
    if (::testing::Test::HasFatalFailure()) return;
    ToolResult stopped;
    {  // the programs this test starts stop at the point, killed or interrupted as by Ctrl-C
      ScopedEnv at("CARDPREP_TEST_STOP_AT", std::to_string(point));
      ScopedEnv how("CARDPREP_TEST_STOP_BY", by == Stop::kInterrupt ? "interrupt" : "kill");
      stopped = program(card);
    }
    if (!Stopped(stopped)) {  // the run passed every point
      EXPECT_EQ(stopped.status, 0) << stopped.output;
      break;
    }
    ++points;
    check(card, stopped);
    if (::testing::Test::HasFailure()) return;
  }
  EXPECT_GE(points, 15);  // else the seam stopped nothing worth the name
}

// After each stop of a first (or second) run, a whole run writes the track lists of a run never
// stopped, and a restore gives back the card as it was.
void SweepPreparation(bool secondRun, Stop by) {
  Snapshot before;  // the card as the user made it, additions included
  Snapshot unstoppedCard;
  {
    TempCard original;
    WriteFirstCard(original);
    if (secondRun) AddToCard(original, "日本の歌");
    before = TakeSnapshot(original);
    TempCard unstopped;
    WriteFirstCard(unstopped);
    if (secondRun) {
      Prepare(unstopped);
      AddToCard(unstopped);
    }
    EXPECT_EQ(Prepare(unstopped).status, 0);
    unstoppedCard = TakeSnapshot(unstopped);
  }
  auto setUp = [&](const TempCard& card) {
    WriteFirstCard(card);
    if (!secondRun) return;
    ASSERT_EQ(Prepare(card).status, 0);
    AddToCard(card);
  };
  Sweep(by, setUp, Prepare, [&](const TempCard& card, const ToolResult&) {
    ToolResult again = Prepare(card);
    ASSERT_EQ(again.status, 0) << again.output;
    EXPECT_EQ(ChangedTrackLists(unstoppedCard, card), "") << again.output;
    ToolResult restored = Restore(card);
    EXPECT_EQ(restored.status, 0) << restored.output;
    EXPECT_EQ(Differences(before, TakeSnapshot(card)), "") << again.output << restored.output;
  });
}

void SweepRestore(Stop by) {
  Snapshot before;
  auto setUp = [&](const TempCard& card) {
    WriteFirstCard(card);
    AddToCard(card, "日本の歌");
    before = TakeSnapshot(card);
    ASSERT_EQ(Prepare(card).status, 0);
  };
  Sweep(by, setUp, Restore, [&](const TempCard& card, const ToolResult& stopped) {
    ToolResult again = Restore(card);
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_EQ(Differences(before, TakeSnapshot(card)), "") << stopped.output << again.output;
  });
}

TEST(KilledRuns, AFirstRunKilledAtEveryChangeLosesNoName) { SweepPreparation(false, Stop::kKill); }

TEST(KilledRuns, AFirstRunInterruptedAtEveryChangeLosesNoName) {
  SweepPreparation(false, Stop::kInterrupt);
}

TEST(KilledRuns, ASecondRunWithAdditionsKilledAtEveryChangeLosesNoName) {
  SweepPreparation(true, Stop::kKill);
}

TEST(KilledRuns, ARestoreKilledAtEveryChangeAndRunAgainGivesEveryNameBack) {
  SweepRestore(Stop::kKill);
}

TEST(KilledRuns, ARestoreInterruptedAtEveryChangeAndRunAgainGivesEveryNameBack) {
  SweepRestore(Stop::kInterrupt);
}

}  // namespace
