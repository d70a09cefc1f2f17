#pragma once
// The modal window of the skinned kind. Its modal run (exec) returns whatever result the
// window ends with through done(): the system's windows use 1 for OK, 2 for cancel and
// their own values (20, 100, -1 ...). Escape and the window manager's close run OnCancel,
// Enter runs OnOK, as in the system's dialogs; a window overrides either to change that.
#include <QDialog>

namespace ormidon {

class SkinnedDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    // Frameless and dragged by its body.
    explicit SkinnedDialog(QWidget* parent = nullptr);

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

  protected:
    virtual void OnOK() { done(kResultOk); }
    virtual void OnCancel() { done(kResultCancel); }

    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace ormidon
