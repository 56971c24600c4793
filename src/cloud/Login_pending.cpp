// Stands in for the login until the cloud client provides it: it sends
// nothing, shows nothing and says the login did not happen.
#include "cloud/Login.h"

bool LoginToService(const Text& /*account*/, const Text& /*password*/) {
    return false;
}
