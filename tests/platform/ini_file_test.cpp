#include <gtest/gtest.h>

#include "../support/TempFolder.h"
#include "platform/IniFile.h"

namespace ormidon {
namespace {

struct ReadCase {
    const char* text;
    const char* section;
    const char* key;
    const char* expected;  // nullptr: missing, the fallback comes back
};

TEST(IniFile, ReadsByTheProfileRules) {
    const ReadCase cases[] = {
        {"[Ormidon]\r\nUsername=admin\r\n", "Ormidon", "Username", "admin"},
        {"[ormidon]\nUSERNAME=admin\n", "ORMIDON", "username", "admin"},
        {"[ Ormidon ]\n  Username  =  admin  \n", "Ormidon", "Username", "admin"},
        {"[Ormidon]\nUsername=\"  quoted  \"\n", "Ormidon", "Username", "  quoted  "},
        {"[Ormidon]\nUsername='single'\n", "Ormidon", "Username", "single"},
        {"[Ormidon]\nUsername=\"unbalanced\n", "Ormidon", "Username", "\"unbalanced"},
        {"[Ormidon]\nUsername=\"\n", "Ormidon", "Username", "\""},
        {"[Ormidon]\nUsername=\n", "Ormidon", "Username", ""},
        {"[Ormidon]\nUsername=a=b\n", "Ormidon", "Username", "a=b"},
        {"[Ormidon]\nUsername=first\nUsername=second\n", "Ormidon", "Username", "first"},
        {"[Ormidon]\nA=1\n[Ormidon]\nUsername=late\n", "Ormidon", "Username", nullptr},
        {"[Other]\nUsername=x\n[Ormidon]\n", "Ormidon", "Username", nullptr},
        {"Username=outside\n[Ormidon]\n", "Ormidon", "Username", nullptr},
        {"[Ormidon]\n;Username=comment\n", "Ormidon", "Username", nullptr},
        {"[Ormidon]\nUsername\n", "Ormidon", "Username", nullptr},
        {"\xEF\xBB\xBF[Ormidon]\nUsername=bom\n", "Ormidon", "Username", "bom"},
        {"[Ormidon]\nUsername=no line end", "Ormidon", "Username", "no line end"},
        {"", "Ormidon", "Username", nullptr},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.text);
        IniFile ini;
        ini.SetText(c.text);
        EXPECT_EQ(ini.HasKey(c.section, c.key), c.expected != nullptr);
        EXPECT_EQ(ini.GetString(c.section, c.key, "<fallback>"),
                  c.expected ? c.expected : "<fallback>");
    }
}

TEST(IniFile, ReadsIntegersAsSignAndLeadingDigits) {
    const struct {
        const char* value;
        int expected;
    } cases[] = {
        {"42", 42},
        {"  -17  ", -17},
        {"+8", 8},
        {"300abc", 300},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"0x1F", 0},
        {"\"12\"", 12},
        {"4294967295", -1},
        {"4294967296", 0},
        {"1 2", 1},
        {"2147483648", -2147483647 - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        IniFile ini;
        ini.SetText(std::string("[S]\nk=") + c.value + "\n");
        EXPECT_EQ(ini.GetInt("S", "k", 99), c.expected);
    }
    IniFile ini;
    EXPECT_EQ(ini.GetInt("S", "missing", 99), 99);
}

TEST(IniFile, WritesInPlaceAppendsToSectionOrFileAndKeepsLineEnds) {
    const struct {
        const char* before;
        const char* key;
        const char* value;
        const char* after;
    } cases[] = {
        // Replaced in place, other lines and their line ends untouched.
        {"[Ormidon]\r\nA=1\r\nb = 2\nC=3\r\n", "B", "9", "[Ormidon]\r\nA=1\r\nB=9\nC=3\r\n"},
        // Appended after the last line of its section, before the blank separator.
        {"[ormidon]\r\nA=1\r\n\r\n[Next]\r\nX=1\r\n", "New", "v",
         "[ormidon]\r\nA=1\r\nNew=v\r\n\r\n[Next]\r\nX=1\r\n"},
        // A new section goes to the end; the file's own line end is used.
        {"[Other]\nX=1\n", "A", "1", "[Other]\nX=1\n[Ormidon]\nA=1\n"},
        {"[Other]\nX=1", "A", "1", "[Other]\nX=1\n[Ormidon]\nA=1\n"},
        {"", "A", "1", "[Ormidon]\r\nA=1\r\n"},
        // A last line ending in a lone CR gets the LF that completes it.
        {"[Other]\nX=1\r", "A", "1", "[Other]\nX=1\r\n[Ormidon]\nA=1\n"},
        {"[Ormidon\r", "A", "1", "[Ormidon\r\nA=1\r\n"},
        // Comments and unknown lines stay.
        {"; top\n[Ormidon]\n;A=old\nA=1\njunk\n", "A", "2",
         "; top\n[Ormidon]\n;A=old\nA=2\njunk\n"},
        {"\xEF\xBB\xBF[Ormidon]\nA=1\n", "A", "2", "\xEF\xBB\xBF[Ormidon]\nA=2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        IniFile ini;
        ini.SetText(c.before);
        EXPECT_TRUE(ini.SetString("Ormidon", c.key, c.value));
        EXPECT_EQ(ini.Text(), c.after);
    }
}

TEST(IniFile, RefusesNamesAndValuesThatWouldBreakTheLines) {
    IniFile ini;
    ini.SetText("[Ormidon]\nA=1\n");
    EXPECT_FALSE(ini.SetString("Ormidon", "A", "1\r\nInjected=1"));
    EXPECT_FALSE(ini.SetString("Ormidon", "A", std::string("x\0y", 3)));
    EXPECT_FALSE(ini.SetString("Ormidon", "A=B", "1"));
    EXPECT_FALSE(ini.SetString("Ormidon", " [Other", "1"));
    EXPECT_FALSE(ini.SetString("Ormidon", ";A", "1"));
    EXPECT_FALSE(ini.SetString("Orm]idon", "A", "1"));
    EXPECT_FALSE(ini.SetString("Ormidon", "  ", "1"));
    EXPECT_EQ(ini.Text(), "[Ormidon]\nA=1\n");
}

TEST(IniFile, SavesAndLoadsThroughTheFile) {
    test::TempFolder folder;
    IniFile missing(folder / "Setting.ini");
    EXPECT_EQ(missing.Text(), "");
    EXPECT_TRUE(missing.SetInt("Ormidon", "ServerPort", 8080));
    EXPECT_TRUE(missing.Save());

    IniFile again(folder / "Setting.ini");
    EXPECT_EQ(again.GetInt("Ormidon", "serverport", 0), 8080);
    EXPECT_EQ(test::ReadFile(folder / "Setting.ini"), "[Ormidon]\r\nServerPort=8080\r\n");

    IniFile nowhere(folder / "no-such-folder" / "Setting.ini");
    nowhere.SetString("S", "k", "v");
    EXPECT_FALSE(nowhere.Save());

    // A folder of the file's name reads as no file and is not replaced.
    std::filesystem::create_directories(folder / "Folder.ini" / "inside");
    IniFile folderInTheWay(folder / "Folder.ini");
    EXPECT_FALSE(folderInTheWay.Load());
    EXPECT_EQ(folderInTheWay.Text(), "");
    folderInTheWay.SetString("S", "k", "v");
    EXPECT_FALSE(folderInTheWay.Save());
    EXPECT_TRUE(std::filesystem::is_directory(folder / "Folder.ini" / "inside"));
}

}  // namespace
}  // namespace ormidon
