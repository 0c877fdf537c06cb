#pragma once

#include <QString>
#include <span>

namespace zelto::qt {

// What a control of a dialog template is, read from its statement, window class and styles.
enum class ControlKind {
    LineEdit,
    TextBox, // a multiline edit
    PushButton,
    DefaultButton,
    RadioButton,
    IpAddress,
    Label,
    GroupBox,
    Icon,   // the application icon
    Bitmap, // the banner
};

// A rectangle in dialog units.
struct DialogUnits {
    int x;
    int y;
    int width;
    int height;
};

// One control of a dialog template as the resource script states it.
struct TemplateControl {
    enum Flag : unsigned { kPassword = 1, kReadOnly = 2, kVerticalScroll = 4, kNoTabStop = 8 };

    ControlKind kind;
    int id; // IDC_STATIC for one that nothing refers to
    const char* text;
    DialogUnits units;
    unsigned flags;
};

// A dialog template: its caption, its client area in dialog units and its controls in template order.
struct DialogResource {
    int id;
    const char* caption;
    int width;
    int height;
    std::span<const TemplateControl> controls;
};

// Every control with an id carries "IDC_1006" (for id 1006) as its object name, so the tests and the
// screenshot gallery find it by the id of its template.
inline QString ControlName(int id) {
    return QStringLiteral("IDC_%1").arg(id);
}

} // namespace zelto::qt
