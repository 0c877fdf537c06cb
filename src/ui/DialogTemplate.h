#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <vector>

class QFont;
class QWidget;

namespace zelto {

// Lays a dialog out by the coordinates of its template: dialog units, where a horizontal unit is a quarter
// of the dialog font's average character width and a vertical unit an eighth of its height. The dialog
// keeps its template's proportions at any font size, and is laid out again when its font changes.
class DialogTemplate : public QObject {
public:
    // width and height: the client area in dialog units.
    DialogTemplate(QWidget* dialog, int width, int height);

    // Puts control at left x, top y with the given size, all in dialog units.
    void Place(QWidget* control, int x, int y, int width, int height);

    // Pixels per four horizontal and per eight vertical units.
    static QSize BaseUnits(const QFont& font);
    static QRect ToPixels(const QFont& font, const QRect& units);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply();

    struct Placement {
        QWidget* control;
        QRect units;
    };
    QWidget* dialog_;
    QSize size_;
    std::vector<Placement> placements_;
};

} // namespace zelto
