#include "liveview/RetrKeyButton.h"

#include <QString>

#include "platform/window/UiThread.h"
#include "widgets/CVtxButton.h"

RetrKeyButton::RetrKeyButton(CVtxButton* key) : m_key(key) {}

void RetrKeyButton::ShowRetrState(int state, std::string_view tooltip) {
    const QString text = QString::fromUtf8(tooltip.data(), static_cast<qsizetype>(tooltip.size()));
    ormidon::RunOnUiThread([key = m_key, state, text] {
        if (key.isNull()) return;
        key->SetState(state);
        key->setToolTip(text);
    });
}
