// cardprep's options: --help and --version, or --here to run the dialogue
// in a folder that is not the root of a drive. Without arguments it runs
// the dialogue; it takes nothing else.
#pragma once

// Answers --help or --version on standard output (status 0), or names the
// first argument it does not know on standard error (status 2). Returns -1
// when the dialogue is to run: without arguments, or with --here alone
// (*anyFolder then true).
int HandleCommandLine(int argc, char** argv, bool* anyFolder);
