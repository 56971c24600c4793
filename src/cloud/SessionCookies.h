// The cookie text of the logged-in session: written by the login, sent and
// rewritten by the upload, released at exit.
#pragma once

#include "text/Text.h"

extern Text SessionCookies;
