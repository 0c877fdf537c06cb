#include "ui/DialogTemplate.h"

#include <QEvent>
#include <QFontMetrics>
#include <QWidget>

namespace zelto {

namespace {

// value * numerator / denominator, rounded half away from zero, as the template conversion rounds.
int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

} // namespace

DialogTemplate::DialogTemplate(QWidget* dialog, int width, int height)
    : QObject(dialog), dialog_(dialog), size_(width, height) {
    dialog_->installEventFilter(this);
    Apply();
}

void DialogTemplate::Place(QWidget* control, int x, int y, int width, int height) {
    placements_.push_back({control, QRect(x, y, width, height)});
    control->setGeometry(ToPixels(dialog_->font(), placements_.back().units));
}

QSize DialogTemplate::BaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {MulDiv(alphabet, 1, 52), metrics.height()};
}

QRect DialogTemplate::ToPixels(const QFont& font, const QRect& units) {
    const QSize base = BaseUnits(font);
    return {MulDiv(units.x(), base.width(), 4), MulDiv(units.y(), base.height(), 8),
            MulDiv(units.width(), base.width(), 4), MulDiv(units.height(), base.height(), 8)};
}

bool DialogTemplate::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dialog_ && event->type() == QEvent::FontChange)
        Apply();
    return QObject::eventFilter(watched, event);
}

void DialogTemplate::Apply() {
    const QFont font = dialog_->font();
    dialog_->setFixedSize(ToPixels(font, QRect(QPoint(0, 0), size_)).size());
    for (const Placement& placement : placements_)
        placement.control->setGeometry(ToPixels(font, placement.units));
}

} // namespace zelto
