#pragma once
// Checks of a drawn window for tests: the named controls are there and shown, every shown
// control lies whole inside the window, and no label, button, box or edit cuts its text.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWidget>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "platform/window/ControlId.h"

namespace ormidon::test {

// A control as a failed check names it.
inline std::string DescribeControl(const QWidget* control) {
    std::string text = control->metaObject()->className();
    if (const int id = ormidon::ControlIdOf(control); id != 0) text += " " + std::to_string(id);
    if (const auto* label = qobject_cast<const QLabel*>(control))
        text += " \"" + label->text().toStdString() + "\"";
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        text += " \"" + button->text().toStdString() + "\"";
    return text;
}

// True for the parts of a control (a combo box's list, an edit inside a spin box, a list's
// viewport), which their control places itself.
inline bool InsideAControl(const QWidget* widget, const QWidget* area) {
    for (const QWidget* up = widget->parentWidget(); up != nullptr && up != area;
         up = up->parentWidget()) {
        if (qobject_cast<const QComboBox*>(up) != nullptr ||
            qobject_cast<const QAbstractSpinBox*>(up) != nullptr ||
            qobject_cast<const QAbstractItemView*>(up) != nullptr ||
            qobject_cast<const QLineEdit*>(up) != nullptr)
            return true;
    }
    return false;
}

// Width a control has for its text and the width its text needs; need 0 for none.
struct TextRoom {
    int need = 0;
    int room = 0;
};

inline TextRoom TextRoomOf(const QWidget* control) {
    const QFontMetrics metrics = control->fontMetrics();
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->wordWrap() || label->text().isEmpty() || label->textFormat() == Qt::RichText)
            return {};
        const int indent = label->indent() >= 0      ? label->indent()
                           : label->frameWidth() > 0 ? metrics.horizontalAdvance('x') / 2
                                                     : 0;
        return {metrics.horizontalAdvance(label->text()),
                label->contentsRect().width() - 2 * label->margin() - indent};
    }
    if (qobject_cast<const QCheckBox*>(control) != nullptr ||
        qobject_cast<const QRadioButton*>(control) != nullptr) {
        const auto* button = static_cast<const QAbstractButton*>(control);
        if (button->text().isEmpty()) return {};
        return {button->sizeHint().width(), button->width()};
    }
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        if (button->text().isEmpty()) return {};
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        return {metrics.horizontalAdvance(QString(button->text()).remove('&')) + margin,
                button->width()};
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        if (combo->currentText().isEmpty()) return {};
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, combo);
        return {metrics.horizontalAdvance(combo->currentText()), field.width()};
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
        if (edit->text().isEmpty() || edit->echoMode() != QLineEdit::Normal) return {};
        const QMargins margins = edit->textMargins();
        // The edit's frame and the small inner margin its style keeps.
        const int frame = edit->hasFrame() ? 2 * 2 + 2 * 2 : 2 * 2;
        return {metrics.horizontalAdvance(edit->text()),
                edit->width() - margins.left() - margins.right() - frame};
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(control)) {
        if (group->title().isEmpty()) return {};
        return {metrics.horizontalAdvance(group->title()), group->width() - 8};
    }
    return {};
}

// The controls named by `ids` are in `area` and shown; every control shown in `area` lies
// whole inside `window` and shows its text whole.
inline void ExpectControlsWhole(const QWidget* window, const QWidget* area,
                                std::initializer_list<int> ids) {
    for (int id : ids) {
        const QWidget* control = ormidon::FindControl(area, id);
        ASSERT_NE(control, nullptr) << "control " << id;
        EXPECT_TRUE(control->isVisibleTo(window)) << DescribeControl(control);
    }
    const QRect bounds = window->rect();
    for (const QWidget* control : area->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window) || InsideAControl(control, area)) continue;
        const bool isControl = qobject_cast<const QLabel*>(control) != nullptr ||
                               qobject_cast<const QAbstractButton*>(control) != nullptr ||
                               qobject_cast<const QComboBox*>(control) != nullptr ||
                               qobject_cast<const QLineEdit*>(control) != nullptr ||
                               qobject_cast<const QAbstractSpinBox*>(control) != nullptr ||
                               qobject_cast<const QGroupBox*>(control) != nullptr ||
                               qobject_cast<const QAbstractItemView*>(control) != nullptr;
        if (!isControl) continue;
        const QRect rect(control->mapTo(window, QPoint(0, 0)), control->size());
        EXPECT_TRUE(bounds.contains(rect)) << DescribeControl(control) << " outside the window";
        const TextRoom text = TextRoomOf(control);
        EXPECT_LE(text.need, text.room) << DescribeControl(control) << " cuts its text";
    }
}

// Pixels of `image` inside `rect` near `colour` (each channel within `tolerance`).
inline int PixelsNear(const QImage& image, const QRect& rect, const QColor& colour,
                      int tolerance = 40) {
    int count = 0;
    const QRect inside = rect.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= tolerance &&
                std::abs(c.green() - colour.green()) <= tolerance &&
                std::abs(c.blue() - colour.blue()) <= tolerance)
                ++count;
        }
    return count;
}

}  // namespace ormidon::test
