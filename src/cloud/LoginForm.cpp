// The login form. The body is application/x-www-form-urlencoded, so the
// values are encoded: a password holding '&', '=', '%' or '+' would
// otherwise reach the service as form syntax and never log in.
#include "cloud/LoginForm.h"

const Text kFormTokenLeftMarker = "formhash\" value=\"";
const Text kFormTokenRightMarker = "\" />";
const Text kLoginSuccessText = "登录成功，欢迎您回来";

Text LoginPageUrl(const Text& host) {
    return "https://" + host + "/account.php?action=login&ref=/mydisk.php";
}

Text LoginFormUrl(const Text& host) {
    return "https://" + host + "/account.php";
}

Text PercentEncodeFormValue(const Text& value) {
    static const char kHex[] = "0123456789ABCDEF";
    Text encoded;
    encoded.reserve(value.size());
    for (char c : value) {
        unsigned char byte = static_cast<unsigned char>(c);
        bool kept = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                    (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                    byte == '*';
        if (kept) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

Text LoginFormBody(const Text& formToken, const Text& account, const Text& password) {
    return "action=login&task=login&ref=%2Fmydisk.php&formhash=" +
           PercentEncodeFormValue(formToken) + "&username=" + PercentEncodeFormValue(account) +
           "&password=" + PercentEncodeFormValue(password);
}
