// The buffers a title or menu item is rendered into before a record takes
// it: the renderers write them, the record builders read them.
#pragma once

#include <cstdint>

#include "state/run_limits.h"

struct ImageBuffers {
  uint8_t imagePlaneA[kImagePlaneBytes];
  uint8_t imagePlaneB[kImagePlaneBytes];
  uint8_t imagePlaneC[kImagePlaneBytes];
  uint8_t trackStripImage[kStripBytes];
  uint8_t folderStripImage[kStripBytes];
};
