// Builds one fixed-size card record field by field, so each file layout
// can be read next to its table. Writes past the end are dropped and
// flagged; a record always keeps its size.
#pragma once

#include <cstdint>
#include <cstring>

struct Record {
  uint8_t* data;
  int size;
  int pos;
  bool overflow;
};

// Starts a record over buf, cleared to zero.
inline Record StartRecord(uint8_t* buf, int size) {
  std::memset(buf, 0, static_cast<size_t>(size));
  return Record{buf, size, 0, false};
}

inline void PutU8(Record& r, unsigned value) {
  if (r.pos + 1 > r.size) {
    r.overflow = true;
    return;
  }
  r.data[r.pos++] = static_cast<uint8_t>(value);
}

inline void PutU16LE(Record& r, unsigned value) {
  PutU8(r, value & 0xFF);
  PutU8(r, (value >> 8) & 0xFF);
}

inline void PutU32LE(Record& r, uint32_t value) {
  PutU16LE(r, value & 0xFFFF);
  PutU16LE(r, value >> 16);
}

inline void PutBytes(Record& r, const void* bytes, int count) {
  if (count <= 0) return;
  int room = r.size - r.pos;
  int n = count < room ? count : room;
  if (n > 0) std::memcpy(r.data + r.pos, bytes, static_cast<size_t>(n));
  if (n > 0) r.pos += n;
  if (n < count) r.overflow = true;
}

inline void PutZeros(Record& r, int count) {
  if (count <= 0) return;
  int room = r.size - r.pos;
  int n = count < room ? count : room;
  if (n > 0) std::memset(r.data + r.pos, 0, static_cast<size_t>(n));
  if (n > 0) r.pos += n;
  if (n < count) r.overflow = true;
}

// Writes the terminated text into a field of width bytes: the text (cut
// at width), then fill bytes up to the width.
inline void PutText(Record& r, const char* text, int width, uint8_t fill = 0) {
  int i = 0;
  for (; i < width && text[i] != 0; ++i) PutU8(r, static_cast<uint8_t>(text[i]));
  for (; i < width; ++i) PutU8(r, fill);
}
