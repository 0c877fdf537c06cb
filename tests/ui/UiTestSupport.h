#pragma once

// What the dialog tests share: a settings file in a fresh folder, the dialogs' context with fakes that
// record what the dialog did, and ways to type into and find the controls.

#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "ui/DialogContext.h"
#include "ui/DialogIds.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace zelto::uitest {

// The dialog's world: every call it makes to the application is recorded in `events`.
struct DialogWorld {
    // writable false: a settings file whose folder is a regular file, so every write fails.
    explicit DialogWorld(bool writable = true);

    fakes::TempDir dir;
    SettingsFile settings;
    fakes::FakeHttp http;
    fakes::FakeSound sound;
    std::vector<std::string> events; // "hide", "exit 0", each in the order the dialog asked
    std::vector<std::string> messages;
    DialogContext context{settings, http, sound, [this] { events.push_back("hide"); },
                          [this](int code) {
                              // The cue must have played to its end before the process goes.
                              for (const std::string& cue : sound.Played())
                                  events.push_back("played " + cue);
                              events.push_back("exit " + std::to_string(code));
                          }};

    // Records a message box's text instead of showing it.
    std::function<void(QWidget*, const QString&)> RecordMessages() {
        return [this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); };
    }

    // The settings file's bytes; "" when there is none.
    std::string FileContent() const;
};

// The control with the template id `id` inside `dialog`.
template <class T> T* Control(QWidget* dialog, int id) {
    return dialog->findChild<T*>(ControlName(id));
}

// Shows the window and gives it the keyboard focus, as a user would find it.
bool ShowActive(QWidget* window);

// Types text one key at a time into whichever widget has the focus, as a user's keyboard does.
void TypeText(const QString& text);
void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Runs `act` on the next modal dialog once it is open; the caller then does what opens it. Gives up after
// a few seconds, so that a dialog that never opens fails the test instead of hanging it.
void WhenModalOpens(std::function<void(QWidget*)> act);

} // namespace zelto::uitest
