// The title an MP3 file's tags hold: the ID3v2 tag at its start (versions
// 2.2, 2.3 and 2.4), else the ID3v1 tag in its last 128 bytes.
#pragma once

// Reads the title of the file at path (a card path, code page 932) into
// title (257 bytes: at most 256 bytes of display text and a zero, empty when
// the tags hold none). Reads the head of the file and the frame headers of
// its ID3v2 tag, never the frames it passes over. False when the file cannot
// be opened or read.
bool ReadId3Title(const char* path, char* title);
