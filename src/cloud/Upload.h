// Uploading one file into a folder of the user's account; shows the outcome
// in a message box.
#pragma once

#include "text/Text.h"

// True when the service accepted the file.
bool UploadFile(const Text& path, const Text& folderId);
