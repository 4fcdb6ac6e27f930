// Placeholder until this stage is built.
#include "display/message_images.h"

void WriteMessageImages(RunState&) {}
