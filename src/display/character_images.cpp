// Placeholder until this stage is built.
#include "display/character_images.h"

void WriteCharacterImages(RunState&) {}
