#include "sheet/PageToolkit.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <limits>
#include <utility>

#include "core/AppObject.h"
#include "platform/window/ColumnFit.h"
#include "platform/window/ControlId.h"

namespace sheet {

namespace {

ChildDialogResponder g_childDialogResponder;

template <typename Control>
Control* Place(Control* control, int id, const QRect& rect) {
    ormidon::SetControlId(control, id);
    if (rect.isValid()) control->setGeometry(rect);
    return control;
}

// Set on an edit once the operator changed its text.
constexpr const char* kOperatorEdited = "ormidonOperatorEdited";

double Scale() {
    const float scale = g_lpApp != nullptr ? g_lpApp->fl_DPIScale.load() : 0.0f;
    return scale > 0.0f ? scale : 1.0;
}

}  // namespace

int Scaled(double length) { return static_cast<int>(length * Scale()); }

QRect Scaled(const QRect& rect) {
    return QRect(Scaled(rect.x()), Scaled(rect.y()), Scaled(rect.width()), Scaled(rect.height()));
}

QLabel* MakeLabel(QWidget* parent, int id, const QString& text, const QRect& rect) {
    return Place(new QLabel(text, parent), id, rect);
}

QPushButton* MakeButton(QWidget* parent, int id, const QString& text, const QRect& rect) {
    return Place(new QPushButton(text, parent), id, rect);
}

QRadioButton* MakeRadio(QWidget* parent, int id, const QString& text, const QRect& rect) {
    return Place(new QRadioButton(text, parent), id, rect);
}

QCheckBox* MakeCheck(QWidget* parent, int id, const QString& text, const QRect& rect) {
    return Place(new QCheckBox(text, parent), id, rect);
}

QGroupBox* MakeGroup(QWidget* parent, int id, const QString& text, const QRect& rect) {
    return Place(new QGroupBox(text, parent), id, rect);
}

QLineEdit* MakeTextEdit(QWidget* parent, int id, int maxChars, const QRect& rect) {
    auto* edit = Place(new QLineEdit(parent), id, rect);
    edit->setMaxLength(maxChars);
    QObject::connect(edit, &QLineEdit::textEdited, edit,
                     [edit] { edit->setProperty(kOperatorEdited, true); });
    return edit;
}

QString OperatorText(const QLineEdit* edit, const QString& held) {
    // What the edit showed of `held`: setText cuts to the edit's length.
    const bool asShown = edit->text() == held.left(edit->maxLength());
    return asShown && !edit->property(kOperatorEdited).toBool() ? held : edit->text();
}

std::optional<uint32_t> ParseDigits(const QString& text) {
    std::optional<uint32_t> value;
    for (QChar c : text) {
        if (c < QChar('0') || c > QChar('9')) continue;
        const uint64_t next =
            uint64_t{value.value_or(0)} * 10 + static_cast<uint64_t>(c.unicode() - '0');
        value =
            static_cast<uint32_t>(std::min<uint64_t>(next, std::numeric_limits<uint32_t>::max()));
    }
    return value;
}

DigitEdit::DigitEdit(QWidget* parent, int id, int maxChars, uint32_t minimum, uint32_t maximum)
    : QLineEdit(parent), m_minimum(minimum), m_maximum(maximum) {
    ormidon::SetControlId(this, id);
    setMaxLength(maxChars);
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) { OnEdited(text); });
}

std::optional<uint32_t> DigitEdit::Value() const { return ParseDigits(text()); }

void DigitEdit::SetValue(uint32_t value) { setText(QString::number(value)); }

void DigitEdit::OnEdited(const QString& text) {
    QString digits;
    for (QChar c : text)
        if (c >= QChar('0') && c <= QChar('9')) digits += c;
    const std::optional<uint32_t> value = ParseDigits(digits);
    QString shown = digits;
    if (value && *value > m_maximum) shown = QString::number(m_maximum);
    if (value && *value < m_minimum) shown = QString::number(m_minimum);
    if (shown != text) {
        setText(shown);
        setCursorPosition(static_cast<int>(shown.size()));
    }
}

IPv4Edit::IPv4Edit(QWidget* parent, int id, const QRect& rect) : QWidget(parent) {
    ormidon::SetControlId(this, id);
    if (rect.isValid()) setGeometry(rect);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        auto* field = new QLineEdit(this);
        field->setMaxLength(3);
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(
            new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), field));
        connect(field, &QLineEdit::textEdited, field, [field](const QString& text) {
            const std::optional<uint32_t> value = ParseDigits(text);
            if (value && *value > 255) {
                field->setText("255");
                field->setCursorPosition(3);
            }
        });
        layout->addWidget(field);
        if (i + 1 < m_fields.size()) layout->addWidget(new QLabel(".", this));
        m_fields[i] = field;
    }
}

uint32_t IPv4Edit::Address() const {
    uint32_t address = 0;
    for (QLineEdit* field : m_fields)
        address = (address << 8) | std::min<uint32_t>(ParseDigits(field->text()).value_or(0), 255);
    return address;
}

void IPv4Edit::SetAddress(uint32_t address) {
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setText(QString::number((address >> (24 - 8 * i)) & 0xFF));
}

bool IPv4Edit::IsBlank() const {
    for (QLineEdit* field : m_fields)
        if (!field->text().isEmpty()) return false;
    return true;
}

QComboBox* MakeCombo(QWidget* parent, int id, std::initializer_list<QString> items,
                     const QRect& rect) {
    auto* combo = Place(new QComboBox(parent), id, rect);
    for (const QString& item : items) combo->addItem(item);
    combo->setCurrentIndex(-1);
    return combo;
}

int ComboIndex(const QComboBox* combo) { return combo != nullptr ? combo->currentIndex() : -1; }

void SetComboIndex(QComboBox* combo, int index) {
    if (combo == nullptr) return;
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

ReportList::ReportList(QWidget* parent, int id, std::initializer_list<ReportColumn> columns,
                       const QRect& rect)
    : QTreeWidget(parent) {
    ormidon::SetControlId(this, id);
    if (rect.isValid()) setGeometry(rect);
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setUniformRowHeights(true);
    QStringList titles;
    for (const ReportColumn& column : columns) titles << column.title;
    setHeaderLabels(titles);
    int index = 0;
    for (const ReportColumn& column : columns) setColumnWidth(index++, column.width);
    header()->setStretchLastSection(false);
    // A column is never narrower than its title or its longest text.
    ormidon::FitColumnsToTexts(this);
}

int ReportList::AddRow(const QStringList& texts) {
    auto* item = new QTreeWidgetItem(texts);
    addTopLevelItem(item);
    ormidon::FitColumnsToRow(this, indexFromItem(item));
    return topLevelItemCount() - 1;
}

int ReportList::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.front());
}

void ReportList::SelectRow(int row) {
    clearSelection();
    if (QTreeWidgetItem* item = topLevelItem(row); item != nullptr) {
        item->setSelected(true);
        setCurrentItem(item);
    }
}

QString ReportList::Text(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->text(column) : QString();
}

QDateTimeEdit* MakeDatePicker(QWidget* parent, int id, const QString& format, const QRect& rect) {
    auto* picker = Place(new QDateTimeEdit(parent), id, rect);
    picker->setDisplayFormat(format);
    picker->setCalendarPopup(true);
    return picker;
}

namespace {

// A click into a time box selects the field under the pointer, so typed digits replace it
// (without a selection the box refuses a digit that would make the field longer, and only
// the arrows change the time).
class SelectSectionOnClick : public QObject {
  public:
    explicit SelectSectionOnClick(QDateTimeEdit* picker) : QObject(picker), m_picker(picker) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            m_picker->setSelectedSection(m_picker->currentSection());
        }
        return false;
    }

  private:
    QDateTimeEdit* m_picker;
};

}  // namespace

QDateTimeEdit* MakeTimePicker(QWidget* parent, int id, const QString& format, const QRect& rect) {
    auto* picker = Place(new QDateTimeEdit(parent), id, rect);
    picker->setDisplayFormat(format);
    auto* filter = new SelectSectionOnClick(picker);
    picker->installEventFilter(filter);
    if (QLineEdit* edit = picker->findChild<QLineEdit*>()) edit->installEventFilter(filter);
    return picker;
}

int RunChildDialog(QDialog& dialog) {
    if (g_childDialogResponder) {
        dialog.show();
        const int result = g_childDialogResponder(dialog);
        dialog.hide();
        return result;
    }
    return dialog.exec();
}

void SetChildDialogResponder(ChildDialogResponder responder) {
    g_childDialogResponder = std::move(responder);
}

}  // namespace sheet
