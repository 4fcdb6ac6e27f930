#include "text/display_text.h"

#include "platform/host.h"

int DisplayTextFromWide(const char16_t* text, char* out, int size) {
  return HostWideToCp932(text, out, size);
}
