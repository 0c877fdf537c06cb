#pragma once

#include <QIcon>
#include <QPixmap>

namespace zelto::qt {

// The application icon (icon 128) in the sizes the resources hold; empty while they are missing.
QIcon ApplicationIcon();

// The banner (bitmap 132) scaled into size, or a plain drawing of the product name when it is missing.
QPixmap BannerPixmap(const QSize& size, qreal devicePixelRatio);

} // namespace zelto::qt
