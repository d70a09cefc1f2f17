#pragma once
// CFunctionBar: the six or seven function buttons of the main window's title area (connect,
// resolution, image quality, colour, snapshot, record, system configuration). It makes them
// for the device family, gives each the pictures the operator's user class allows, lays them
// out from right to left and sets their states for the owner.
//
// Threads: Create, LoadBitmaps, Arrange and Show run on the UI thread; SetButtonState may be
// called from any thread once the buttons exist (the button changes its state itself and
// repaints on the UI thread).
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "core/DeviceKindTable.h"

class CVtxButton;
class QWidget;

// Device families of the bar.
enum FunctionBarFamily : uint8_t {
    kFunctionFamilySingleDvr = 1,  // single-channel P5xK
    kFunctionFamilyMulti = 2,      // multi-channel P5xK, P62K and T18D
    kFunctionFamilyN2xV = 4,
};

// One row of the function buttons' table.
struct FunctionButton_Struct {
    KeyRect rcButton[kBitmapFamilyCount];  // per bitmap family of the display mode
    uint16_t wFamilyMask;                  // FunctionBarFamily bits
    uint16_t wTooltipId;
    // Eight groups of six names; group 0 when the user class may use the button, group 4
    // when not. Each group: normal and hover picture of state 0, of state 1, of state 2
    // (or flat, focus and selected for the three-picture form).
    const char* lpFiles[8][6];
    uint8_t byStyle;          // CVtxButton style
    uint8_t byUserClassMask;  // bit n: row n of UserClassTable may use it
    uint16_t wControlId;
    uint32_t dwPosition;  // row in the table
    uint32_t dwAction;    // the bit SetButtonState finds it by
};

constexpr int kFunctionButtonRows = 7;
extern const FunctionButton_Struct FunctionButtonTable[kFunctionButtonRows];

// Action bits of the rows.
enum FunctionAction : uint32_t {
    kActionConnect = 0x01,
    kActionResolution = 0x02,
    kActionQuality = 0x04,
    kActionColour = 0x08,
    kActionSnapshot = 0x10,
    kActionRecord = 0x20,
    kActionSystemConfig = 0x40,
};

class CFunctionBar {
  public:
    static constexpr int kMaxButtons = 10;

    CFunctionBar() = default;
    ~CFunctionBar();
    CFunctionBar(const CFunctionBar&) = delete;
    CFunctionBar& operator=(const CFunctionBar&) = delete;

    // The window the buttons are made in and what a press runs (with the button's control
    // id). UI thread, before Create.
    void Attach(QWidget* owner, std::function<void(int controlId)> onCommand);

    // Makes the buttons of the product's family at the display mode's places. 1, or 0 for a
    // product of no known family (nothing is made).
    int Create(std::string_view productId);
    // Loads each button's pictures: the allowed ones for the user class, else the refused
    // ones, and then the button is disabled. Returns 1.
    int LoadBitmaps();
    // Places the buttons from right to left, the last at the first row's rectangle.
    int Arrange();
    // 1 shows the buttons, 0 hides them, any other value does nothing.
    int Show(int show);
    // The first button whose row's action bit is in `actionMask` gets state `state`.
    // Returns 1.
    int SetButtonState(uint32_t actionMask, uint8_t state);

    uint8_t ButtonCount() const { return m_byButtonCount; }
    uint8_t FamilyBit() const { return m_byFamilyBit; }
    // Button `i` in creation order, nullptr past the buttons made.
    CVtxButton* Button(int i) const;
    // The first button whose row has `controlId`, or nullptr.
    CVtxButton* ButtonById(int controlId) const;

  private:
    static int Slot();

    uint8_t m_byButtonCount = 0;
    uint8_t m_byFamilyBit = 0;
    QPointer<QWidget> m_owner;
    std::function<void(int)> m_onCommand;
    std::array<QPointer<CVtxButton>, kMaxButtons> m_btnFunction;
    std::array<const FunctionButton_Struct*, kMaxButtons> m_rows{};
};
