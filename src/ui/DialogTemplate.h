#pragma once

#include "ui/DialogResource.h"

#include <QObject>
#include <QRect>
#include <QSizeF>
#include <QWidget>
#include <vector>

class QFont;

namespace zelto::qt {

// Builds a dialog's controls from its template in the resource script, in template order (which is also the
// tab order), and lays them out by the template's coordinates: dialog units, where a horizontal unit is a quarter
// of the dialog font's average character width and a vertical unit an eighth of its height. The dialog
// keeps its template's proportions at any font size, and is laid out again when its font changes.
//
// A template's widths were made for the font it was drawn with. Where a label or button of ours needs more
// room with the font at hand, it grows to the right into free space, never over another control.
class DialogTemplate : public QObject {
public:
    // Gives dialog the template's caption and controls.
    DialogTemplate(QWidget* dialog, const DialogResource& resource);

    // The control of the given id, or nullptr when the template has none of that id and type.
    template <class T> T* Control(int id) const {
        return m_dialog->findChild<T*>(ControlName(id), Qt::FindDirectChildrenOnly);
    }

    // Pixels per four horizontal and per eight vertical units: the average width of the letters
    // A-Z and a-z, and the font's height.
    static QSizeF BaseUnits(const QFont& font);
    static QRect ToPixels(const QFont& font, const QRect& units);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Placement {
        QWidget* control;
        QRect units;
        bool frame; // a group box frames other controls and is no obstacle to them
    };
    void Apply();
    int RoomToTheRight(const Placement& placement, const QFont& font) const;

    QWidget* m_dialog;
    QSize m_size;
    std::vector<Placement> m_placements;
};

} // namespace zelto::qt
