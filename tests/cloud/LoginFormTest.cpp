// The login form: its URLs, markers and the encoded body.
#include <gtest/gtest.h>

#include "cloud/LoginForm.h"

namespace {

TEST(LoginForm, UrlsAndMarkers) {
    EXPECT_EQ(LoginPageUrl("pc.example"),
              "https://pc.example/account.php?action=login&ref=/mydisk.php");
    EXPECT_EQ(LoginFormUrl("127.0.0.1:8443"), "https://127.0.0.1:8443/account.php");
    EXPECT_EQ(kFormTokenLeftMarker.size(), 17u);
    EXPECT_EQ(kFormTokenRightMarker, "\" />");
}

TEST(PercentEncodeFormValue, KeepsOnlyTheUnreservedBytes) {
    const struct {
        Text value;
        Text encoded;
    } cases[] = {
        {"", ""},
        {"AZaz09-._*", "AZaz09-._*"},
        {"a&b=c%d+e", "a%26b%3Dc%25d%2Be"},
        {"a b", "a%20b"},
        {"/?#~!'\"\\", "%2F%3F%23%7E%21%27%22%5C"},
        {"张三", "%D5%C5%C8%FD"},
        {"\xff\x80", "%FF%80"},
        {Text("a\0b", 3), "a%00b"},
        {"\r\n\t", "%0D%0A%09"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("value '" + c.value + "'");
        EXPECT_EQ(PercentEncodeFormValue(c.value), c.encoded);
    }
}

TEST(LoginFormBody, CarriesTheEncodedValuesInOrder) {
    const struct {
        Text token;
        Text account;
        Text password;
        Text body;
    } cases[] = {
        {"8e2a1f", "user", "secret",
         "action=login&task=login&ref=%2Fmydisk.php&formhash=8e2a1f&username=user&password=secret"},
        {"", "", "", "action=login&task=login&ref=%2Fmydisk.php&formhash=&username=&password="},
        {"t", "张三", "p&w=1%+",
         "action=login&task=login&ref=%2Fmydisk.php&formhash=t&username=%D5%C5%C8%FD"
         "&password=p%26w%3D1%25%2B"},
        {"a b", "x", "y",
         "action=login&task=login&ref=%2Fmydisk.php&formhash=a%20b&username=x"
         "&password=y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("password '" + c.password + "'");
        EXPECT_EQ(LoginFormBody(c.token, c.account, c.password), c.body);
    }
}

} // namespace
