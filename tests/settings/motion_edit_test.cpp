// The motion-grid editor: the grid's bit layout and drawing, and the dialog with frames fed
// through the preview hand-shake: clicks, drags, the whole-grid buttons, the row heights of
// both television standards, the number fields and the preview thread's end.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "../support/EngineHarness.h"
#include "../support/MotionPreviewFeed.h"
#include "core/AppObject.h"
#include "platform/window/ControlId.h"
#include "platform/window/testing/WindowTesting.h"
#include "settings/CMotionEditDlg.h"
#include "settings/MotionGrid.h"

namespace {

using namespace motiongrid;

// Cells (row, column) set in a grid.
std::vector<std::pair<int, int>> SetCells(const Grid& grid) {
    std::vector<std::pair<int, int>> cells;
    for (int cell = 0; cell < kCells; ++cell)
        if (Cell(grid, cell)) cells.emplace_back(cell / kColumns, cell % kColumns);
    return cells;
}

std::vector<std::pair<int, int>> Block(int row0, int column0, int row1, int column1) {
    std::vector<std::pair<int, int>> cells;
    for (int row = row0; row <= row1; ++row)
        for (int column = column0; column <= column1; ++column) cells.emplace_back(row, column);
    return cells;
}

TEST(MotionGridTest, RowsAreBigEndianWordsAndCellsOutsideAreIgnored) {
    Grid grid{};
    SetCell(grid, 0 * 16 + 0, true);   // row 0, column 0: byte 1 bit 0
    SetCell(grid, 0 * 16 + 15, true);  // row 0, column 15: byte 0 bit 7
    SetCell(grid, 11 * 16 + 9, true);  // row 11, column 9: byte 22 bit 1
    SetCell(grid, 12 * 16 + 0, true);  // past the grid: nothing
    SetCell(grid, -1, true);
    Grid expected{};
    expected[0] = 0x80;
    expected[1] = 0x01;
    expected[22] = 0x02;
    EXPECT_EQ(grid, expected);
    ToggleCell(grid, 15);
    EXPECT_EQ(grid[0], 0);
    EXPECT_FALSE(Cell(grid, 192));
}

TEST(MotionGridTest, LeftOutCellsAreTintedAndFramedAndMarksFramedBlue) {
    // A 32 x 24 grey picture: cells of 2 x 2 pixels.
    constexpr int w = 32, h = 24;
    std::vector<uint8_t> pixels(w * h * 3, 200);
    Grid area{}, marks{};
    SetCell(area, 0, true);  // top-left cell, the last rows of the bottom-up buffer
    SetCell(marks, 1, true);
    DrawAreaGrid(pixels, w, h, area, marks);
    const auto at = [&](int x, int yFromTop) {
        const uint8_t* p = pixels.data() + ((h - 1 - yFromTop) * w + x) * 3;
        return std::vector<int>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(at(0, 0), (std::vector<int>{0, 255, 255}));  // a 2 x 2 cell is all frame
    EXPECT_EQ(at(2, 0), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(at(4, 0), (std::vector<int>{200, 200, 200}));

    // A cell large enough to have an inside: tinted.
    constexpr int W = 64, H = 48;
    std::vector<uint8_t> big(W * H * 3, 200);
    DrawAreaGrid(big, W, H, area, Grid{});
    const uint8_t* inside = big.data() + ((H - 1 - 1) * W + 1) * 3;
    EXPECT_EQ(inside[0], 200 * 155 / 255);
    EXPECT_EQ(inside[2], 100 + 200 * 155 / 255);

    // A picture larger than its bytes is left alone.
    std::vector<uint8_t> small(10, 7);
    DrawAreaGrid(small, W, H, area, marks);
    EXPECT_EQ(small, std::vector<uint8_t>(10, 7));
}

TEST(MotionGridTest, WidePicturesAreHalved) {
    int width = 640, height = 4;
    std::vector<uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); i += 3) {
        const auto pixel = i / 3;
        pixels[i] = static_cast<uint8_t>(pixel % 640 % 256);
        pixels[i + 1] = static_cast<uint8_t>(pixel / 640);
    }
    HalveWide(pixels, width, height, 320);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(pixels[3 * 5], 10);             // row 0, pixel 5 from pixel 10
    EXPECT_EQ(pixels[3 * (320 + 5) + 1], 2);  // row 1 from line 2
    int narrow = 320, rows = 4;
    HalveWide(pixels, narrow, rows, 320);
    EXPECT_EQ(narrow, 320);
    EXPECT_EQ(rows, 4);
}

class MotionEditTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        app.lp_CopyImageBuffer = std::make_unique<uint8_t[]>(kImageBufferSize);
        app.w_ImageWidth = 320;
        app.w_ImageHeight = 240;
    }
    // A dialog shown, set up, with one frame of the channel's picture taken.
    std::unique_ptr<CMotionEditDlg> OpenWithPreview(uint8_t videoMode = 1) {
        app.by_VideoMode = videoMode;
        auto dialog = std::make_unique<CMotionEditDlg>();
        dialog->m_strNumber = " 3";
        dialog->show();
        dialog->OnSetup();
        EXPECT_TRUE(ormidon::test::FeedPreviewFrame(app, ormidon::test::ChannelPicture(320, 240, 3),
                                                    320, 240));
        EXPECT_TRUE(
            ormidon::testing::ProcessEventsUntil([&] { return dialog->IsPreviewActive(); }, 2000));
        return dialog;
    }
    // The middle of cell (row, column), or a point given by its offset in the preview.
    static QPoint CellPoint(const CMotionEditDlg& dialog, int row, int column) {
        const QRect preview = dialog.PreviewRect();
        return {preview.left() + 20 * column + 10,
                preview.top() + dialog.CellHeight() * row + dialog.CellHeight() / 2};
    }
    static void Send(QWidget* widget, QEvent::Type type, QPoint point) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(point), widget->mapToGlobal(QPointF(point)), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }
    static void Drag(CMotionEditDlg& dialog, QPoint from, QPoint to) {
        Send(&dialog, QEvent::MouseButtonPress, from);
        Send(&dialog, QEvent::MouseMove, from);
        Send(&dialog, QEvent::MouseMove, to);
        Send(&dialog, QEvent::MouseButtonRelease, to);
    }
    static void Click(CMotionEditDlg& dialog, QPoint at) {
        Send(&dialog, QEvent::MouseButtonPress, at);
        Send(&dialog, QEvent::MouseButtonRelease, at);
    }

    ormidon::test::AppRecordScope scope;
    CAppObject& app = scope.App();
};

TEST_F(MotionEditTest, BeforeSetupThePointerDoesNothingAndSetupGrowsTheDialogOnce) {
    app.by_VideoMode = 1;
    CMotionEditDlg dialog;
    dialog.show();
    const int height = dialog.height();
    Click(dialog, QPoint(200, 150));
    EXPECT_EQ(dialog.m_byArea, Grid{});
    auto* selectAll = ormidon::FindControl<QPushButton>(&dialog, CMotionEditDlg::kIdSelectAll);
    EXPECT_FALSE(selectAll->isVisible());
    ormidon::FindControl<QPushButton>(&dialog, CMotionEditDlg::kIdSetup)->click();
    EXPECT_EQ(dialog.height(), height + 276 + 20);
    EXPECT_TRUE(selectAll->isVisible());
    EXPECT_FALSE(ormidon::FindControl<QPushButton>(&dialog, CMotionEditDlg::kIdSetup)->isEnabled());
    dialog.OnSetup();
    EXPECT_EQ(dialog.height(), height + 276 + 20);
}

TEST_F(MotionEditTest, DragsToggleTheCellsTheirRectangleMeetsAndClicksOneCell) {
    auto dialog = OpenWithPreview();
    const QRect preview = dialog->PreviewRect();
    struct Case {
        const char* name;
        QPoint start;
        QPoint end;
        std::vector<std::pair<int, int>> toggled;
    };
    const QPoint start = CellPoint(*dialog, 2, 3);
    const QPoint far = CellPoint(*dialog, 4, 5);
    const Case cases[] = {
        {"inside", start, far, Block(2, 3, 4, 5)},
        {"on a column border", start, QPoint(preview.left() + 20 * 6, far.y()), Block(2, 3, 4, 6)},
        {"on a row border", start, QPoint(far.x(), preview.top() + 23 * 5), Block(2, 3, 5, 5)},
        // The same borders reached going left and up.
        {"left onto a column border", far, QPoint(preview.left() + 20 * 3, start.y()),
         Block(2, 2, 4, 5)},
        {"up onto a row border", far, QPoint(start.x(), preview.top() + 23 * 2), Block(1, 3, 4, 5)},
        // Pressed on a border pixel, dragged away to the left: the pressed cell stays in.
        {"from a column border leftwards", QPoint(preview.left() + 20 * 6, far.y()), start,
         Block(2, 3, 4, 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog->m_byArea = Grid{};
        Drag(*dialog, c.start, c.end);
        EXPECT_EQ(SetCells(dialog->m_byArea), c.toggled);
        EXPECT_EQ(dialog->m_byMarks, Grid{});
        EXPECT_EQ(dialog->MouseState(), CMotionEditDlg::kIdle);
    }
    dialog->m_byArea = Grid{};
    Drag(*dialog, CellPoint(*dialog, 2, 3), CellPoint(*dialog, 4, 5));
    Drag(*dialog, CellPoint(*dialog, 3, 4), CellPoint(*dialog, 3, 4) + QPoint(1, 1));
    EXPECT_FALSE(Cell(dialog->m_byArea, 3 * 16 + 4));

    dialog->m_byArea = Grid{};
    Click(*dialog, CellPoint(*dialog, 7, 9));
    EXPECT_EQ(SetCells(dialog->m_byArea), (std::vector<std::pair<int, int>>{{7, 9}}));
    Click(*dialog, CellPoint(*dialog, 7, 9));
    EXPECT_EQ(dialog->m_byArea, Grid{});

    // A press released outside the grid ends without a toggle.
    Send(dialog.get(), QEvent::MouseButtonPress, CellPoint(*dialog, 1, 1));
    Send(dialog.get(), QEvent::MouseButtonRelease, QPoint(2, 2));
    EXPECT_EQ(dialog->MouseState(), CMotionEditDlg::kIdle);
    EXPECT_EQ(dialog->m_byArea, Grid{});

    // Hovering marks the cell under the pointer; leaving the grid clears it.
    Send(dialog.get(), QEvent::MouseMove, CellPoint(*dialog, 0, 0));
    EXPECT_EQ(SetCells(dialog->m_byMarks), (std::vector<std::pair<int, int>>{{0, 0}}));
    Send(dialog.get(), QEvent::MouseMove, QPoint(2, 2));
    EXPECT_EQ(dialog->m_byMarks, Grid{});

    ormidon::FindControl<QPushButton>(dialog.get(), CMotionEditDlg::kIdClearAll)->click();
    Grid all;
    all.fill(0xFF);
    EXPECT_EQ(dialog->m_byArea, all);
    ormidon::FindControl<QPushButton>(dialog.get(), CMotionEditDlg::kIdSelectAll)->click();
    EXPECT_EQ(dialog->m_byArea, Grid{});
}

TEST_F(MotionEditTest, RowsFollowTheDrawnGridAndPointsBelowItAreIgnored) {
    struct Case {
        uint8_t videoMode;
        int rowHeight;
        int displayHeight;
    };
    for (const Case& c : {Case{1, 23, 276}, Case{0, 19, 228}}) {
        SCOPED_TRACE(c.rowHeight);
        // The standard of the picture shown may differ from the device's.
        app.by_CurrentVideoMode = c.videoMode != 0 ? 0 : 1;
        auto dialog = OpenWithPreview(c.videoMode);
        EXPECT_EQ(dialog->CellHeight(), c.rowHeight);
        const QRect preview = dialog->PreviewRect();
        EXPECT_EQ(preview.height(), c.displayHeight);
        Click(*dialog, QPoint(preview.left() + 5, preview.top() + c.rowHeight * 11));
        Click(*dialog, QPoint(preview.left() + 5, preview.top() + c.rowHeight * 12 + 2));
        Click(*dialog, QPoint(preview.left() + 5, preview.top() + c.rowHeight * 14 + 2));
        EXPECT_EQ(SetCells(dialog->m_byArea), (std::vector<std::pair<int, int>>{{11, 0}}));
    }
}

TEST_F(MotionEditTest, NumberFieldsClampAndAnEmptiedFieldKeepsItsValue) {
    CMotionEditDlg dialog;
    dialog.m_nLs = 4;
    dialog.show();
    const auto type = [&](int id, const char* text) {
        auto* edit = ormidon::FindControl<QLineEdit>(&dialog, id);
        edit->clear();
        QTest::keyClicks(edit, text);
        return edit->text();
    };
    EXPECT_EQ(type(CMotionEditDlg::kIdLs, "99"), "15");
    EXPECT_EQ(type(CMotionEditDlg::kIdRe, "99"), "61");
    EXPECT_EQ(type(CMotionEditDlg::kIdTs, "7"), "7");
    ormidon::FindControl<QLineEdit>(&dialog, CMotionEditDlg::kIdSs)->clear();
    dialog.m_nSs = 9;
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.m_nLs, 15);
    EXPECT_EQ(dialog.m_nRe, 61);
    EXPECT_EQ(dialog.m_nTs, 7);
    EXPECT_EQ(dialog.m_nSs, 9);
}

TEST_F(MotionEditTest, AnOversizedCopyIsRefusedAndClosingEndsTheThread) {
    app.by_VideoMode = 1;
    auto dialog = std::make_unique<CMotionEditDlg>();
    dialog->show();
    dialog->OnSetup();
    // A size whose pixels do not fit the copy buffer.
    ASSERT_TRUE(ormidon::test::FeedPreviewFrame(app, {}, 2000, 1000));
    // The preview asks again without having taken it.
    ASSERT_TRUE(
        ormidon::testing::ProcessEventsUntil([&] { return app.f_CopyImageRequest != 0; }, 2000));
    EXPECT_FALSE(dialog->IsPreviewActive());
    // A 640-wide picture is taken halved.
    ASSERT_TRUE(
        ormidon::test::FeedPreviewFrame(app, ormidon::test::ChannelPicture(640, 480, 1), 640, 480));
    ASSERT_TRUE(
        ormidon::testing::ProcessEventsUntil([&] { return dialog->IsPreviewActive(); }, 2000));
    const std::size_t threadsWithPreview = ormidon::test::CountProcEntries("/proc/self/task");
    dialog.reset();
    // The thread ended and was joined: it is gone, and it asks for no more frames.
    EXPECT_LT(ormidon::test::CountProcEntries("/proc/self/task"), threadsWithPreview);
    EXPECT_EQ(app.f_CopyImageRequest, 0);
}

TEST_F(MotionEditTest, TheEditorAfterSetupIsDrawnWithTheLiveChannel) {
    auto dialog = OpenWithPreview();
    Drag(*dialog, CellPoint(*dialog, 1, 1), CellPoint(*dialog, 3, 4));
    Send(dialog.get(), QEvent::MouseMove, CellPoint(*dialog, 8, 10));
    ormidon::testing::ProcessEventsFor(10);
    const QImage shot = ormidon::testing::GrabWindow(dialog.get());
    // A left-out cell's frame is yellow on the picture.
    const QRect preview = dialog->PreviewRect();
    EXPECT_EQ(shot.pixelColor(preview.left() + 20, preview.top() + 23 + 5), QColor(255, 255, 0));
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(dialog.get(), "settings-motion-grid").empty());
}

}  // namespace
