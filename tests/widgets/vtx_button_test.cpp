#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../support/SkinFileOfColour.h"
#include "platform/window/testing/WindowTesting.h"
#include "widgets/CVtxButton.h"

namespace {

namespace fs = std::filesystem;

constexpr QRgb kBehind = 0xFF00FF;  // the window behind the button; no skin colour

// A button on a window filled with kBehind, its pictures from the test-colour skin, so
// the colour at the button's place tells which file it shows.
class VtxButtonTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        previous_ = fs::current_path();
        fs::current_path(ORMIDON_TEST_SKIN_DIR);  // "BMP\..." is found here first
        window_ = std::make_unique<QWidget>();    // widgets need the application first
        window_->resize(100, 100);
        QPalette palette;
        palette.setColor(QPalette::Window, QColor::fromRgb(kBehind));
        window_->setPalette(palette);
        window_->setAutoFillBackground(true);
        button_ = new CVtxButton(window_.get());
        button_->setGeometry(10, 10, 26, 26);
        window_->show();
        QObject::connect(button_, &QAbstractButton::clicked,
                         [this] { clicks_.push_back(Shown()); });
    }
    void TearDown() override {
        window_.reset();
        fs::current_path(previous_);
    }

    // The file whose colour the button shows: its name, or "" for nothing drawn.
    std::string Shown() {
        const QRgb colour = ormidon::testing::GrabWindow(window_.get()).pixel(15, 15) & 0xFFFFFF;
        if (colour == kBehind) return "";
        return ormidon::test::SkinFileOfColour(colour).value_or("?");
    }

    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(button_->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(button_, &event);
    }

    // One step of a mouse sequence.
    void Act(char step) {
        const QPoint inside(5, 5), outside(60, 60);
        switch (step) {
            case 'e': {  // the pointer enters
                const QPointF at(inside);
                QEnterEvent enter(at, at, QPointF(button_->mapToGlobal(inside)));
                QCoreApplication::sendEvent(button_, &enter);
                Send(QEvent::MouseMove, inside, Qt::NoButton, Qt::NoButton);
                break;
            }
            case 'l': {  // the pointer leaves
                QEvent leave(QEvent::Leave);
                QCoreApplication::sendEvent(button_, &leave);
                break;
            }
            case 'd':  // left button down over the button
                Send(QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
                break;
            case 'o':  // dragged off while held
                Send(QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
                break;
            case 'i':  // dragged back on while held
                Send(QEvent::MouseMove, inside, Qt::NoButton, Qt::LeftButton);
                break;
            case 'u':  // released over the button
                Send(QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
                break;
            case 'U':  // released elsewhere
                Send(QEvent::MouseButtonRelease, outside, Qt::LeftButton, Qt::NoButton);
                break;
        }
    }

    fs::path previous_;
    std::unique_ptr<QWidget> window_;
    CVtxButton* button_ = nullptr;
    std::vector<std::string> clicks_;  // what the button showed as each click arrived
};

const char* const kFlat = "BMP\\snapshoot.bmp";
const char* const kFocus = "BMP\\snapshoot_over.bmp";
const char* const kSelected = "BMP\\snapshoot_down.bmp";
const std::string F = "BMP/snapshoot.bmp", O = "BMP/snapshoot_over.bmp",
                  S = "BMP/snapshoot_down.bmp";

TEST_F(VtxButtonTest, ThreePictureStylesFollowThePointerAndTheButton) {
    struct Case {
        uint16_t style;
        const char* steps;
        std::vector<std::string> shown;  // after each step
        std::vector<std::string> clicks;
    };
    const Case cases[] = {
        // 0x01: focus while pointed at, never a pressed picture.
        {0x01, "edul", {O, O, O, F}, {O}},
        // 0x02: no hover; selected while held, even dragged off; a click only on release over it.
        {0x02, "edoUl", {F, S, S, F, F}, {}},
        {0x02, "edul", {F, S, F, F}, {F}},
        // 0x20: focus while pointed at, selected while held over it, flat when dragged off.
        {0x20, "edoiul", {O, S, F, S, O, F}, {O}},
        {0x20, "edoUl", {O, S, F, F, F}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << " steps " << c.steps);
        clicks_.clear();
        ASSERT_EQ(button_->LoadButtonBitmap(kFlat, kFocus, kSelected, c.style), 1);
        EXPECT_EQ(Shown(), F);
        std::vector<std::string> shown;
        for (const char* step = c.steps; *step != '\0'; ++step) {
            Act(*step);
            shown.push_back(Shown());
        }
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(clicks_, c.clicks);
    }
}

TEST_F(VtxButtonTest, OwnerDrivenStatesShowTheirPictureAndHoverPicture) {
    const char* const files[] = {"BMP\\link.bmp", "BMP\\link_over.bmp", "BMP\\link_off.bmp",
                                 "BMP\\link_off_over.bmp"};
    ASSERT_EQ(button_->LoadButtonBitmap(2, files, CVtxButton::kStyleStates), 1);
    EXPECT_EQ(Shown(), "BMP/link.bmp");
    EXPECT_EQ(button_->SetState(1), 1);
    EXPECT_EQ(Shown(), "BMP/link_off.bmp");
    Act('e');
    EXPECT_EQ(Shown(), "BMP/link_off_over.bmp");
    Act('d');
    Act('u');
    EXPECT_EQ(clicks_, std::vector<std::string>{"BMP/link_off_over.bmp"});  // the owner decides
    Act('l');
    EXPECT_EQ(Shown(), "BMP/link_off.bmp");
    EXPECT_EQ(button_->SetState(5), 1);  // no state 5: the state stays
    EXPECT_EQ(button_->SetState(-1), 1);
    EXPECT_EQ(button_->GetState(), 1);
    EXPECT_EQ(Shown(), "BMP/link_off.bmp");
}

TEST_F(VtxButtonTest, ACyclingButtonStepsOnEachPressBeforeTheClickArrives) {
    const char* const files[] = {"BMP\\high.bmp",     "BMP\\mid_over.bmp", "BMP\\mid.bmp",
                                 "BMP\\low_over.bmp", "BMP\\low.bmp",      "BMP\\high_over.bmp"};
    ASSERT_EQ(button_->LoadButtonBitmap(3, files, CVtxButton::kStyleCycle), 1);
    Act('e');
    EXPECT_EQ(Shown(), "BMP/mid_over.bmp");  // the hover picture shows the next state
    std::vector<int> states;
    for (int press = 0; press < 3; ++press) {
        Act('d');
        states.push_back(button_->GetState());
        Act('u');
    }
    EXPECT_EQ(states, (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(clicks_, (std::vector<std::string>{"BMP/low_over.bmp", "BMP/high_over.bmp",
                                                 "BMP/mid_over.bmp"}));
    Act('d');
    EXPECT_EQ(Shown(), "BMP/mid.bmp");  // held: the state just stepped to
    Act('o');
    Act('U');
    EXPECT_EQ(clicks_.size(), 3u);
}

TEST_F(VtxButtonTest, ASinglePictureButtonShowsItAlways) {
    ASSERT_EQ(button_->LoadButtonBitmap("BMP\\LOGIN\\name.BMP", CVtxButton::kStyleSingle), 1);
    for (char step : std::string("edul")) {
        Act(step);
        EXPECT_EQ(Shown(), "BMP/LOGIN/name.BMP");
    }
    EXPECT_EQ(clicks_.size(), 1u);
}

TEST_F(VtxButtonTest, MissingPicturesDrawNothingAndLeaveTheStyle) {
    EXPECT_EQ(Shown(), "");               // nothing loaded: the window behind shows
    EXPECT_EQ(button_->SetState(0), -1);  // no state pictures yet
    EXPECT_EQ(button_->LoadButtonBitmap(kFlat, "BMP\\missing.bmp", kSelected, 0x20), 0);
    EXPECT_EQ(button_->GetStyle(), 0);
    EXPECT_FALSE(button_->IsLoaded());
    EXPECT_EQ(Shown(), F);  // what loaded before the failure stays

    ASSERT_EQ(button_->LoadButtonBitmap("BMP\\LOGIN\\name.BMP", CVtxButton::kStyleSingle), 1);
    EXPECT_EQ(button_->LoadButtonBitmap("BMP\\missing.bmp", 0x02), 0);
    EXPECT_EQ(button_->GetStyle(), CVtxButton::kStyleSingle);
    EXPECT_EQ(Shown(), "");              // its picture is empty now
    EXPECT_EQ(button_->SetState(0), 1);  // the state array exists, with an empty picture

    const char* const tooFew[] = {"BMP\\link.bmp", "BMP\\link_over.bmp", "BMP\\link_off.bmp"};
    EXPECT_EQ(button_->LoadButtonBitmap(2, tooFew, CVtxButton::kStyleStates), 0);
    const char* const withNull[] = {"BMP\\link.bmp", nullptr};
    EXPECT_EQ(button_->LoadButtonBitmap(1, withNull, CVtxButton::kStyleStates), 0);
    EXPECT_EQ(button_->GetStyle(), CVtxButton::kStyleSingle);
}

TEST_F(VtxButtonTest, LoadingAgainReplacesThePictures) {
    ASSERT_EQ(button_->LoadButtonBitmap(kFlat, kFocus, kSelected, 0x02), 1);
    ASSERT_EQ(button_->LoadButtonBitmap("BMP\\power.bmp", "BMP\\power_over.bmp",
                                        "BMP\\power_down.bmp", 0x02),
              1);
    EXPECT_EQ(Shown(), "BMP/power.bmp");
    Act('d');
    EXPECT_EQ(Shown(), "BMP/power_down.bmp");
    Act('u');
    EXPECT_TRUE(button_->IsLoaded());
    EXPECT_EQ(button_->LoadButtonBitmap(kFlat, "BMP\\missing.bmp", kSelected, 0x20), 0);
    EXPECT_TRUE(button_->IsLoaded());  // loaded once stays so
    EXPECT_EQ(button_->GetStyle(), 0x02);
}

TEST_F(VtxButtonTest, AWorkerSetsTheStateAndTheUiThreadRepaints) {
    const char* const files[] = {"BMP\\Record_Button.bmp", "BMP\\Record_Button_over.bmp",
                                 "BMP\\Recording_Button.bmp", "BMP\\Recording_Button_over.bmp"};
    ASSERT_EQ(button_->LoadButtonBitmap(2, files, CVtxButton::kStyleStates), 1);
    ormidon::testing::ProcessEventsFor(5);
    int painted = 0;
    struct PaintCounter : QObject {
        int* count;
        explicit PaintCounter(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++*count;
            return false;
        }
    } counter(&painted);
    button_->installEventFilter(&counter);

    std::thread worker([this] { EXPECT_EQ(button_->SetState(1), 1); });
    worker.join();
    EXPECT_EQ(button_->GetState(), 1);
    EXPECT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return painted > 0; }));
    EXPECT_EQ(Shown(), "BMP/Recording_Button.bmp");
    button_->removeEventFilter(&counter);
}

}  // namespace
