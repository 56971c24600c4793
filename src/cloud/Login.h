// Logging in to the service with the account and password of the first two
// edit boxes; the session's cookies are kept in SessionCookies.
#pragma once

#include "text/Text.h"

// True when the service accepted the login.
bool LoginToService(const Text& account, const Text& password);
