#pragma once
// "Mail Account Edit": one alarm e-mail address, typed or changed, for the Mail page.
// OK refuses an address that the device could not keep: its stored form (name and address
// in angle brackets) has to fit an entry of the alarm list.
#include <QDialog>
#include <QString>

class QLineEdit;

class CMailAccountEditDlg : public QDialog {
  public:
    static constexpr int kIdPrompt = 1274;
    static constexpr int kIdAddress = 1040;
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kMaxAddressChars = 63;
    static constexpr const char* kTooLongText =
        "This e-mail address is too long for the device.\nThe device keeps at most 47 "
        "characters for a name and address.";

    CMailAccountEditDlg(const QString& prompt, const QString& address, QWidget* parent);
    QString Address() const { return m_address; }

    void OnOK();

  private:
    QLineEdit* m_edit = nullptr;
    QString m_address;
};
