#include "scan/random_order.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

#include "driver/run_state.h"

namespace {

// Row of the k-th folder with tracks: 2, 4, 6, ... (odd rows hold none),
// or every row when the table is too small for that.
int RowOf(int k, int n) { return 2 * n + 1 <= kMaxDirectories ? 2 * (k + 1) : k + 1; }

// A table with n folders that hold tracks, listed in row order.
std::unique_ptr<RunState> StateWithFolders(int n) {
  auto state = std::make_unique<RunState>();
  state->directoryCount = static_cast<uint16_t>(RowOf(n - 1, n) + 1);
  for (int k = 0; k < n; ++k) {
    uint16_t row = static_cast<uint16_t>(RowOf(k, n));
    state->directories[row].trackCount = 1;
    state->randomList[k] = row;
  }
  state->randomCount = static_cast<uint16_t>(n);
  return state;
}

// The rows met following nextRandom from the root until a row comes round
// again (or 2000 steps, to end on a broken chain).
std::vector<uint16_t> FollowChain(const RunState& state) {
  std::vector<uint16_t> rows;
  std::set<uint16_t> seen;
  uint16_t row = state.directories[0].nextRandom;
  while (row != 0 && !seen.count(row) && rows.size() < 2000) {
    seen.insert(row);
    rows.push_back(row);
    row = state.directories[row].nextRandom;
  }
  return rows;
}

// Every folder with tracks once, the last pointing back to the first, no
// other row on the chain.
void ExpectClosedChainOverAll(const RunState& state, int n) {
  std::vector<uint16_t> chain = FollowChain(state);
  ASSERT_EQ(chain.size(), static_cast<size_t>(n));
  std::set<uint16_t> rows(chain.begin(), chain.end());
  for (int k = 0; k < n; ++k) EXPECT_TRUE(rows.count(static_cast<uint16_t>(RowOf(k, n))));
  EXPECT_EQ(state.directories[chain.back()].nextRandom, chain.front());
  for (int row = 1; row < state.directoryCount; ++row) {
    if (state.directories[row].trackCount == 0) {
      EXPECT_EQ(state.directories[row].nextRandom, 0) << "row " << row;
    }
  }
}

TEST(RandomOrder, NoFolderWithTracksLeavesEveryLinkZero) {
  auto state = StateWithFolders(0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(MakeRandomOrderSeeded(*state, 1), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "random order start\n");
  EXPECT_EQ(state->directories[0].nextRandom, 0);
}

TEST(RandomOrder, OneFolderPointsToItself) {
  auto state = StateWithFolders(1);
  MakeRandomOrderSeeded(*state, 7);
  EXPECT_EQ(state->directories[0].nextRandom, 2);
  EXPECT_EQ(state->directories[2].nextRandom, 2);
}

TEST(RandomOrder, UpToTwentyFoldersKeepListingOrder) {
  for (int n = 2; n <= 20; ++n) {
    auto state = StateWithFolders(n);
    MakeRandomOrderSeeded(*state, static_cast<uint32_t>(n));
    std::vector<uint16_t> chain = FollowChain(*state);
    ASSERT_EQ(chain.size(), static_cast<size_t>(n)) << "n = " << n;
    for (int k = 0; k < n; ++k) EXPECT_EQ(chain[k], 2 * (k + 1)) << "n = " << n;
    EXPECT_EQ(state->directories[chain.back()].nextRandom, 2);
  }
}

TEST(RandomOrder, TwentyOneFoldersShuffleAndEnd) {
  for (uint32_t seed = 0; seed < 5; ++seed) {
    auto state = StateWithFolders(21);
    MakeRandomOrderSeeded(*state, seed);
    ExpectClosedChainOverAll(*state, 21);
  }
}

TEST(RandomOrder, SwapPositionsLieMoreThanTenApart) {
  for (int n : {21, 22, 23, 40, 999}) {
    const int count = 5000;
    std::vector<int> as(count), bs(count);
    DrawSwapPositions(12345, n, count, as.data(), bs.data());
    std::set<int> firsts;
    for (int s = 0; s < count; ++s) {
      ASSERT_GE(as[s], 0);
      ASSERT_LT(as[s], n);
      ASSERT_GE(bs[s], 0);
      ASSERT_LT(bs[s], n);
      ASSERT_GT(std::abs(as[s] - bs[s]), 10) << "n = " << n << ", swap " << s;
      firsts.insert(as[s]);
    }
    // Every position with a partner is drawn as a first position sometimes;
    // with 21 that is all but the middle one.
    if (n <= 40) {
      EXPECT_EQ(firsts.size(), static_cast<size_t>(n == 21 ? 20 : n)) << n;
    }
  }
}

TEST(RandomOrder, ManyFoldersAreShuffledIntoOneClosedChain) {
  for (int n : {22, 23, 100, 999}) {
    auto state = StateWithFolders(n);
    MakeRandomOrderSeeded(*state, 99);
    ExpectClosedChainOverAll(*state, n);
    std::vector<uint16_t> chain = FollowChain(*state);
    int inPlace = 0;
    for (int k = 0; k < n; ++k) inPlace += chain[k] == RowOf(k, n);
    EXPECT_LT(inPlace, n / 2) << "n = " << n;
  }
}

TEST(RandomOrder, ClockSeededRunStillVisitsEveryFolderOnce) {
  auto state = StateWithFolders(30);
  EXPECT_EQ(MakeRandomOrder(*state), 1);
  ExpectClosedChainOverAll(*state, 30);
}

}  // namespace
