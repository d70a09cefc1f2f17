// The recorder's log prints no secrets of the requests it receives.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sim/MaskedLog.h"

namespace {

TEST(MaskedLog, PasswordsAndCookiesAreMaskedTheRestStays) {
    using ormidon::sim::MaskedTarget;
    const std::pair<std::string, std::string> cases[] = {
        {"/Login.cgi?Username=op&Password=secret", "/Login.cgi?Username=op&Password=***"},
        // A login's password is sent as typed: all after "Password=" is the password.
        {"/Login.cgi?Username=op&Password=ab&cd", "/Login.cgi?Username=op&Password=***"},
        {"/login.CGI?Username=op&password=a&b=c&", "/login.CGI?Username=op&password=***"},
        {"/Login.cgi?Password=&Username=op", "/Login.cgi?Password=***"},
        {"/X.cgi?Password=&Username=op", "/X.cgi?Password=***&Username=op"},
        {"/SetColor.cgi?Cookie=ab12cd34ef&Bright=40", "/SetColor.cgi?Cookie=ab12***&Bright=40"},
        {"/X.cgi?a=1&cookie=ab12cd&PASSWORD=p%26q&b", "/X.cgi?a=1&cookie=ab12***&PASSWORD=***&b"},
        {"/X.cgi?Cookie=abcd&Cookie=x", "/X.cgi?Cookie=***&Cookie=***"},
        {"/X.cgi?Cookie=abcde&", "/X.cgi?Cookie=abcd***&"},
        {"/X.cgi?CookieJar=abcdefgh&Passwords=1", "/X.cgi?CookieJar=abcdefgh&Passwords=1"},
        {"/Getvideo.cgi", "/Getvideo.cgi"},
        {"/Getvideo.cgi?", "/Getvideo.cgi?"},
    };
    for (const auto& [target, masked] : cases) EXPECT_EQ(MaskedTarget(target), masked) << target;

    // The password field of a search record shows as stars; other datagrams as they are.
    std::vector<uint8_t> record(76, 0x11);
    for (std::size_t i = 40; i < 56; ++i) record[i] = 'p';
    const std::string hex = ormidon::sim::MaskedSearchHex(record);
    EXPECT_EQ(hex, std::string(80, '1') + std::string(32, '*') + std::string(40, '1'));
    EXPECT_EQ(ormidon::sim::MaskedSearchHex({0x70, 0x77, 0x0a}), "70770a");
}

}  // namespace
