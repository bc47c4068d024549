#pragma once
// The command line: tralixGui [-d <device>].

#include "ZString.h"

// Sets `device` to "COM1", then to the word after each `-d` (the last one
// wins; the word is taken whatever it looks like, and a missing one is the
// empty name). Only the first two characters of an option count, so "-dCOM4"
// is "-d". Words that are not options are skipped. Returns 0, or 1 for any
// other option.
int parseCommandLine(int argc, const char* const* argv, ZString& device);
