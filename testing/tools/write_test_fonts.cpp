// Writes the predictable test font set into _FONT of the current
// directory, so scripts can prepare graphic-model cards without real fonts.
#include "testing/fontx_builder.h"

int main() {
  WriteTestFontSet();
  return 0;
}
