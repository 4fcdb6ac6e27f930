#include "text/sjis.h"

#include <cstring>

bool IsLeadByteAt(const char* text, int pos) {
  int i = 0;
  while (i < pos) {
    uint8_t b = static_cast<uint8_t>(text[i]);
    if (b == 0) return false;
    if (IsSjisLeadByte(b) && text[i + 1] != 0) {
      i += 2;
    } else {
      i += 1;
    }
  }
  return i == pos && IsSjisLeadByte(static_cast<uint8_t>(text[pos]));
}

namespace {

// JIS X 0201 to JIS X 0208 for 0x20..0x7E.
constexpr uint16_t kAsciiToFull[95] = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166,  // sp..'
    0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E,  // (../
    0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,  // 0..7
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148,  // 8..?
    0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266,  // @..G
    0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,  // H..O
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,  // P..W
    0x8277, 0x8278, 0x8279, 0x816D, 0x818F, 0x816E, 0x814F, 0x8151,  // X.._
    0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,  // `..g
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F,  // h..o
    0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297,  // p..w
    0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8150,          // x..~
};

// Half-width katakana 0xA1..0xDF to their full-width forms.
constexpr uint16_t kKanaToFull[63] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // A1..A8
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // A9..B0
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // B1..B8
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // B9..C0
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // C1..C8
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // C9..D0
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // D1..D8
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // D9..DF
};

}  // namespace

uint16_t MbbToMbc(uint8_t byte) {
  if (byte >= 0x20 && byte <= 0x7E) return kAsciiToFull[byte - 0x20];
  if (byte >= 0xA1 && byte <= 0xDF) return kKanaToFull[byte - 0xA1];
  return byte;
}

int SjisCutLength(const char* text, int maxBytes) {
  int i = 0;
  while (i < maxBytes && text[i] != 0) {
    int step = (IsSjisLeadByte(static_cast<uint8_t>(text[i])) && text[i + 1] != 0) ? 2 : 1;
    if (i + step > maxBytes) break;
    i += step;
  }
  return i;
}

void SjisCopyCut(char* out, const char* text, int maxBytes) {
  int n = SjisCutLength(text, maxBytes);
  std::memcpy(out, text, static_cast<size_t>(n));
  out[n] = 0;
}

int JoinPathText(char* out, int size, const char* folder, const char* name, int nameMax) {
  int folderBytes = static_cast<int>(std::strlen(folder));
  int nameBytes = 0;
  while (nameBytes < nameMax && name[nameBytes] != 0) ++nameBytes;
  int whole = folderBytes + 1 + nameBytes;
  if (size <= 0) return whole;
  int room = size - 1;
  int put = folderBytes < room ? folderBytes : room;
  std::memcpy(out, folder, static_cast<size_t>(put));
  if (put < room) out[put++] = '\\';
  int rest = nameBytes < room - put ? nameBytes : room - put;
  std::memcpy(out + put, name, static_cast<size_t>(rest));
  out[put + rest] = 0;
  return whole;
}
