// The program's command-line arguments, split from the process's command
// line the way Explorer's Send To passes a file: the program's own name
// first, then arguments separated by control bytes and blanks, double quotes
// around an argument that holds blanks, no escape character.
#pragma once

#include "text/Text.h"

// The arguments after the program's own name.
TextArray SplitCommandLine(const Text& commandLine);
