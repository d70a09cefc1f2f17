#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "platform/window/ControlId.h"
#include "platform/window/testing/WindowTesting.h"

namespace ormidon {
namespace {

using ControlIdTest = testing::WindowTest;

TEST_F(ControlIdTest, ControlsAreFoundByTheirNumericId) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* group = new QWidget(&window);
    auto* button = new QPushButton(group);  // a grandchild is found too
    SetControlId(edit, 1040);
    SetControlId(button, 8311);

    EXPECT_EQ(ControlIdOf(edit), 1040);
    EXPECT_EQ(ControlIdOf(group), 0);
    EXPECT_EQ(FindControl(&window, 1040), edit);
    EXPECT_EQ(FindControl<QPushButton>(&window, 8311), button);
    EXPECT_EQ(FindControl<QPushButton>(&window, 1040), nullptr);  // wrong kind of control
    EXPECT_EQ(FindControl(&window, 1043), nullptr);
    EXPECT_EQ(FindControl(&window, 0), nullptr);
}

}  // namespace
}  // namespace ormidon
