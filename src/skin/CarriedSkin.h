// The skin library image and the skin file that the program carries inside
// itself as constant data (embedded at build time), so that nothing needs to
// be written to disk to theme the window.
#pragma once

#include "text/Text.h"

// The skin library, a PE32 DLL that exports SkinH_AttachRes.
const Bytes& SkinLibraryImage();

// The skin file the library reads. It lives for the whole process, so the
// library may be handed its address.
const Bytes& SkinFile();
