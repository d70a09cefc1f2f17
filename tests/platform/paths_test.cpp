#include "platform/Paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <optional>
#include <string>

#include "../support/TempFolder.h"
#include "platform/Volumes.h"

namespace ormidon {
namespace {

namespace fs = std::filesystem;

TEST(Paths, ProgramFolderIsTheExecutablesFolderUnlessOverridden) {
    fs::path real = ProgramFolder();
    EXPECT_TRUE(fs::exists(real / "platform_tests"));
    SetProgramFolderForTesting("/tmp/elsewhere");
    EXPECT_EQ(ProgramFolder(), fs::path("/tmp/elsewhere"));
    SetProgramFolderForTesting({});
    EXPECT_EQ(ProgramFolder(), real);
}

TEST(Paths, JoinsStoredBackslashPaths) {
    const struct {
        const char* stored;
        const char* expected;
    } cases[] = {
        {"BMP\\LOGIN\\a.bmp", "/base/BMP/LOGIN/a.bmp"},
        {"BMP/CMOS\\b.bmp", "/base/BMP/CMOS/b.bmp"},
        {"\\lead\\\\double\\", "/base/lead/double"},
        {".\\x", "/base/x"},
        {"", "/base"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(JoinStoredPath("/base", c.stored), fs::path(c.expected));
    }
}

TEST(Paths, FindsFilesWithoutRegardToCase) {
    test::TempFolder folder;
    fs::create_directories(folder / "Bmp" / "Login");
    test::WriteFile(folder / "Bmp" / "Login" / "Title.BMP", "x");
    test::WriteFile(folder / "CtrlFile.ini", "x");
    test::WriteFile(folder / "ctrlfile.ini", "y");

    EXPECT_EQ(FindFileNoCase(folder.path(), "BMP\\LOGIN\\title.bmp"),
              folder / "Bmp" / "Login" / "Title.BMP");
    EXPECT_EQ(FindFileNoCase(folder.path(), "bmp/login/TITLE.bmp"),
              folder / "Bmp" / "Login" / "Title.BMP");
    // Exact spelling first, then the first in sorted order.
    EXPECT_EQ(FindFileNoCase(folder.path(), "ctrlfile.ini"), folder / "ctrlfile.ini");
    EXPECT_EQ(FindFileNoCase(folder.path(), "CTRLFILE.INI"), folder / "CtrlFile.ini");
    EXPECT_EQ(FindFileNoCase(folder.path(), "BMP\\missing.bmp"), std::nullopt);
    EXPECT_EQ(FindFileNoCase(folder / "absent", "x"), std::nullopt);
    EXPECT_EQ(FindFileNoCase(folder.path(), ""), std::nullopt);
}

TEST(Paths, ReplacesFilesAtomicallyKeepingPermissions) {
    test::TempFolder folder;
    fs::path file = folder / "Setting.ini";
    ASSERT_TRUE(ReplaceFileAtomically(file, "first"));
    EXPECT_EQ(test::ReadFile(file), "first");
    ::chmod(file.c_str(), 0600);
    ASSERT_TRUE(ReplaceFileAtomically(file, std::string("sec\0ond", 7)));
    EXPECT_EQ(test::ReadFile(file), std::string("sec\0ond", 7));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);

    EXPECT_FALSE(ReplaceFileAtomically(folder / "absent" / "x", "y"));
    EXPECT_FALSE(ReplaceFileAtomically(folder.path() / "", "y"));
}

// Sets an environment variable for the test's length.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = ::getenv(name)) m_old = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(Paths, DesktopFromUserDirsThenDesktopThenHome) {
    test::TempFolder home;
    ScopedEnv homeEnv("HOME", home.path().c_str());
    ScopedEnv configEnv("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(HomeFolder(), home.path());
    EXPECT_EQ(DesktopFolder(), home.path());

    fs::create_directory(home / "Desktop");
    EXPECT_EQ(DesktopFolder(), home / "Desktop");

    fs::create_directories(home / ".config");
    test::WriteFile(home / ".config" / "user-dirs.dirs",
                    "# comment\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                    "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(DesktopFolder(), home / "Desktop");  // named folder does not exist
    fs::create_directory(home / "Schreibtisch");
    EXPECT_EQ(DesktopFolder(), home / "Schreibtisch");

    test::TempFolder config;
    ScopedEnv configSet("XDG_CONFIG_HOME", config.path().c_str());
    test::WriteFile(config / "user-dirs.dirs",
                    "XDG_DESKTOP_DIR=\"" + (home / "Desktop").string() + "\"\n");
    EXPECT_EQ(DesktopFolder(), home / "Desktop");
}

}  // namespace
}  // namespace ormidon

TEST(Volumes, RemovableMountsComeFromTheMountTable) {
    const char* table =
        "/dev/sda1 / ext4 rw 0 0\n"
        "/dev/sdb1 /media/user/MY\\040STICK vfat rw 0 0\n"
        "/dev/sr0 /run/media/user/DISC iso9660 ro 0 0\n"
        "tmpfs /run/user/1000 tmpfs rw 0 0\n"
        "/dev/sdc1 /mediaX/other ext4 rw 0 0\n"
        "/dev/sdd1 /media ext4 rw 0 0\n"
        "/dev/sdb1 /media/user/MY\\040STICK vfat rw 0 0\n"
        "broken-line\n";
    EXPECT_EQ(ormidon::RemovableMountPoints(table),
              (std::vector<std::filesystem::path>{"/media/user/MY STICK", "/run/media/user/DISC"}));
    const std::vector<ormidon::Volume> volumes = ormidon::ListVolumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_EQ(volumes[0].path, "/");
}
