#pragma once
// The R.E.T.R. key of the main window's panel as the control-device list sees it: the
// frame headers report the device's R.E.T.R. state on the fetch thread, and the key shows
// it (its picture state and tooltip) on the UI thread.
#include <QPointer>

#include "core/ControlDeviceList.h"

class CVtxButton;

class RetrKeyButton final : public RetrKeyView {
  public:
    explicit RetrKeyButton(CVtxButton* key);

    // Any thread; the key changes on the UI thread, unless it has gone by then.
    void ShowRetrState(int state, std::string_view tooltip) override;

  private:
    QPointer<CVtxButton> m_key;
};
