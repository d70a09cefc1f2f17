#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/AppObject.h"
#include "core/ControlDeviceList.h"

TEST(ControlDeviceList, AddDeviceUpToAndPastThirty) {
    C_ControlD list;
    for (int i = 0; i < kControlDItemCount; ++i) {
        EXPECT_EQ(list.AddDevice(2400, static_cast<uint8_t>(i), 11, kRoleSlave), 0);
    }
    EXPECT_EQ(list.AddDevice(2400, 99, 11, kRoleSlave), -1);
    EXPECT_EQ(list.GetCount(), 30);
    EXPECT_EQ(list.GetItem(29).byAddress, 29);
    EXPECT_EQ(list.GetItem(29).wFlags, kRoleSlave | kRoleUsed);
    EXPECT_EQ(list.GetItem(0).dwBaudRate, 2400u);
}

TEST(ControlDeviceList, KindOutsideTheTableIsRefused) {
    C_ControlD list;
    EXPECT_EQ(list.AddDevice(0, 1, 26, kRoleMaster), -1);
    EXPECT_EQ(list.AddDevice(0, 1, 255, kRoleMaster), -1);
    EXPECT_EQ(list.GetCount(), 0);
    ASSERT_EQ(list.AddDevice(0, 1, 25, kRoleSlave), 0);
    list.SetSlave(0, 200, 7);
    EXPECT_EQ(list.GetSlaveKind(0), 25);
    EXPECT_EQ(list.GetItem(0).byAddress, 1);
}

TEST(ControlDeviceList, CurrentEntryAmongMastersAndSlaves) {
    C_ControlD list;
    list.AddDevice(0, 1, 3, kRoleMaster);
    list.AddDevice(2400, 5, 11, kRoleSlave);
    list.AddDevice(2400, 6, 18, kRoleSlave);

    EXPECT_EQ(list.MakeCurrent(kRoleSlave, 1), 0);
    EXPECT_EQ(list.GetCurrentKind(), 18);
    EXPECT_EQ(list.GetCurrentAddress(), 6);
    EXPECT_EQ(list.GetCurrentIndexInKind(), 1);
    EXPECT_EQ(list.IsCurrentMaster(), 0);
    EXPECT_EQ(list.GetSlaveKind(1), 18);
    EXPECT_EQ(list.GetSlaveKind(2), 0);
    EXPECT_EQ(list.GetMasterKind(0), 3);
    EXPECT_EQ(list.GetCurrentSlaveAddress(), 6);
    EXPECT_EQ(list.GetCurrentMasterAddress(), 1);  // position 0 until a master is chosen

    EXPECT_EQ(list.MakeCurrent(kRoleSlave, 2), -1);
    EXPECT_EQ(list.GetCurrentKind(), 18);

    EXPECT_EQ(list.MakeCurrent(kRoleMaster, 0), 0);
    EXPECT_EQ(list.IsCurrentMaster(), 1);
    EXPECT_EQ(list.GetCurrentIndexInKind(), 0);
    EXPECT_EQ(list.GetCurrentSlaveAddress(), 6);  // the slave index stays
    EXPECT_EQ(list.GetCurrentMasterKind(), 3);
}

TEST(ControlDeviceList, RemoveSlavesKeepsMastersInOrder) {
    C_ControlD list;
    list.AddDevice(2400, 5, 11, kRoleSlave);
    list.AddDevice(0, 1, 3, kRoleMaster);
    list.AddDevice(2400, 6, 18, kRoleSlave);
    list.AddDevice(0, 2, 19, kRoleMaster);

    // Current entry a slave: only the masters stay, the first is current.
    list.MakeCurrent(kRoleSlave, 1);
    list.RemoveSlaves();
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetItem(0).byAddress, 1);
    EXPECT_EQ(list.GetItem(1).byAddress, 2);
    EXPECT_EQ(list.GetItem(2).wFlags, 0);
    EXPECT_EQ(list.GetCurrentAddress(), 1);

    // Current entry the second master: it stays current at its new position.
    list.AddDevice(2400, 7, 11, kRoleSlave);
    list.MakeCurrent(kRoleMaster, 1);
    list.RemoveSlaves();
    EXPECT_EQ(list.GetCurrentAddress(), 2);
    EXPECT_EQ(list.GetCurrentMasterAddress(), 2);
    EXPECT_EQ(list.GetCurrentIndexInKind(), 1);
}

TEST(ControlDeviceList, RetrRecorderAmongMasters) {
    C_ControlD list;
    list.AddDevice(2400, 1, 22, kRoleSlave);
    EXPECT_EQ(list.HasRetrDvr(), 0);
    list.AddDevice(0, 0, 23, kRoleMaster);
    EXPECT_EQ(list.HasRetrDvr(), 1);
    list.Clear();
    EXPECT_EQ(list.HasRetrDvr(), 0);
    EXPECT_EQ(list.GetCount(), 0);
}

namespace {

class RetrKeyRecorder : public RetrKeyView {
  public:
    void ShowRetrState(int state, std::string_view tooltip) override {
        shown.emplace_back(state, std::string(tooltip));
    }
    std::vector<std::pair<int, std::string>> shown;
};

}  // namespace

TEST(ControlDeviceList, RetrStateDrivesTheKeyAndTheAlarmRecordSetting) {
    auto app = std::make_unique<CAppObject>();
    g_lpApp = app.get();
    uint8_t& alarmTriggerRecord = app->CSettingINI.m_byAlarmTriggerRecord;
    app->CSettingINI.m_byRetrAlarmRecord = 1;
    C_ControlD& list = app->C_ControlD;
    RetrKeyRecorder key;
    list.SetRetrKeyView(&key);
    list.Clear();

    EXPECT_EQ(list.SetRetrState(1), 1);
    EXPECT_EQ(alarmTriggerRecord, 0);  // from the state held before
    EXPECT_EQ(list.GetRetrState(), 1);
    ASSERT_EQ(key.shown.size(), 1u);
    EXPECT_EQ(key.shown[0], std::make_pair(1, std::string("R.E.T.R.(Enable)")));

    EXPECT_EQ(list.SetRetrState(1), 1);
    EXPECT_EQ(alarmTriggerRecord, 1);
    EXPECT_EQ(key.shown.size(), 1u);

    list.SetRetrState(0);
    EXPECT_EQ(alarmTriggerRecord, 1);
    ASSERT_EQ(key.shown.size(), 2u);
    EXPECT_EQ(key.shown[1], std::make_pair(0, std::string("R.E.T.R.(Disable)")));

    // Without "RETR Alarm Record" the setting stays off.
    app->CSettingINI.m_byRetrAlarmRecord = 0;
    list.SetRetrState(1);
    list.SetRetrState(1);
    EXPECT_EQ(alarmTriggerRecord, 0);

    list.SetRetrKeyView(nullptr);
    list.SetRetrState(0);
    EXPECT_EQ(key.shown.size(), 3u);
    g_lpApp = nullptr;
}
