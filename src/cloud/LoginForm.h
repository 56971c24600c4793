// The service's web login form: where it is, how its token is marked in the
// login page, the form body and the text of a successful answer.
#pragma once

#include "text/Text.h"

// The markers around the form token in the login page.
extern const Text kFormTokenLeftMarker;  // formhash" value="
extern const Text kFormTokenRightMarker; // " />

// The success text of the login form's answer.
extern const Text kLoginSuccessText;

// The two URLs on the account host `host` (`host` or `host:port`).
Text LoginPageUrl(const Text& host);
Text LoginFormUrl(const Text& host);

// Form-value encoding: every byte outside A-Z a-z 0-9 - . _ * becomes %XX,
// GBK bytes included, so the service decodes exactly the bytes given.
Text PercentEncodeFormValue(const Text& value);

// The login form body with the token, account and password encoded.
Text LoginFormBody(const Text& formToken, const Text& account, const Text& password);
