// The seven font files of the card's _FONT folder.
#pragma once

struct FontSet;

// Loads the font slots in their fixed order and builds half6x8Font.
// True, or false at the first file that is missing or bad.
bool LoadFonts(FontSet& fonts);
