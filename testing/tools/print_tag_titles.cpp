// Prints the tag title cardprep reads from each file named (in the current directory), one line
// each: the name, a TAB and the title's code page 932 bytes in hex. For the tag corpus test.
#include <cstdio>
#include <string>

#include "scan/tag_reader.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    char title[257];
    std::string path = "\\";
    path += argv[i];
    bool read = ReadId3Title(path.c_str(), title);
    std::printf("%s\t", argv[i]);
    for (const char* p = title; *p != 0; ++p) std::printf("%02X", static_cast<unsigned char>(*p));
    std::printf("%s\n", read ? "" : "unreadable");
  }
  return 0;
}
