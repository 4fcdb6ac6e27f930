// cardprep: prepares an MP3 player's memory card. Run it in the card's
// root; it asks three questions and does the rest.
#include "driver/command_line.h"
#include "driver/run_driver.h"
#include "state/run_state.h"

namespace {
// About 1.3 MiB: too large for a Windows stack, so it lives here.
RunState g_state;
}  // namespace

int main(int argc, char** argv) {
  bool anyFolder = false;
  const int status = HandleCommandLine(argc, argv, &anyFolder);
  if (status >= 0) return status;
  return RunCardPrep(g_state, anyFolder);
}
