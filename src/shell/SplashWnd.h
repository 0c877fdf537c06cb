#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <chrono>

namespace zelto::qt {

// The start-up picture: frameless, above every other window, centred in the screen's available area, as
// large as its bitmap. It closes and deletes itself when its time is up or at the first key or mouse-button
// press on it; nobody keeps a pointer to it. It stays above windows shown after it even where no window
// manager honours the stay-on-top hint.
class CSplashWnd : public QWidget {
public:
    CSplashWnd(QString bitmap, std::chrono::milliseconds displayTime);

    // Loads the picture and shows the window; false (and no window) when the picture cannot be loaded.
    bool Create();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Dismiss();

    QString m_bitmapPath;
    std::chrono::milliseconds m_displayTime;
    int m_timerId = 0;
    QPixmap m_bitmap;
};

} // namespace zelto::qt
