#pragma once
// The "Edit" dialog of one channel on the Camera page: its title, the four picture
// adjustments and the COV and REC switches. The page sets the members before it runs the
// dialog and reads them after OK.
#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;

namespace sheet {
class DigitEdit;
}

class CCameraEditDlg : public QDialog {
  public:
    static constexpr int kIdNumber = 1433;
    static constexpr int kIdTitle = 1439;
    static constexpr int kIdBrightness = 1434;
    static constexpr int kIdContrast = 1435;
    static constexpr int kIdSaturation = 1436;
    static constexpr int kIdHue = 1438;
    static constexpr int kIdCov = 1195;
    static constexpr int kIdRec = 1196;
    static constexpr int kIdOk = 1;
    static constexpr int kTitleChars = 6;
    static constexpr uint32_t kMsgTitleTooLong = 4112;

    explicit CCameraEditDlg(QWidget* parent = nullptr);

    // Moves the members into the controls (save false) or the controls' values back.
    void UpdateData(bool save);

    // What the title field keeps of a typed text: 0-9 and A-Z, small letters raised.
    static QString FilterTitle(const QString& text);

    QString m_strNumber;
    QString m_strTitle;
    int m_nBrightness = 0;
    int m_nContrast = 0;
    int m_nSaturation = 0;
    int m_nHue = 0;
    int m_nCov = -1;
    int m_nRec = -1;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void OnOK();
    void OnTitleEdited();

    QLabel* m_labelNumber = nullptr;
    QLineEdit* m_editTitle = nullptr;
    sheet::DigitEdit* m_editBrightness = nullptr;
    sheet::DigitEdit* m_editContrast = nullptr;
    sheet::DigitEdit* m_editSaturation = nullptr;
    sheet::DigitEdit* m_editHue = nullptr;
    QComboBox* m_comboCov = nullptr;
    QComboBox* m_comboRec = nullptr;
    // Message 4112 was shown for the characters refused since the title was last short.
    bool m_bRefusalShown = false;
    bool m_bInitialised = false;
};
