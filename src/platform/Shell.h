// The shell and file services the Send To entry needs, as Text.
#pragma once

#include "text/Text.h"

// The user's Start Menu folder as the shell gives it (no folder is created);
// empty when the shell does not give it.
Text StartMenuFolderPath();

// Saves a shell link at `linkPath` (replacing a file of that name) whose
// target is `target`, with no arguments, working directory `workingDirectory`
// and show command `showCommand`. Needs the COM bracket around it. False when
// any step failed.
bool SaveShellLink(const Text& linkPath, const Text& target, const Text& workingDirectory,
                   int showCommand);

// Deletes the file; false when the system refused.
bool DeleteFileAt(const Text& path);

// Whether FindFirstFileA finds something at `path`.
bool FilePresent(const Text& path);
