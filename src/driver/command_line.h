// cardprep's options: --help and --version. Without arguments it runs the
// dialogue; it takes nothing else.
#pragma once

// Answers --help or --version on standard output (status 0), or names the
// first argument it does not know on standard error (status 2). Returns -1
// when there are no arguments and the dialogue is to run.
int HandleCommandLine(int argc, char** argv);
