// Console output read back by tests: the host prints code page 932 text as
// UTF-8 on POSIX and as the bytes themselves to a redirected Windows
// output; these give it as UTF-8 on both.
#pragma once

#include <string>

// Printed bytes as UTF-8 text.
std::string ConsoleUtf8(const std::string& printed);

// Ends testing::internal::CaptureStdout() and gives the output as UTF-8.
std::string GetCapturedConsole();
