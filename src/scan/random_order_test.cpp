#include "scan/random_order.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

#include "driver/run_state.h"

namespace {

// n folders with tracks on rows 2, 4, 6, ..., or on every row when the table is too small.
int RowOf(int k, int n) { return 2 * n + 1 <= kMaxDirectories ? 2 * (k + 1) : k + 1; }

// The chain from the root of n ordered folders; it must close and link only folders with tracks.
std::vector<uint16_t> ChainOf(int n, uint32_t seed) {
  auto state = std::make_unique<RunState>();
  state->directoryCount = static_cast<uint16_t>(n == 0 ? 1 : RowOf(n - 1, n) + 1);
  for (int k = 0; k < n; ++k) {
    state->randomList[k] = static_cast<uint16_t>(RowOf(k, n));
    state->directories[state->randomList[k]].trackCount = 1;
  }
  state->randomCount = static_cast<uint16_t>(n);
  testing::internal::CaptureStdout();
  EXPECT_EQ(seed == 0 ? MakeRandomOrder(*state) : MakeRandomOrderSeeded(*state, seed), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "random order start\n");
  std::vector<uint16_t> rows;
  std::set<uint16_t> seen;
  for (uint16_t row = state->directories[0].nextRandom; row != 0 && seen.insert(row).second;
       row = state->directories[row].nextRandom)
    rows.push_back(row);
  EXPECT_TRUE(rows.empty() || state->directories[rows.back()].nextRandom == rows.front());
  for (const DirectoryEntry* d = state->directories + 1; d < state->directories + kMaxDirectories;
       ++d)
    EXPECT_TRUE(d->trackCount != 0 || d->nextRandom == 0) << d - state->directories;
  return rows;
}

TEST(RandomOrder, UpToTwentyFoldersKeepListingOrderAndMoreAreShuffledIntoOneClosedChain) {
  std::vector<int> counts = {100, 999, 30};
  for (int n = 0; n <= 22; ++n) counts.push_back(n);
  for (int n : counts) {
    std::vector<uint16_t> chain = ChainOf(n, n == 30 ? 0 : n + 1);  // 0: seeded from the clock
    ASSERT_EQ(chain.size(), static_cast<size_t>(n)) << "n = " << n;
    int inPlace = 0;
    for (int k = 0; k < n; ++k) inPlace += chain[k] == RowOf(k, n);
    EXPECT_TRUE(n <= 20 ? inPlace == n : inPlace < n / 2) << "n = " << n << ", " << inPlace;
  }
}

}  // namespace
