#include "ui/IpAddressCtrl.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace zelto::qt {

namespace {

constexpr int kMaxDigits = 3;
constexpr int kMaxField = 255;

} // namespace

CIpAddressCtrl::CIpAddressCtrl(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    layout->setContentsMargins(frame, frame, frame, frame);
    layout->setSpacing(0);
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            dot->setBackgroundRole(QPalette::Base);
            layout->addWidget(dot);
        }
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("field%1").arg(i));
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(kMaxDigits);
        field->setValidator(digits);
        field->setTextMargins(0, 0, 0, 0);
        field->setMinimumWidth(1);
        // The control is one tab stop: Tab enters at the first field and leaves from any field.
        field->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i] { OnFieldEdited(i); });
        connect(field, &QLineEdit::textChanged, this, &CIpAddressCtrl::addressChanged);
        layout->addWidget(field, 1);
        m_fields[static_cast<std::size_t>(i)] = field;
    }
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_fields[0]);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

AddressFields CIpAddressCtrl::Address() const {
    AddressFields address;
    for (std::size_t i = 0; i < 4; ++i)
        address.part[i] = std::min(m_fields[i]->text().toInt(), kMaxField); // blank: toInt gives 0
    return address;
}

void CIpAddressCtrl::SetAddress(const AddressFields& address) {
    for (std::size_t i = 0; i < 4; ++i)
        m_fields[i]->setText(QString::number(std::clamp(address.part[i], 0, kMaxField)));
}

void CIpAddressCtrl::ClearAddress() {
    for (QLineEdit* field : m_fields)
        field->clear();
}

bool CIpAddressCtrl::IsBlank() const {
    return std::all_of(m_fields.begin(), m_fields.end(),
                       [](const QLineEdit* field) { return field->text().isEmpty(); });
}

QLineEdit* CIpAddressCtrl::Field(int index) const {
    return m_fields.at(static_cast<std::size_t>(index));
}

QSize CIpAddressCtrl::sizeHint() const {
    const QFontMetrics metrics(font());
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    return {metrics.horizontalAdvance(QStringLiteral("000.000.000.000")) + 4 * metrics.averageCharWidth() + 2 * frame,
            metrics.height() + 2 * frame + 4};
}

int CIpAddressCtrl::IndexOf(const QObject* field) const {
    const auto found = std::find(m_fields.begin(), m_fields.end(), field);
    return found == m_fields.end() ? -1 : static_cast<int>(found - m_fields.begin());
}

bool CIpAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
    const int index = IndexOf(watched);
    if (index < 0)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        return HandleKey(index, static_cast<QKeyEvent*>(event));
    case QEvent::FocusOut:
        // "010" is read as 10 anyway; show it that way once the user has left the field.
        if (!Field(index)->text().isEmpty())
            Field(index)->setText(QString::number(Field(index)->text().toInt()));
        update(); // the frame shows whether a field has the focus
        break;
    case QEvent::FocusIn:
        update();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// Moves between fields the way a user of an address control expects; true when the key was used up.
bool CIpAddressCtrl::HandleKey(int index, QKeyEvent* key) {
    if (key->matches(QKeySequence::Paste)) {
        // A whole address pasted into any field fills all four; anything else goes to the field's own rules.
        const auto pasted = ParseAddressText(QApplication::clipboard()->text().trimmed().toStdString());
        if (!pasted)
            return false;
        SetAddress(*pasted);
        EnterField(3, false);
        return true;
    }
    const QLineEdit* field = Field(index);
    const bool atStart = field->cursorPosition() == 0 && !field->hasSelectedText();
    const bool atEnd = field->cursorPosition() == field->text().size() && !field->hasSelectedText();
    switch (key->key()) {
    case Qt::Key_Period:
        if (index < 3 && !field->text().isEmpty())
            EnterField(index + 1, true);
        return true; // never typed into a field
    case Qt::Key_Backspace:
        if (index > 0 && atStart) {
            EnterField(index - 1, false);
            return true;
        }
        return false;
    case Qt::Key_Left:
        if (index > 0 && atStart && key->modifiers() == Qt::NoModifier) {
            EnterField(index - 1, false);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (index < 3 && atEnd && key->modifiers() == Qt::NoModifier) {
            Field(index + 1)->setFocus(Qt::OtherFocusReason);
            Field(index + 1)->setCursorPosition(0);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CIpAddressCtrl::OnFieldEdited(int index) {
    QLineEdit* field = Field(index);
    if (field->text().toInt() > kMaxField)
        field->setText(QString::number(kMaxField));
    if (index < 3 && field->text().size() == kMaxDigits && field->cursorPosition() == kMaxDigits)
        EnterField(index + 1, true);
}

void CIpAddressCtrl::EnterField(int index, bool selectAll) {
    QLineEdit* field = Field(index);
    field->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        field->selectAll();
    else
        field->end(false);
}

void CIpAddressCtrl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.rect = rect();
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const bool focused =
        std::any_of(m_fields.begin(), m_fields.end(), [](const QLineEdit* field) { return field->hasFocus(); });
    if (focused)
        option.state |= QStyle::State_HasFocus;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}

} // namespace zelto::qt
