#include "shell/SoundCues.h"

#include <QFile>
#include <QString>

#include <algorithm>

namespace zelto::qt {

std::optional<std::string> ReadSoundCue(std::string_view name) {
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
        return std::nullopt;
    QFile file(QStringLiteral(":/sounds/") + QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())) +
               QStringLiteral(".wav"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace zelto::qt
