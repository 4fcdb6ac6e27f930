// Preloaded into cardprep by scripts/bench (LD_PRELOAD): time() gives the
// fixed value of BENCH_FIXED_TIME (default 1700000000), so that the random
// play order, and with it every card file, is the same in every run and two
// builds can be compared byte for byte.
#include <cstdlib>
#include <ctime>

extern "C" time_t time(time_t* out) noexcept {
  const char* text = std::getenv("BENCH_FIXED_TIME");
  time_t value = text != nullptr ? static_cast<time_t>(std::atoll(text)) : 1700000000;
  if (out != nullptr) *out = value;
  return value;
}
