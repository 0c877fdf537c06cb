#include "ui/AppIcons.h"

#include <QFont>
#include <QPainter>

namespace zelto::qt {

QIcon ApplicationIcon() {
    QIcon icon;
    for (const QString& path : {QStringLiteral(":/icons/app-32.png"), QStringLiteral(":/icons/app-16.png")}) {
        const QPixmap pixmap(path);
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap BannerPixmap(const QSize& size, qreal devicePixelRatio) {
    const QSize pixels = size * devicePixelRatio;
    QPixmap banner(QStringLiteral(":/bitmaps/banner.png"));
    if (!banner.isNull()) {
        banner = banner.scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        banner.setDevicePixelRatio(devicePixelRatio);
        return banner;
    }
    // Without the bitmap the frame still carries the product's name rather than an empty hole.
    QPixmap drawn(pixels);
    drawn.setDevicePixelRatio(devicePixelRatio);
    drawn.fill(QColor(0x1f, 0x3a, 0x68));
    QPainter painter(&drawn);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(8, size.height() / 4));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, QStringLiteral("Zelto Premium"));
    return drawn;
}

} // namespace zelto::qt
