#include "widgets/CVtxButton.h"

#include <QEnterEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>

#include "platform/window/BitmapFile.h"

CVtxButton::CVtxButton(QWidget* parent) : QAbstractButton(parent) {
    setMouseTracking(true);
    // The skin draws no focus mark, so the button takes no keyboard focus either.
    setFocusPolicy(Qt::NoFocus);
}

CVtxButton::~CVtxButton() = default;

int CVtxButton::LoadButtonBitmap(std::string_view file, uint16_t style) {
    const QImage picture = ormidon::LoadBitmapFile(file);
    {
        std::lock_guard lock(mutex_);
        states_.assign(1, picture);
        hovers_.clear();
        hasStatePictures_ = true;
        count_ = 0;
        index_ = 0;
        if (!picture.isNull()) {
            style_ = style;
            loaded_ = true;
        }
    }
    Repaint();
    return picture.isNull() ? 0 : 1;
}

int CVtxButton::LoadButtonBitmap(uint16_t count, std::span<const char* const> files,
                                 uint16_t style) {
    std::vector<QImage> states(count);
    std::vector<QImage> hovers(count);
    bool complete = files.size() >= 2u * count;
    for (uint16_t i = 0; complete && i < count; ++i) {
        const char* normal = files[2u * i];
        const char* hover = files[2u * i + 1];
        states[i] = normal != nullptr ? ormidon::LoadBitmapFile(normal) : QImage();
        complete = !states[i].isNull();
        if (!complete) break;
        hovers[i] = hover != nullptr ? ormidon::LoadBitmapFile(hover) : QImage();
        complete = !hovers[i].isNull();
    }
    {
        std::lock_guard lock(mutex_);
        states_ = std::move(states);
        hovers_ = std::move(hovers);
        hasStatePictures_ = true;
        count_ = count;
        if (index_ >= count_) index_ = 0;
        if (complete) {
            style_ = style;
            loaded_ = true;
        }
    }
    Repaint();
    return complete ? 1 : 0;
}

int CVtxButton::LoadButtonBitmap(std::string_view flat, std::string_view focus,
                                 std::string_view selected, uint16_t style) {
    QImage pictures[3];
    const std::string_view files[3] = {flat, focus, selected};
    bool complete = true;
    for (int i = 0; i < 3 && complete; ++i) {
        pictures[i] = ormidon::LoadBitmapFile(files[i]);
        complete = !pictures[i].isNull();
    }
    {
        std::lock_guard lock(mutex_);
        flat_ = pictures[0];
        focus_ = pictures[1];
        selected_ = pictures[2];
        if (complete) {
            style_ = style;
            loaded_ = true;
        }
    }
    Repaint();
    return complete ? 1 : 0;
}

int CVtxButton::SetState(int n) {
    {
        std::lock_guard lock(mutex_);
        if (!hasStatePictures_) return -1;
        if (n >= 0 && n < count_) index_ = static_cast<uint16_t>(n);
    }
    Repaint();
    return 1;
}

int CVtxButton::GetState() const {
    std::lock_guard lock(mutex_);
    return index_;
}

uint16_t CVtxButton::GetStyle() const {
    std::lock_guard lock(mutex_);
    return style_;
}

bool CVtxButton::IsLoaded() const {
    std::lock_guard lock(mutex_);
    return loaded_;
}

QImage CVtxButton::ShownPicture() const {
    std::lock_guard lock(mutex_);
    return PictureLocked();
}

bool CVtxButton::TracksHover() const {
    return (style_ & (kStyleHover | kStyleCycle | kStylePushHover | kStyleStates)) != 0;
}

QImage CVtxButton::PictureLocked() const {
    auto statePicture = [this](const std::vector<QImage>& pictures) {
        return index_ < pictures.size() ? pictures[index_] : QImage();
    };
    if (style_ & kStyleSingle) return states_.empty() ? QImage() : states_[0];
    if (style_ & (kStylePush | kStylePushHover)) {
        if (!released_) {
            // Held down: the pressed picture; a 0x20 button dragged off shows its flat one.
            return (style_ & kStylePushHover) && !pointerInside_ ? flat_ : selected_;
        }
        return (style_ & kStylePushHover) && mouseOver_ ? focus_ : flat_;
    }
    if (style_ & (kStyleCycle | kStyleStates)) {
        // While a cycling button is held it shows the state it has just stepped to.
        const bool hover = mouseOver_ && !((style_ & kStyleCycle) && held_);
        return statePicture(hover ? hovers_ : states_);
    }
    return mouseOver_ ? focus_ : flat_;
}

void CVtxButton::Repaint() {
    if (QThread::currentThread() == thread()) {
        update();
    } else {
        QMetaObject::invokeMethod(
            this, [this] { update(); }, Qt::QueuedConnection);
    }
}

QSize CVtxButton::sizeHint() const {
    const QImage picture = ShownPicture();
    return picture.isNull() ? QSize(0, 0) : picture.size();
}

void CVtxButton::paintEvent(QPaintEvent*) {
    const QImage picture = ShownPicture();
    if (picture.isNull()) return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture);
}

void CVtxButton::enterEvent(QEnterEvent* event) {
    {
        std::lock_guard lock(mutex_);
        pointerInside_ = true;
        if (TracksHover()) mouseOver_ = true;
    }
    update();
    QAbstractButton::enterEvent(event);
}

void CVtxButton::leaveEvent(QEvent* event) {
    {
        std::lock_guard lock(mutex_);
        pointerInside_ = false;
        mouseOver_ = false;
    }
    update();
    QAbstractButton::leaveEvent(event);
}

void CVtxButton::mouseMoveEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    {
        std::lock_guard lock(mutex_);
        pointerInside_ = inside;
        mouseOver_ = inside && TracksHover();
    }
    update();
    QAbstractButton::mouseMoveEvent(event);
}

void CVtxButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        {
            std::lock_guard lock(mutex_);
            held_ = true;
            pointerInside_ = true;
            if (style_ & (kStylePush | kStylePushHover)) released_ = false;
            // A cycling button steps on the press, before its owner hears of the click.
            if ((style_ & kStyleCycle) && count_ > 0) {
                index_ = static_cast<uint16_t>(index_ + 1 >= count_ ? 0 : index_ + 1);
            }
        }
        update();
    }
    QAbstractButton::mousePressEvent(event);
}

void CVtxButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        {
            std::lock_guard lock(mutex_);
            held_ = false;
            released_ = true;
        }
        update();
    }
    QAbstractButton::mouseReleaseEvent(event);  // clicked() when released over the button
}
