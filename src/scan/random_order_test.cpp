#include "scan/random_order.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

#include "driver/run_state.h"

namespace {

// A table with n folders that hold tracks, listed in row order: rows 2, 4,
// 6, ... (odd rows hold none), or every row when the table is too small.
int RowOf(int k, int n) { return 2 * n + 1 <= kMaxDirectories ? 2 * (k + 1) : k + 1; }

std::unique_ptr<RunState> StateWithFolders(int n) {
  auto state = std::make_unique<RunState>();
  state->directoryCount = static_cast<uint16_t>(n == 0 ? 1 : RowOf(n - 1, n) + 1);
  for (int k = 0; k < n; ++k) {
    uint16_t row = static_cast<uint16_t>(RowOf(k, n));
    state->directories[row].trackCount = 1;
    state->randomList[k] = row;
  }
  state->randomCount = static_cast<uint16_t>(n);
  return state;
}

// The rows met from the root until one comes round again; checks that the
// chain closes on its first folder and that no folder without tracks is
// linked.
std::vector<uint16_t> FollowChain(const RunState& state) {
  std::vector<uint16_t> rows;
  std::set<uint16_t> seen;
  for (uint16_t row = state.directories[0].nextRandom; row != 0 && !seen.count(row);
       row = state.directories[row].nextRandom) {
    seen.insert(row);
    rows.push_back(row);
  }
  if (!rows.empty()) {
    EXPECT_EQ(state.directories[rows.back()].nextRandom, rows.front());
  }
  for (int row = 1; row < state.directoryCount; ++row) {
    if (state.directories[row].trackCount == 0) {
      EXPECT_EQ(state.directories[row].nextRandom, 0) << "row " << row;
    }
  }
  return rows;
}

TEST(RandomOrder, NoFolderWithTracksLeavesEveryLinkZero) {
  auto state = StateWithFolders(0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(MakeRandomOrderSeeded(*state, 1), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "random order start\n");
  EXPECT_EQ(state->directories[0].nextRandom, 0);
}

TEST(RandomOrder, UpToTwentyFoldersKeepListingOrder) {
  for (int n = 1; n <= 20; ++n) {
    auto state = StateWithFolders(n);
    MakeRandomOrderSeeded(*state, static_cast<uint32_t>(n));
    std::vector<uint16_t> chain = FollowChain(*state);
    ASSERT_EQ(chain.size(), static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) EXPECT_EQ(chain[k], RowOf(k, n)) << "n = " << n;
  }
}

TEST(RandomOrder, MoreThanTwentyFoldersAreShuffledIntoOneClosedChain) {
  for (int n : {21, 22, 100, 999}) {
    auto state = StateWithFolders(n);
    MakeRandomOrderSeeded(*state, 99);
    std::vector<uint16_t> chain = FollowChain(*state);
    ASSERT_EQ(chain.size(), static_cast<size_t>(n)) << "n = " << n;
    int inPlace = 0;
    for (int k = 0; k < n; ++k) inPlace += chain[k] == RowOf(k, n);
    EXPECT_LT(inPlace, n / 2) << "n = " << n;
  }
  auto state = StateWithFolders(30);
  EXPECT_EQ(MakeRandomOrder(*state), 1);  // seeded from the clock
  EXPECT_EQ(FollowChain(*state).size(), 30u);
}

TEST(RandomOrder, SwapPositionsLieMoreThanTenApart) {
  for (int n : {21, 22, 40, 999}) {
    const int count = 5000;
    std::vector<int> as(count), bs(count);
    DrawSwapPositions(12345, n, count, as.data(), bs.data());
    std::set<int> firsts;
    for (int s = 0; s < count; ++s) {
      ASSERT_TRUE(as[s] >= 0 && as[s] < n && bs[s] >= 0 && bs[s] < n);
      ASSERT_GT(std::abs(as[s] - bs[s]), 10) << "n = " << n << ", swap " << s;
      firsts.insert(as[s]);
    }
    // Every position with a partner is drawn first sometimes; with 21
    // folders that is all but the middle one, which has none.
    if (n <= 40) {
      EXPECT_EQ(firsts.size(), static_cast<size_t>(n == 21 ? 20 : n)) << n;
    }
  }
}

}  // namespace
