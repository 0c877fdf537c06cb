#include "UiTestSupport.h"

#include <fstream>
#include <iterator>

namespace zelto::uitest {

namespace {

std::filesystem::path SettingsPath(const fakes::TempDir& dir, bool writable) {
    if (writable)
        return dir.File("ZeltoPre.INI");
    std::ofstream(dir.File("not-a-folder")) << "x";
    return dir.File("not-a-folder") / "ZeltoPre.INI";
}

} // namespace

DialogWorld::DialogWorld(bool writable) : settings(SettingsPath(dir, writable)) {}

std::string DialogWorld::FileContent() const {
    std::ifstream file(settings.Path(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool ShowActive(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

void TypeText(const QString& text) {
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

void WhenModalOpens(std::function<void(QWidget*)> act) {
    QWidget* before = QApplication::activeModalWidget();
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, before, tries, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != before) {
            poll->stop();
            poll->deleteLater();
            act(modal);
        } else if (++*tries > 500) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

} // namespace zelto::uitest
