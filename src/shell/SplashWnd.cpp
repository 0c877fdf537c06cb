#include "shell/SplashWnd.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include <algorithm>
#include <utility>

namespace zelto::qt {

CSplashWnd::CSplashWnd(QString bitmap, std::chrono::milliseconds displayTime)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_bitmapPath(std::move(bitmap)), m_displayTime(displayTime) {
    setObjectName(QStringLiteral("CSplashWnd"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The picture covers every pixel: nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

bool CSplashWnd::Create() {
    if (!m_bitmap.load(m_bitmapPath))
        return false;
    setFixedSize(m_bitmap.deviceIndependentSize().toSize());
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        QRect frame(QPoint(), size());
        frame.moveCenter(area.center());
        // Kept inside the area even when the area is smaller than the picture.
        frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() - frame.width() + 1)));
        frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() - frame.height() + 1)));
        move(frame.topLeft());
    }
    show();
    raise();
    qApp->installEventFilter(this);
    activateWindow();
    repaint();
    m_timerId = startTimer(m_displayTime);
    return true;
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* event) {
    // A window shown later is mapped above this one; raised again once the other is on screen.
    if (event->type() == QEvent::Show && watched != this && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow())
        QMetaObject::invokeMethod(this, &QWidget::raise, Qt::QueuedConnection);
    return false;
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(rect(), m_bitmap);
}

void CSplashWnd::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timerId) {
        QWidget::timerEvent(event);
        return;
    }
    Dismiss();
}

void CSplashWnd::keyPressEvent(QKeyEvent* event) {
    event->accept();
    Dismiss();
}

void CSplashWnd::mousePressEvent(QMouseEvent* event) {
    event->accept();
    Dismiss();
}

void CSplashWnd::Dismiss() {
    if (m_timerId != 0)
        killTimer(std::exchange(m_timerId, 0));
    close();
}

} // namespace zelto::qt
