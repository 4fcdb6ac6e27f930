// Writes the test font set into _FONT here, for scripts that prepare graphic-model cards.
#include "testing/fontx_builder.h"

int main() {
  WriteTestFontSet();
  return 0;
}
