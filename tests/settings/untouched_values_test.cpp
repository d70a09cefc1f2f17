// Every page of the sheet against stored values at their edges: texts of their field's full
// width, characters outside the host-name set, values that no list entry shows, a stale
// sender-address continuation. APPLY after visiting every page sends nothing; one field
// changed sends its section differing from the stored one in that field only.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <map>

#include "../support/SettingsSheetHarness.h"
#include "backup/AlarmPropertyPage.h"
#include "backup/TimerRecordPage.h"
#include "core/ConfigRecords.h"
#include "core/ConfigSection.h"
#include "settings/AccountPropertyPage.h"
#include "settings/CCameraEditDlg.h"
#include "settings/CDNSPage.h"
#include "settings/CPTZDeviceEditDlg.h"
#include "settings/CPeripheralPage.h"
#include "settings/CSNTPPage.h"
#include "settings/CameraPage.h"
#include "settings/DevicePage.h"
#include "settings/FTPPropertyPage.h"
#include "settings/MailPropertyPage.h"
#include "settings/NetworkConfigPage.h"
#include "settings/ToolBoxPropertyPage.h"
#include "sheet/PageToolkit.h"

namespace {

using ormidon::test::SettingsSheetTest;
using ormidon::test::SheetSetup;

void Put(std::string& block, std::size_t offset, std::size_t width, std::string_view text) {
    block.replace(offset, width, std::string(width, '\0'));
    block.replace(offset, text.size(), text.substr(0, width));
}

// A text of exactly `width` characters, no terminator.
std::string Full(std::string_view stem, std::size_t width) {
    std::string text;
    while (text.size() < width) text += stem;
    return text.substr(0, width);
}

bool WidePppoe(const SheetSetup& setup) {
    const bool p5xk = setup.product.starts_with("P5");
    return setup.firmware >= (p5xk ? "1052" : "1007");
}

// The sender address continues in SYSTEM on these families from "1003".
bool SystemContinuation(const SheetSetup& setup) {
    return !setup.product.starts_with("P5") && setup.firmware >= "1003";
}

void Type(QLineEdit* edit, const char* text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void ChooseNext(QComboBox* combo) { QTest::keyClick(combo, Qt::Key_Down); }

// The P5xK from "3000" sends its address settings on every APPLY, as they were.
bool SendsIpAlways(const SheetSetup& setup) {
    return setup.product.starts_with("P5") && setup.firmware >= "3000";
}

// One field that the operator changes on a page, and where it lies in its section.
struct Change {
    const char* name;
    const char* page;
    std::function<void()> act;
    const char* section;
    std::size_t offset;
    std::size_t width;
};

class UntouchedValuesTest : public SettingsSheetTest {
  protected:
    // Logs in, gives the recorder (and the records as read) the edge values, opens the sheet
    // and shows every page once.
    void OpenAtTheEdges(const SheetSetup& setup) {
        LogIn(setup);
        PatchEdges(setup);
        ASSERT_EQ(GetSysCfg(CFG_ALL, nullptr, 0), 1);
        for (const auto& section : ormidon::sim::ConfigStore::Sections())
            if (auto bytes = device.Section(section.name))
                stored[std::string(section.name)] = *bytes;
        sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
        sheet->Create();
        app.f_SystemDialogOpen = 1;
        ormidon::testing::ProcessEventsFor(10);
        for (PageKind kind : FamilyPages())
            ASSERT_TRUE(ShowPage(PageCaption(kind))) << PageCaption(kind);
        device.Server().ClearLog();
    }

    void PatchEdges(const SheetSetup& setup) {
        // The recorder's sections; the sheet reads them as the main window would.
        const auto patch = [this](ConfigOption option, const std::function<void(std::string&)>& f) {
            const std::string name(g_ConfigSections[option].name);
            std::string bytes = device.Section(name).value_or("");
            f(bytes);
            ASSERT_TRUE(device.SetSection(name, bytes)) << name;
        };
        patch(CFG_IP, [](std::string& ip) {
            ip[0x16] = 5;  // no address type of the three
            ip[0x17] = 7;  // past the bit-rate list
        });
        patch(CFG_PPPOE, [&](std::string& pppoe) {
            if (WidePppoe(setup)) {
                Put(pppoe, 0x04, 32, Full("pppoe.user.", 32));
                Put(pppoe, 0x24, 32, Full("Secret#", 32));
            } else {
                Put(pppoe, 0x24, 16, Full("old.user.", 16));
                Put(pppoe, 0x34, 16, Full("Old#", 16));
            }
        });
        patch(CFG_DNS, [](std::string& dns) { dns[0x03] = 3; });
        patch(CFG_SMTP, [&](std::string& smtp) {
            smtp[0x04] = 1;  // neither "Yes" nor "No"
            smtp[0x05] = 7;
            Put(smtp, 0x58, 16, "nosuchprovider");
            Put(smtp, 0x68, 16, Full("ddns_user.", 16));
            Put(smtp, 0x78, 16, Full("Pass&word", 16));
            Put(smtp, 0x148, 48, Full("host-name_with.full.width.", 48));
            Put(smtp, 0x48, 16, "short@ex.tst");
            Put(smtp, 0x88, 48, "<a.very.long.localpart@example.org>");
            Put(smtp, 0xB8, 48, Full("z", 48));
        });
        patch(CFG_FTP, [](std::string& ftp) {
            Put(ftp, 0x04, 32, Full("ftp.server.", 32));  // too long for the page: empty
            ftp[0x64] = 0;
            ftp[0x65] = 0;
        });
        patch(CFG_SECURE, [](std::string& secure) {
            secure[0xA8 + 1] = 99;  // no level of the list
            secure[0xB0 + 4] = 7;   // no life time of the list
            secure[0xB0 + 5] = secure[0xB0 + 6] = secure[0xB0 + 7] = 0;
        });
        patch(CFG_SYSTEM, [&](std::string& system) {
            // A stale continuation after a short sender address.
            if (SystemContinuation(setup)) Put(system, 0x04, 16, "stale.tail");
            Put(system, 0x14, 16, Full("SYSTEMNAME", 16));
        });
        patch(CFG_SNTP, [&](std::string& sntp) {
            sntp[0x05] = 80;  // past the zone table
            sntp[0x06] = 2;   // neither mode
            // A stale continuation on the P5xK; a full-width name the edit would filter
            // elsewhere.
            Put(sntp, 0x08, 28,
                setup.product.starts_with("P5") ? "stale.tail" : "time_server-01.example.lan.x");
        });
        patch(CFG_ALARM, [](std::string& alarm) {
            alarm[0x02] = 0;  // shown as 1
            alarm[0x06] = 7;  // no duration of the list
            alarm[0x07] = 0;
        });
        patch(CFG_RS485, [&](std::string& rs485) {
            if (setup.product == "P62K") {
                Put(rs485, 0x2C, 8, "CHANNEL1");
                Put(rs485, 0x34, 8, "CHANNEL2");
            } else {
                rs485[0x1C + 1] = 5;
                rs485[0x2C + 1] = 7;
                rs485[0x3C + 4] = static_cast<char>(0xD2);  // 1234 baud
                rs485[0x3C + 5] = 0x04;
                rs485[0x3C + 6] = rs485[0x3C + 7] = 0;
            }
        });
        if (setup.product.starts_with("P5")) {
            patch(CFG_DVRLIVE, [](std::string& live) {
                live[0x054] = 7;
                live[0x134] = 5;
                Put(live, 0x074, 6, "ABCDEF");
            });
            patch(CFG_DVRREC, [](std::string& rec) {
                rec[0x14] = 9;
                rec[0x57 + 1] = 15;  // no day of the list
            });
        } else {
            patch(CFG_PERI, [](std::string& peri) {
                peri[0x02] = 77;  // no model of the list
                peri[0x08] = static_cast<char>(0xD2);
                peri[0x09] = 0x04;
                peri[0x0A] = peri[0x0B] = 0;
            });
        }
    }

    // Each section sent, by name, with the body sent.
    std::map<std::string, std::string> Sent() {
        std::map<std::string, std::string> sent;
        for (const auto& write : Writes("/SetSysCfg.cgi")) {
            const std::size_t from = write.query.find("Option=") + 7;
            sent[write.query.substr(from, write.query.find('&', from) - from)] = write.body;
        }
        return sent;
    }

    // One change per section each page of the family writes.
    std::vector<Change> ChangesOf(const SheetSetup& setup) {
        std::vector<Change> changes = {
            {"mail server", "Mail",
             [this] { Type(Control<QLineEdit>(MailPropertyPage::kIdServer), "smtp.example.test"); },
             "SMTP", 0x08, 64},
            {"FTP port", "FTP",
             [this] { Type(Control<QLineEdit>(FTPPropertyPage::kIdPort), "2121"); }, "FTP", 0x64,
             2},
            {"max users", "Account",
             [this] { Type(Control<QLineEdit>(AccountPropertyPage::kIdMaxUsers), "4"); }, "SECURE",
             0x02, 1},
            {"pictures per alarm", "Alarm",
             [this] { ChooseNext(Control<QComboBox>(AlarmPropertyPage::kIdPostNumber)); }, "ALARM",
             0x02, 1},
        };
        if (setup.product != "N25V") {
            // The N2xV's Network page is never applied.
            changes.push_back(
                {"static address", "Network",
                 [this] { Control<QRadioButton>(NetworkConfigPage::kIdStatic)->click(); }, "IP",
                 0x16, 1});
            changes.push_back(
                {"PPPoE password", "Network",
                 [this] {
                     Type(Control<QLineEdit>(NetworkConfigPage::kIdPppoePassword), "changed");
                 },
                 "PPPOE", WidePppoe(setup) ? 0x24u : 0x34u, WidePppoe(setup) ? 32u : 16u});
            changes.push_back(
                {"DNS server", "DDNS",
                 [this] {
                     Type(dynamic_cast<sheet::IPv4Edit*>(Control(CDNSPage::kIdDnsServer))->Field(3),
                          "54");
                 },
                 "DNS", 0x04, 4});
            changes.push_back({"dynamic DNS off", "DDNS",
                               [this] { Control<QRadioButton>(CDNSPage::kIdDisable)->click(); },
                               "SMTP", 0x05, 1});
        }
        if (setup.product == "P62K" || setup.product.starts_with("P5")) {
            changes.push_back(
                {"title", "General",
                 [this] { Type(Control<QLineEdit>(ToolBoxPropertyPage::kIdTitle), "NEWNAME"); },
                 "SYSTEM", 0x14, 16});
        }
        if (setup.product == "P62K") {
            changes.push_back(
                {"channel 2 name", "General",
                 [this] { Type(Control<QLineEdit>(ToolBoxPropertyPage::kIdCh2Name), "C2"); },
                 "RS485", 0x34, 8});
            changes.push_back({"peripheral 2 ID", "Peripheral",
                               [this] { Type(Control<QLineEdit>(CPeripheralPage::kIdId[1]), "9"); },
                               "PERI", 0x0D, 1});
        }
        if (setup.product == "P62K" || setup.product == "T18D") {
            changes.push_back({"time by user", "Server Time Config",
                               [this] { Control<QRadioButton>(CSNTPPage::kIdByUser)->click(); },
                               "SNTP", 0x06, 1});
        }
        if (setup.product.starts_with("P5")) {
            changes.push_back(
                {"timer slot 3 day", "Timer Record",
                 [this] { ChooseNext(Control<QComboBox>(TimerRecordPage::kIdFirstDay + 2)); },
                 "DVRREC", 0x57 + 2, 1});
            // Channel 1 holds a full title and values no list shows; channel 2 likewise.
            changes.push_back({"channel 1 brightness", "DVR",
                               [this] {
                                   EditRow(CameraPage::kIdList, CameraPage::kIdEdit, 0,
                                           CCameraEditDlg::kIdBrightness, "7",
                                           CCameraEditDlg::kIdOk);
                               },
                               "DVRLIVE", 0x004, 1});
            changes.push_back({"channel 2 ID", "Device",
                               [this] {
                                   EditRow(DevicePage::kIdList, DevicePage::kIdEdit, 1,
                                           CPTZDeviceEditDlg::kIdId, "42",
                                           CPTZDeviceEditDlg::kIdOk);
                               },
                               "RS485", 0x0C + 1, 1});
        }
        return changes;
    }

    // Selects `row` of a page's list, presses its edit button and answers the dialog: the
    // field `field` typed over with `text`, then OK.
    void EditRow(int list, int edit, int row, int field, const char* text, int ok) {
        sheet::SetChildDialogResponder([&](QDialog& dialog) {
            Type(ormidon::FindControl<QLineEdit>(&dialog, field), text);
            ormidon::FindControl<QPushButton>(&dialog, ok)->click();
            return dialog.result();
        });
        static_cast<sheet::ReportList*>(Control<QTreeWidget>(list))->SelectRow(row);
        Button(edit)->click();
        sheet::SetChildDialogResponder(nullptr);
    }

    std::map<std::string, std::string> stored;
};

const SheetSetup kFamilies[] = {
    {.product = "P51K", .firmware = "3050"},
    {.product = "P62K", .firmware = "1010"},
    {.product = "T18D", .firmware = "1006"},
    {.product = "N25V", .firmware = "1007"},
};

TEST_F(UntouchedValuesTest, AnApplyWithoutAChangeSendsNothing) {
    for (const SheetSetup& setup : kFamilies) {
        SCOPED_TRACE(setup.product + " " + setup.firmware);
        OpenAtTheEdges(setup);
        PressApply();
        for (const auto& [name, body] : Sent()) {
            SCOPED_TRACE(name);
            EXPECT_TRUE(name == "IP" && SendsIpAlways(setup));
            EXPECT_EQ(body, stored[name]);
        }
        EXPECT_TRUE(boxes.Ids().empty());
        sheet.reset();
    }
}

TEST_F(UntouchedValuesTest, OneChangedFieldIsTheOnlyDifferenceSent) {
    for (const SheetSetup& setup : kFamilies) {
        for (const Change& change : ChangesOf(setup)) {
            SCOPED_TRACE(setup.product + " " + setup.firmware + ": " + change.name);
            OpenAtTheEdges(setup);
            ASSERT_TRUE(ShowPage(change.page));
            change.act();
            PressApply();
            const std::map<std::string, std::string> sent = Sent();
            ASSERT_TRUE(sent.contains(change.section));
            for (const auto& [name, body] : sent) {
                SCOPED_TRACE(name);
                const std::string& before = stored[name];
                ASSERT_EQ(body.size(), before.size());
                if (name != change.section) {
                    EXPECT_TRUE(name == "IP" && SendsIpAlways(setup));
                    EXPECT_EQ(body, before);
                    continue;
                }
                for (std::size_t i = 0; i < body.size(); ++i) {
                    const bool inField = i >= change.offset && i < change.offset + change.width;
                    if (!inField) {
                        EXPECT_EQ(body[i], before[i]) << "byte " << i;
                    }
                }
                EXPECT_NE(body.substr(change.offset, change.width),
                          before.substr(change.offset, change.width));
            }
            sheet.reset();
        }
    }
}

}  // namespace
