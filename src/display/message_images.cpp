#include "display/message_images.h"

#include <cstdint>
#include <cstring>

#include "display/card_file.h"
#include "font/renderers.h"
#include "model/model_profile.h"
#include "state/run_state.h"

namespace {

constexpr int kImageBytes = 512;  // what the renderer may draw
constexpr int kRecordBytes = 50;  // columns the player shows
constexpr const char* kMessages[] = {
    " RANDOM    ",
    " SELECT    ",
    "           ",
    "           ",
};

}  // namespace

void WriteMessageImages(RunState& state) {
  const char* fileName = ModelProfileOf(state.playerModel).messageImageFile;
  if (fileName == nullptr) return;
  CardFile out;
  if (!CreateCardFile(out, fileName)) {
    state.writeFailed = true;
    return;
  }
  for (const char* text : kMessages) {
    uint8_t image[kImageBytes];
    std::memset(image, 0, sizeof image);
    int32_t width = 0;  // not used: a record is always 50 columns
    MakeHalfWidthDataOfString(state, image, text, width);
    WriteCardBytes(out, image, kRecordBytes);
  }
  if (!CloseCardFile(out)) state.writeFailed = true;
}
