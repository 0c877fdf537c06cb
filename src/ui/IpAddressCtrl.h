#pragma once

#include "config/AddressText.h"

#include <QWidget>
#include <array>

class QLineEdit;

namespace zelto::qt {

// An IPv4 address typed into four fields of 0 to 255 separated by dots, one tab stop as a whole.
// Typing "." or a third digit moves on to the next field, Backspace at the start of a field moves back,
// a value above 255 becomes 255 and a blank field reads as 0.
class CIpAddressCtrl : public QWidget {
    Q_OBJECT

public:
    explicit CIpAddressCtrl(QWidget* parent = nullptr);

    AddressFields Address() const;
    void SetAddress(const AddressFields& address);
    // Empties all four fields.
    void ClearAddress();
    // True when no field holds a digit.
    bool IsBlank() const;

    // The field at index 0 to 3, for its text and focus.
    QLineEdit* Field(int index) const;

    QSize sizeHint() const override;

signals:
    // A field's text changed, by typing or by a call.
    void addressChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int IndexOf(const QObject* field) const;
    bool HandleKey(int index, QKeyEvent* key);
    void OnFieldEdited(int index);
    void EnterField(int index, bool selectAll);

    std::array<QLineEdit*, 4> m_fields{};
};

} // namespace zelto::qt
