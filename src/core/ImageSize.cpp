#include "core/ImageSize.h"

#include "core/AppObject.h"
#include "core/DisplayMode.h"

int CImageSize::SetDefaultDisplayMode() {
    const std::optional<DisplayFamily> family = CurrentDisplayFamily();
    if (!g_lpApp || !family) return 1;
    switch (*family) {
        case DisplayFamily::P62K:
            DefaultP62KMode();
            break;
        case DisplayFamily::T18D:
            DefaultT18DMode();
            break;
        case DisplayFamily::P5xK:
            DefaultP5xKMode();
            break;
    }
    return 1;
}

void CImageSize::DefaultP5xKMode() { DefaultMode(DisplayFamily::P5xK); }
void CImageSize::DefaultP62KMode() { DefaultMode(DisplayFamily::P62K); }
void CImageSize::DefaultT18DMode() { DefaultMode(DisplayFamily::T18D); }

void CImageSize::DefaultMode(DisplayFamily family) {
    CAppObject& app = *g_lpApp;
    const std::optional<DisplayModeChoice> choice =
        DefaultDisplayMode(family, app.by_CurrentVideoMode, app.CSettingINI.m_dwImageResolution);
    if (choice) {
        app.w_DisplayMode = choice->displayMode;
        app.by_ImageSizeIndex = choice->imageSizeIndex;
        app.by_PrevImageSizeIndex = choice->imageSizeIndex;
    }
}

bool CImageSize::SetImageSize(uint16_t width, uint16_t height) {
    m_wWidth = width;
    m_wHeight = height;
    const std::optional<DisplayFamily> family = CurrentDisplayFamily();
    if (!g_lpApp || !family) return false;
    switch (*family) {
        case DisplayFamily::P62K:
            return ChooseP62KMode(width, height);
        case DisplayFamily::T18D:
            return ChooseT18DMode(width, height);
        case DisplayFamily::P5xK:
            return ChooseP5xKMode(width, height);
    }
    return false;
}

bool CImageSize::ChooseP5xKMode(uint16_t width, uint16_t height) {
    return ChooseMode(DisplayFamily::P5xK, width, height);
}

bool CImageSize::ChooseP62KMode(uint16_t width, uint16_t height) {
    return ChooseMode(DisplayFamily::P62K, width, height);
}

bool CImageSize::ChooseT18DMode(uint16_t width, uint16_t height) {
    return ChooseMode(DisplayFamily::T18D, width, height);
}

bool CImageSize::ChooseMode(DisplayFamily family, uint16_t width, uint16_t height) {
    CAppObject& app = *g_lpApp;
    const std::optional<uint8_t> index = ImageSizeIndexOfFrame(family, width, height);
    if (!index) return false;
    app.by_ImageSizeIndex = *index;
    if (*index == app.by_PrevImageSizeIndex) return false;
    app.w_DisplayMode = DisplayModeOfImageSizeIndex(family, *index, app.w_DisplayMode);
    app.by_PrevImageSizeIndex = *index;
    return true;
}

uint8_t CImageSize::GetImageSizeIndex() const {
    return g_lpApp ? g_lpApp->by_ImageSizeIndex.load() : 0;
}
