// The decoder plugin images built into this copy of cardprep, if any.
#pragma once

#include <cstdint>

// The image that model writes (PSHFT131.DAT for 4, SPEANA.DAT for 8):
// fileName is set for those models; words is null when the image is not
// built in. Other models: fileName null.
void GetDecoderPluginImage(int model, const char*& fileName, const uint16_t*& words, int& count);

// Writes a plugin file: the word count, then the words, little-endian.
// Returns false when the file cannot be created or written.
bool WritePluginImage(const char* fileName, const uint16_t* words, int count);
