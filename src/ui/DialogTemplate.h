#pragma once

#include <QObject>
#include <QRect>
#include <QSizeF>
#include <vector>

class QFont;
class QWidget;

namespace zelto {

// Lays a dialog out by the coordinates of its template: dialog units, where a horizontal unit is a quarter
// of the dialog font's average character width and a vertical unit an eighth of its height. The dialog
// keeps its template's proportions at any font size, and is laid out again when its font changes.
//
// A template's widths were made for the font it was drawn with. Where a label or button of ours needs more
// room with the font at hand, it grows to the right into free space, never over another control.
class DialogTemplate : public QObject {
public:
    // width and height: the client area in dialog units.
    DialogTemplate(QWidget* dialog, int width, int height);

    // Puts control at left x, top y with the given size, all in dialog units.
    void Place(QWidget* control, int x, int y, int width, int height);
    // The same for a group box: it frames other controls and is no obstacle to them.
    void PlaceFrame(QWidget* frame, int x, int y, int width, int height);

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
        bool frame;
    };
    void Apply();
    int RoomToTheRight(const Placement& placement, const QFont& font) const;

    QWidget* dialog_;
    QSize size_;
    std::vector<Placement> placements_;
};

} // namespace zelto
