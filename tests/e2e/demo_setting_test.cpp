// The demo starts the simulated recorder where the program's Setting.ini points the program:
// the recorder's reader of that file finds the address and port the program saved there.
#include <gtest/gtest.h>

#include "../support/TempFolder.h"
#include "core/SettingINI.h"
#include "sim/ClientSetting.h"

TEST(DemoSetting, TheRecorderFindsTheAddressAndPortTheProgramSaved) {
    ormidon::test::TempFolder folder;
    CSettingINI settings;
    settings.m_strProgramPath = folder.path().string() + "/";
    settings.m_strServerName = "127.0.0.7";
    settings.m_wWebPort = 8090;
    ASSERT_TRUE(settings.SaveSetting());

    const auto where = ormidon::sim::ReadClientSetting(settings.SettingFilePath().string());
    ASSERT_TRUE(where);
    EXPECT_EQ(where->address, 0x7F000007u);
    EXPECT_EQ(where->port, 8090);
}
