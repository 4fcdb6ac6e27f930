#include "scan/random_order.h"

#include <cstdint>
#include <ctime>

#include "base/console.h"
#include "scan/messages.h"
#include "state/folder_table.h"

namespace {

constexpr int kShuffleThreshold = 20;  // shuffle only above this many folders
constexpr int kSwapsPerFolder = 1000;
constexpr int kMinDistance = 10;  // the two positions of a swap lie further apart

// xorshift32: small, uniform enough for a play order, and the same on
// every host.
struct Generator {
  uint32_t x;
};

Generator MakeGenerator(uint32_t seed) {
  // Spread the seed so that nearby clock values start far apart; zero is
  // the one state xorshift cannot leave.
  uint32_t x = seed * 2654435761u ^ 0x9E3779B9u;
  return Generator{x == 0 ? 1u : x};
}

// x % n by multiplications instead of a division, as the shuffle draws
// values for every swap: exact for every 32-bit x and n, with
// m = 2^64 / n rounded up.
struct Modulus {
  uint32_t n;
  uint64_t m;
};

Modulus MakeModulus(int n) {
  uint32_t d = static_cast<uint32_t>(n);
  return Modulus{d, UINT64_C(0xFFFFFFFFFFFFFFFF) / d + 1};
}

__extension__ typedef unsigned __int128 Wide;

uint32_t Reduce(uint32_t x, const Modulus& mod) {
  uint64_t low = mod.m * x;
  return static_cast<uint32_t>((static_cast<Wide>(low) * mod.n) >> 64);
}

// A value in 0..n-1.
int Draw(Generator& g, const Modulus& mod) {
  g.x ^= g.x << 13;
  g.x ^= g.x >> 17;
  g.x ^= g.x << 5;
  return static_cast<int>(Reduce(g.x, mod));
}

// Whether position a of n has a partner more than kMinDistance away.
bool HasPartner(int a, int n) { return a - kMinDistance - 1 >= 0 || a + kMinDistance + 1 <= n - 1; }

int Distance(int a, int b) { return a > b ? a - b : b - a; }

// The two positions of the next swap, more than kMinDistance apart. With
// 21 entries the middle position has no partner: it is drawn anew.
void NextSwap(Generator& g, const Modulus& mod, int& a, int& b) {
  int n = static_cast<int>(mod.n);
  a = Draw(g, mod);
  while (!HasPartner(a, n)) a = Draw(g, mod);
  b = Draw(g, mod);
  while (Distance(a, b) <= kMinDistance) b = Draw(g, mod);
}

}  // namespace

void MakeRandomOrderSeeded(FolderTable& folders, uint32_t seed) {
  ConsolePrintf("%s", kMsgRandomOrderStart);
  int n = folders.randomCount;
  if (n > kMaxDirectories) n = kMaxDirectories;
  long swaps = n > kShuffleThreshold ? static_cast<long>(n) * kSwapsPerFolder : 0;

  Generator g = MakeGenerator(seed);
  Modulus mod = MakeModulus(n > 0 ? n : 1);
  for (long s = 0; s < swaps; ++s) {
    int a = 0, b = 0;
    NextSwap(g, mod, a, b);
    uint16_t t = folders.randomList[a];
    folders.randomList[a] = folders.randomList[b];
    folders.randomList[b] = t;
  }

  uint16_t previous = 0;  // the root
  for (int k = 0; k < n; ++k) {
    folders.directories[previous].nextRandom = folders.randomList[k];
    previous = folders.randomList[k];
  }
  folders.directories[previous].nextRandom = folders.directories[0].nextRandom;
}

void MakeRandomOrder(FolderTable& folders) {
  MakeRandomOrderSeeded(folders, static_cast<uint32_t>(std::time(nullptr)));
}
