// The decoder plugin images built into this copy of cardprep, if any.
#pragma once

#include <cstdint>

// The decoder plugin image of the given file name (a model's pluginFile:
// PSHFT131.DAT or SPEANA.DAT): fileName is set for those; words is null
// when the image is not built in. Any other name, or null: fileName null.
void GetDecoderPluginImage(const char* name, const char*& fileName, const uint16_t*& words,
                           int& count);

// Writes a plugin file: the word count, then the words, little-endian.
// Returns false when the file cannot be created or written.
bool WritePluginImage(const char* fileName, const uint16_t* words, int count);
