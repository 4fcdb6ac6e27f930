// cardprep's options: --help (-h, /?) and --version, --here to run the
// dialogue in a folder that is not the root of a drive, and a folder to
// take as the card's root (what a folder dropped onto the program gives).
// Without arguments it runs the dialogue in the current directory.
#pragma once

// Answers --help (Japanese then English) or --version on standard output
// (status 0), or names the first argument it does not know on standard
// error (status 2). Returns -1 when the dialogue is to run: without
// arguments, with --here (*anyFolder then true), or with one folder, which
// is then the current directory, after --here or alone.
int HandleCommandLine(int argc, char** argv, bool* anyFolder);
