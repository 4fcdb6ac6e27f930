#include "testing/console_text.h"

#include <gtest/gtest.h>

#include "platform/host.h"
#include "testing/temp_card.h"

std::string ConsoleUtf8(const std::string& printed) {
  return HostPrintsUtf8() ? printed : FromCp932(printed);
}

std::string GetCapturedConsole() {
  return ConsoleUtf8(testing::internal::GetCapturedStdout());
}
