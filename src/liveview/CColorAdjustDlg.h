#pragma once
// CColorAdjustDlg: the small skinned modal window in which the operator sets the
// brightness, contrast and hue of the connected device's picture. Each value has a row of
// a picture label, a slider and a number field kept in step; Apply (and Enter) sends all
// three with "/SetColor.cgi" and keeps the window open, OK, the close button and Escape
// close it without sending, Default puts the fixed defaults into the rows.
//
// The opener reads the device's values, sets m_nBrightness, m_nContrast and m_nHue and
// runs the window with exec(); the result is not used. UI thread only.
#include <QImage>
#include <array>
#include <cstdint>
#include <string>

#include "platform/window/SkinnedDialog.h"

class CVtxButton;
class QLineEdit;
class QSlider;

// One row label: its rectangle, control id, tooltip string and picture.
struct ColorLabelButton_Struct {
    uint16_t left;
    uint16_t top;
    uint16_t right;
    uint16_t bottom;
    uint16_t wControlId;
    uint16_t wTooltipId;
    const char* lpBitmapFile;
};

extern const std::array<ColorLabelButton_Struct, 3> ColorLabelButtonTable;

class CColorAdjustDlg : public ormidon::SkinnedDialog {
    Q_OBJECT
  public:
    static constexpr int kIdApply = 1;
    static constexpr int kIdOK = 2;
    static constexpr int kIdDefault = 1306;
    static constexpr int kIdClose = 8300;
    static constexpr int kIdSliderBrightness = 1313;
    static constexpr int kIdSliderContrast = 1315;
    static constexpr int kIdSliderHue = 1316;
    static constexpr int kIdEditBrightness = 1040;
    static constexpr int kIdEditContrast = 1041;
    static constexpr int kIdEditHue = 1042;

    // Builds the controls of the window; OnInitDialog places and fills them.
    explicit CColorAdjustDlg(QWidget* parent = nullptr);
    ~CColorAdjustDlg() override;

    // The device's values: set by the opener before the run, overwritten by Apply with the
    // values it sends.
    int m_nBrightness = 0;
    int m_nContrast = 0;
    int m_nHue = 0;

    // Runs OnInitDialog, then the window modally.
    int DoModal();

    // Skin, geometry, sliders and the shown values; 1 when every step ran, 0 when a skin
    // picture could not be loaded (the window then shows without its values and refuses
    // Apply).
    int OnInitDialog();

    // Slider moved (line, page or thumb): the row's number follows, within 0 to 255.
    void OnHScroll(int sliderId);
    // A number field changed: its digits are read (clamped to 0 to 255) and the slider
    // follows; a field without digits gets its last value back.
    void OnChangeBrightness();
    void OnChangeContrast();
    void OnChangeHue();
    void OnDefault();
    void OnTitleClose();

  protected:
    void OnOK() override;  // Apply
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Row {
        int* slider;  // slider position
        int* edit;    // number-field value
        QSlider* sliderControl;
        QLineEdit* editControl;
    };

    void OnChangeRow(Row& row);
    // Fields into the controls, and the controls back into the fields.
    void ExchangeToControls();
    void ExchangeFromControls();

    int m_nSliderBrightness = 0;
    int m_nSliderContrast = 0;
    int m_nSliderHue = 0;
    int m_nEditBrightness = 0;
    int m_nEditContrast = 0;
    int m_nEditHue = 0;

    CVtxButton* m_btnApply = nullptr;
    CVtxButton* m_btnOK = nullptr;
    CVtxButton* m_btnDefault = nullptr;
    CVtxButton* m_btnClose = nullptr;
    std::array<CVtxButton*, 3> m_btnLabel{};
    std::array<Row, 3> m_rows;

    std::array<QImage, 9> m_skin;
    // Set once the shown values were taken from the device's; until then Apply would
    // send values the device never had.
    bool m_bValuesShown = false;
    // True while the fields are written into the controls, so that the controls' change
    // notices do not feed back into the fields half-way.
    bool m_bExchanging = false;
};
