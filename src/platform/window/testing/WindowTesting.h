#pragma once
// What window tests share: the Qt application of the test program, a fixture that makes
// sure it exists, and grabbing what a window shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <filesystem>
#include <string_view>

class QWidget;

namespace ormidon::testing {

// The test program's application object, created on first use on the calling thread
// (which becomes the UI thread) and deleted when the test program ends.
QApplication& TestApplication();

// Base fixture of window tests.
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { TestApplication(); }
};

// Runs the UI thread's queued events until `done` holds or `limitMs` passes (real time:
// only a failing test waits the whole limit). True when `done` held.
template <typename Condition>
bool ProcessEventsUntil(Condition done, int limitMs = 5000);

// What `window` shows, in 32-bit RGB, painted the way the screen would get it.
QImage GrabWindow(QWidget* window);

// Saves what `window` shows as `name`.png in the build's screenshot folder for people to
// review; returns the file written (empty on failure).
std::filesystem::path SaveScreenshot(QWidget* window, std::string_view name);

void ProcessEventsFor(int milliseconds);

template <typename Condition>
bool ProcessEventsUntil(Condition done, int limitMs) {
    for (int waited = 0; !done(); waited += 5) {
        if (waited >= limitMs) return false;
        ProcessEventsFor(5);
    }
    return true;
}

}  // namespace ormidon::testing
