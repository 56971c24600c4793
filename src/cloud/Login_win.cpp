// Logging in through the service's web login form: fetch the login page,
// take its form token, post the form, keep the cookies the answer sets.
#include "cloud/Login.h"

#include "ServiceHosts.h"
#include "cloud/LoginForm.h"
#include "cloud/SessionCookies.h"
#include "http/HttpRequest.h"
#include "http/TextBetween.h"
#include "text/TextRules.h"

bool LoginToService(const Text& account, const Text& password) {
    const Text page = HttpRequest({.url = LoginPageUrl(kAccountHost)});
    // A page without the markers gives an empty token; the form goes out anyway.
    const Text token = TextBetween(page, kFormTokenLeftMarker, kFormTokenRightMarker);

    // The login page's own cookies are not sent with the form.
    Text collected;
    const Text answer = HttpRequest({.url = LoginFormUrl(kAccountHost),
                                     .method = kHttpPost,
                                     .postText = LoginFormBody(token, account, password),
                                     .returnedCookies = &collected});
    // Replaced before the answer is judged, so a failed login replaces it too.
    SessionCookies = collected;
    return FindText(answer, kLoginSuccessText) != -1;
}
