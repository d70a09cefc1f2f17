#include <gtest/gtest.h>

#include <string>

#include "net/CgiCommand.h"

namespace {

TEST(CgiCommandTable, RowsHoldTheirIndexAndPath) {
    for (uint8_t i = 0; i < CGI_COMMAND_COUNT; ++i) EXPECT_EQ(g_CgiCommandTable[i].dwIndex, i);
    EXPECT_EQ(CGI_COMMAND_COUNT, 40);
    EXPECT_EQ(GetCgiCommandPath(CGI_LOGIN), "/Login.cgi");
    EXPECT_EQ(GetCgiCommandPath(CGI_GETDEFAULTLANG), "/getDefaultLang.cgi");
    EXPECT_EQ(GetCgiCommandPath(CGI_SEARCHPLAYBACK), "/SearchPlayBack.cgi");
    EXPECT_EQ(GetCgiCommandPath(CGI_GETVERSION), GetCgiCommandPath(CGI_GETVERSION2));
    EXPECT_EQ(GetCgiCommandPath(40), "");
}

TEST(CgiRequest, BuildsTheQueryString) {
    CCgiRequest request(CGI_GETSYSCFG);
    EXPECT_EQ(request.AddParam("Option", "INF"), 1);
    EXPECT_EQ(request.AddIntParam("Size", 44), 1);
    EXPECT_EQ(request.AddParam("Cookie", "a1b2"), 1);
    EXPECT_EQ(request.GetText(), "/GetSysCfg.cgi?Option=INF&Size=44&Cookie=a1b2");
    EXPECT_EQ(std::string(request.GetBuffer(), static_cast<size_t>(request.GetLength())),
              request.GetText());
    EXPECT_TRUE(request.IsValid());

    EXPECT_EQ(request.Reset(), 1);
    EXPECT_EQ(request.GetText(), "/GetSysCfg.cgi");
    request.AddParam("Option", "IP");
    request.AddIntParam("X", -1);
    EXPECT_EQ(request.GetText(), "/GetSysCfg.cgi?Option=IP&X=-1");

    CCgiRequest reboot(CGI_REBOOT);
    EXPECT_EQ(reboot.GetText(), "/Reboot.cgi");
    EXPECT_EQ(reboot.GetLength(), 11);
}

TEST(CgiRequest, PassesValuesUnchangedButRefusesLineBreaks) {
    CCgiRequest request(CGI_SETSYSCFG);
    request.AddParam("Name", "a b&c=d%20\t\x7f\xc3\xa4");
    EXPECT_EQ(request.GetText(), "/SetSysCfg.cgi?Name=a b&c=d%20\t\x7f\xc3\xa4");
    EXPECT_TRUE(request.IsValid());

    const std::string bad[] = {"x\r\nHost: evil", "x\ny", "x\ry", std::string("x\0y", 3)};
    for (const std::string& text : bad) {
        for (bool inName : {false, true}) {
            CCgiRequest r(CGI_LOGIN);
            EXPECT_EQ(inName ? r.AddParam(text, "v") : r.AddParam("n", text), 0);
            EXPECT_FALSE(r.IsValid());
            EXPECT_EQ(r.GetText(), "/Login.cgi");
            r.Reset();
            EXPECT_TRUE(r.IsValid());
        }
    }

    CCgiRequest unknown(200);
    EXPECT_FALSE(unknown.IsValid());
    EXPECT_EQ(unknown.GetLength(), 0);
}

}  // namespace
