#include "liveview/ScreenFrames.h"

void ScreenFrames::Show(bool fullScreen) {
    std::lock_guard lock(m_lock);
    m_shown = 1 - m_shown;
    m_fullScreen[m_shown] = fullScreen;
    m_count.fetch_add(1);
}

ScreenFrames::Shown ScreenFrames::Current() const {
    std::lock_guard lock(m_lock);
    if (m_count.load() == 0) return {};
    return {m_images[m_shown], m_fullScreen[m_shown]};
}
