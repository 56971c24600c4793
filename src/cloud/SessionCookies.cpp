#include "cloud/SessionCookies.h"

Text SessionCookies;
