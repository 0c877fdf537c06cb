#include "ui/DialogTemplate.h"

#include "ui/TemplateControls.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace zelto::qt {

namespace {

// Space kept free between a grown control and what stands to its right, in horizontal units.
constexpr int kGap = 2;

// The width the control's text needs at its template height, or 0 when it is not a text control.
int NeededWidth(QWidget* control, int height, int limit) {
    if (const auto* label = qobject_cast<QLabel*>(control)) {
        if (label->text().isEmpty())
            return 0;
        if (!label->wordWrap())
            return label->sizeHint().width();
        // A wrapped label needs the narrowest width at which its lines fit its height.
        for (int width = control->width(); width < limit; ++width) {
            if (label->heightForWidth(width) <= height)
                return width;
        }
        return limit;
    }
    if (const auto* push = qobject_cast<QPushButton*>(control)) {
        // Its size hint has a minimum width of the style's own; only the text and its margins count here.
        const QStyle* style = push->style();
        return push->fontMetrics().horizontalAdvance(QString(push->text()).remove(QLatin1Char('&'))) +
               2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, push) +
                    style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, push));
    }
    if (qobject_cast<QAbstractButton*>(control))
        return control->sizeHint().width();
    return 0;
}

} // namespace

DialogTemplate::DialogTemplate(QWidget* dialog, const DialogResource& resource)
    : QObject(dialog), m_dialog(dialog), m_size(resource.width, resource.height) {
    m_dialog->setWindowTitle(QString::fromLatin1(resource.caption));
    for (const TemplateControl& control : resource.controls) {
        QWidget* widget = CreateTemplateControl(control, m_dialog);
        const DialogUnits& units = control.units;
        const bool frame = control.kind == ControlKind::GroupBox;
        m_placements.push_back({widget, QRect(units.x, units.y, units.width, units.height), frame});
    }
    // Behind the controls they frame, so that clicks reach them.
    for (const Placement& placement : m_placements) {
        if (placement.frame)
            placement.control->lower();
    }
    m_dialog->installEventFilter(this);
    Apply();
}

QSizeF DialogTemplate::BaseUnits(const QFont& font) {
    const QFontMetricsF metrics(font);
    // Kept as a fraction: rounding it to whole pixels would narrow every control by up to a few percent
    // and clip texts that the template sized to fit.
    const qreal alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {alphabet / 52, std::ceil(metrics.height())};
}

QRect DialogTemplate::ToPixels(const QFont& font, const QRect& units) {
    const QSizeF base = BaseUnits(font);
    const auto x = [&](int value) { return static_cast<int>(std::lround(value * base.width() / 4)); };
    const auto y = [&](int value) { return static_cast<int>(std::lround(value * base.height() / 8)); };
    // Edges are converted, not sizes, so that controls that meet in the template meet on the screen.
    return QRect(QPoint(x(units.left()), y(units.top())),
                 QPoint(x(units.left() + units.width()) - 1, y(units.top() + units.height()) - 1));
}

bool DialogTemplate::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_dialog && event->type() == QEvent::FontChange)
        Apply();
    return QObject::eventFilter(watched, event);
}

void DialogTemplate::Apply() {
    const QFont font = m_dialog->font();
    m_dialog->setFixedSize(ToPixels(font, QRect(QPoint(0, 0), m_size)).size());
    for (const Placement& placement : m_placements)
        placement.control->setGeometry(ToPixels(font, placement.units));
    for (const Placement& placement : m_placements) {
        QRect geometry = placement.control->geometry();
        const int room = RoomToTheRight(placement, font);
        const int needed = NeededWidth(placement.control, geometry.height(), room);
        if (needed > geometry.width() && room > geometry.width()) {
            geometry.setWidth(std::min(needed, room));
            placement.control->setGeometry(geometry);
        }
    }
}

// How wide the control may become: up to the next control to its right that shares some of its rows, the
// inner edge of a frame around it, or the dialog's margin.
int DialogTemplate::RoomToTheRight(const Placement& placement, const QFont& font) const {
    const QRect& units = placement.units;
    int right = m_size.width() - kGap;
    for (const Placement& other : m_placements) {
        const QRect& o = other.units;
        if (&other == &placement || o.bottom() < units.top() || o.top() > units.bottom())
            continue;
        if (other.frame && o.contains(units))
            right = std::min(right, o.left() + o.width() - kGap);
        else if (o.left() > units.left())
            right = std::min(right, o.left() - kGap);
    }
    return ToPixels(font, QRect(units.left(), units.top(), right - units.left(), units.height())).width();
}

} // namespace zelto::qt
