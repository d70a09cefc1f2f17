#pragma once
// Controls for the settings pages, each created with its numeric id (FindControl finds it):
// digit edits, texts cut while typing, the IPv4 address control, combo boxes that may show
// no choice, report lists, date and time pickers, and modal child dialogs that tests answer.
//
// Typing filters act on the operator's edits only (QLineEdit::textEdited): a page that
// fills its controls with setText is never filtered or clamped.
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTreeWidget>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>

class QAbstractButton;
class QCheckBox;
class QDialog;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace sheet {

// A length scaled by the display scale factor (fl_DPIScale; 1 when unset), truncated.
int Scaled(double length);
QRect Scaled(const QRect& rect);

QLabel* MakeLabel(QWidget* parent, int id, const QString& text, const QRect& rect);
QPushButton* MakeButton(QWidget* parent, int id, const QString& text, const QRect& rect);
QRadioButton* MakeRadio(QWidget* parent, int id, const QString& text, const QRect& rect);
QCheckBox* MakeCheck(QWidget* parent, int id, const QString& text, const QRect& rect);
QGroupBox* MakeGroup(QWidget* parent, int id, const QString& text, const QRect& rect);

// A text edit that takes at most `maxChars` characters; longer typing is cut.
QLineEdit* MakeTextEdit(QWidget* parent, int id, int maxChars, const QRect& rect);

// The text a page reads back from an edit made by MakeTextEdit: `held`, the value the page
// filled it with, while the edit still shows it untouched (an edit shows a stored text of
// more than its length cut); otherwise the edit's text. What the operator did not touch goes
// back as it was read.
QString OperatorText(const QLineEdit* edit, const QString& held);

// The number of a digit text, saturating at the largest 32-bit value instead of wrapping;
// non-digits are skipped. Empty for a text without digits.
std::optional<uint32_t> ParseDigits(const QString& text);

// An edit for digits: the operator's typing keeps only digits (at most `maxChars`), a value
// above `maximum` becomes `maximum` and one below `minimum` becomes `minimum`; an empty field
// stays empty. After a correction the caret goes to the end.
class DigitEdit : public QLineEdit {
  public:
    DigitEdit(QWidget* parent, int id, int maxChars, uint32_t minimum, uint32_t maximum);
    // The value shown; empty when the field is empty.
    std::optional<uint32_t> Value() const;
    void SetValue(uint32_t value);

  private:
    void OnEdited(const QString& text);
    uint32_t m_minimum;
    uint32_t m_maximum;
};

// An IPv4 address control: four fields of 0-255. The address is one number whose highest
// byte is the first field.
class IPv4Edit : public QWidget {
  public:
    IPv4Edit(QWidget* parent, int id, const QRect& rect);
    uint32_t Address() const;
    void SetAddress(uint32_t address);
    // True when every field is empty.
    bool IsBlank() const;
    QLineEdit* Field(int index) const { return m_fields[static_cast<std::size_t>(index)]; }

  private:
    std::array<QLineEdit*, 4> m_fields{};
};

// A drop-down list of fixed choices.
QComboBox* MakeCombo(QWidget* parent, int id, std::initializer_list<QString> items,
                     const QRect& rect);
// The chosen row; -1 when the list shows no choice.
int ComboIndex(const QComboBox* combo);
// Chooses a row; -1 (or a row past the list) shows no choice.
void SetComboIndex(QComboBox* combo, int index);

// A report list: columns of given titles and widths, whole rows selected.
struct ReportColumn {
    QString title;
    int width;
};
class ReportList : public QTreeWidget {
  public:
    ReportList(QWidget* parent, int id, std::initializer_list<ReportColumn> columns,
               const QRect& rect);
    int AddRow(const QStringList& texts);
    // The selected row; -1 for none.
    int SelectedRow() const;
    void SelectRow(int row);
    QString Text(int row, int column) const;
};

// Date and time pickers with a display format ("yyyy / MM / dd", "HH : mm : ss").
QDateTimeEdit* MakeDatePicker(QWidget* parent, int id, const QString& format, const QRect& rect);
QDateTimeEdit* MakeTimePicker(QWidget* parent, int id, const QString& format, const QRect& rect);

// Runs a child dialog modally and returns its result. A test installs a responder that
// gets the dialog, shown, instead of the modal loop; it answers the dialog (presses its
// buttons, fills it) and returns the result.
int RunChildDialog(QDialog& dialog);
using ChildDialogResponder = std::function<int(QDialog&)>;
void SetChildDialogResponder(ChildDialogResponder responder);

}  // namespace sheet
