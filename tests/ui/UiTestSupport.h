#pragma once

// What the dialog tests share: a settings file in a fresh folder, the dialogs' context over fakes that
// record what the dialog asked of the application, and a user's keyboard.

#include "ResourceIds.h"
#include "desktop/DialogContext.h"
#include "desktop/DialogWorker.h"
#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "ui/DialogResource.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace zelto::qt::uitest {

struct DialogWorld {
    // writable false: the settings file's folder is a regular file, so every write fails.
    explicit DialogWorld(bool writable = true) : settings(dir.File(writable ? "ZeltoPre.INI" : "file/ZeltoPre.INI")) {
        std::ofstream(dir.File("file")) << "x";
    }
    MessageBoxFn RecordMessages() {
        return [this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); };
    }

    fakes::TempDir dir;
    SettingsFile settings;
    fakes::FakeHttp http;
    fakes::FakeSound sound;
    int quits = 0;
    std::vector<std::string> messages;
    DialogWorker worker{[](std::function<void()> task) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
    }};
    DialogContext context{settings, http,
                          sound,    [this] { ++quits; },
                          worker,   [this](const std::string& text) { messages.push_back(text); }};
};

template <class T> T* Control(QWidget* dialog, int id) {
    return dialog->findChild<T*>(ControlName(id));
}

inline bool ShowActive(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// Into whichever widget has the focus, one key at a time.
inline void TypeText(const QString& text) {
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

// Runs `act` on the next modal dialog within its own event loop, once it has shown.
inline void WhenModalOpens(std::function<void(QWidget*)> act) {
    struct Watch : QObject {
        std::function<void(QWidget*)> act;
        bool eventFilter(QObject* object, QEvent* event) override {
            auto* modal = qobject_cast<QWidget*>(object);
            if (event->type() == QEvent::Show && modal && modal->isModal()) {
                QTimer::singleShot(0, modal, [modal, act = act] { act(modal); });
                QApplication::instance()->removeEventFilter(this);
                deleteLater();
            }
            return false;
        }
    };
    auto* watch = new Watch;
    watch->act = std::move(act);
    QApplication::instance()->installEventFilter(watch);
}

} // namespace zelto::qt::uitest
