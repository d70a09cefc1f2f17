#pragma once
// "Confirm Authority": asks for the user name and password that a device's network
// settings are changed or reset with. Each text holds at most 15 characters; the
// password is typed masked.
#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;

class CConfirmAuthorityDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdUser = 1040;
    static constexpr int kIdPassword = 1043;
    static constexpr int kMaxText = 15;

    explicit CConfirmAuthorityDialog(QWidget* parent = nullptr);

    // Runs the window: 1 (OK, the texts then read from the edits) or 2 (CANCEL, Escape,
    // close).
    int DoModal();

    std::string m_strConfirmUser;
    std::string m_strConfirmPassword;

    // When set, DoModal shows the window and hands it to `answer` instead of running a
    // modal loop; the answer may type into the edits and returns the result. Lets the
    // tests of the search window answer it.
    using ModalAnswer = std::function<int(CConfirmAuthorityDialog& dialog)>;
    static void SetModalAnswer(ModalAnswer answer);

    void done(int result) override;
    void accept() override { done(kIdOk); }
    void reject() override { done(kIdCancel); }

  private:
    QLineEdit* m_pUser;
    QLineEdit* m_pPassword;
};
