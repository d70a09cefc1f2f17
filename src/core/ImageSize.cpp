#include "core/ImageSize.h"

#include "core/AppObject.h"
#include "core/DisplayMode.h"

int CImageSize::SetDefaultDisplayMode() {
    const std::optional<DisplayFamily> family = CurrentDisplayFamily();
    if (!g_lpApp || !family) return 1;
    CAppObject& app = *g_lpApp;
    const std::optional<DisplayModeChoice> choice =
        DefaultDisplayMode(*family, app.by_CurrentVideoMode, app.CSettingINI.m_dwImageResolution);
    if (choice) {
        app.w_DisplayMode = choice->displayMode;
        app.by_ImageSizeIndex = choice->imageSizeIndex;
        app.by_PrevImageSizeIndex = choice->imageSizeIndex;
    }
    return 1;
}

bool CImageSize::SetImageSize(uint16_t width, uint16_t height) {
    m_wWidth = width;
    m_wHeight = height;
    const std::optional<DisplayFamily> family = CurrentDisplayFamily();
    if (!g_lpApp || !family) return false;
    CAppObject& app = *g_lpApp;
    const std::optional<uint8_t> index = ImageSizeIndexOfFrame(*family, width, height);
    if (!index) return false;
    app.by_ImageSizeIndex = *index;
    if (*index == app.by_PrevImageSizeIndex) return false;
    app.w_DisplayMode = DisplayModeOfImageSizeIndex(*family, *index, app.w_DisplayMode);
    app.by_PrevImageSizeIndex = *index;
    return true;
}

uint8_t CImageSize::GetImageSizeIndex() const {
    return g_lpApp ? g_lpApp->by_ImageSizeIndex.load() : 0;
}
