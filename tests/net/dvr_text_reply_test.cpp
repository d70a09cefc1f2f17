// The whole-key reader of the DVR's KEY=value; replies.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "net/DvrTextReply.h"
#include "net/LoginReply.h"

namespace {

TEST(DvrTextReplyTest, KeysMatchWholeItemsOnly) {
    const std::string listed = "YEAR=2026;MONTH=3;HOUR=7;STARTHOUR=2;ENDHOUR=3;DAY=9;";
    const std::string longerFirst =
        "STARTHOUR=2;ENDHOUR=3;DAYLIGHTSAVING=1;HOUR=7;DAY=9;MANUALRATETYPE=3;MANUAL=1;";
    const std::string crlf = "YEAR=2026;\r\nHOUR=7;\r\n  STARTHOUR=2;\r\n";
    const std::string longValue = "A=1;HOUR=" + std::string(300, '7') + ";B=2;";
    struct Case {
        const char* name;
        std::string reply;
        const char* key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"listed order", listed, "HOUR", "7"},
        {"listed order, longer key", listed, "STARTHOUR", "2"},
        {"longer keys first", longerFirst, "HOUR", "7"},
        {"longer keys first, DAY", longerFirst, "DAY", "9"},
        {"MANUAL after MANUALRATETYPE", longerFirst, "MANUAL", "1"},
        {"CR LF between items", crlf, "HOUR", "7"},
        {"blanks before a key", crlf, "STARTHOUR", "2"},
        {"missing key", listed, "ADJUSTMINUTE", std::nullopt},
        {"key only inside a longer key", "STARTHOUR=2;", "HOUR", std::nullopt},
        {"key inside a value", "A=HOUR=5;", "HOUR", std::nullopt},
        {"key without =", "HOUR;HOUR=4;", "HOUR", "4"},
        {"300 characters cut to 255", longValue, "HOUR", std::string(kReplyValueMax, '7')},
        {"item after a long value", longValue, "B", "2"},
        {"no ; ends with the reply", "YEAR=2026;MINUTE=45", "MINUTE", "45"},
        {"empty value", "HOUR=;", "HOUR", ""},
        {"first of two", "HOUR=1;HOUR=2;", "HOUR", "1"},
        {"empty reply", "", "HOUR", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindWholeKeyValue(c.reply, c.key), c.value);
    }
}

TEST(DvrTextReplyTest, NumbersReadAsTheDecimalConversion) {
    EXPECT_EQ(WholeKeyNumber("QUALITY=12x;", "QUALITY"), 12);
    EXPECT_EQ(WholeKeyNumber("QUALITY=;", "QUALITY"), 0);
    EXPECT_EQ(WholeKeyNumber("QUALITY=-3;", "QUALITY"), -3);
    EXPECT_EQ(WholeKeyNumber("RECMODE=1;", "QUALITY"), std::nullopt);
}

}  // namespace
