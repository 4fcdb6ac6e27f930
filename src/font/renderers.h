// The smaller renderers: two-line 12-row images, 8-row strips and
// half-width message images.
#pragma once

#include <cstdint>

struct FontSet;

// Up to two lines of 12-row text packed into three pages of capacity
// columns. Returns the column count of the line written last.
int MakeTwoLineDataOfString(const FontSet& fonts, uint8_t* page0, uint8_t* page1, uint8_t* page2,
                            int capacity, const char* text);

// One page of exactly 128 columns with full8Font and half6x8Font.
void MakeStripDataOfString(const FontSet& fonts, uint8_t* dest, const char* text, int length);

// Single-byte text with half6x8Font into one page of at most 512 columns.
void MakeHalfWidthDataOfString(const FontSet& fonts, uint8_t* dest, const char* text,
                               int32_t& width);
