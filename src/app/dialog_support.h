// Pieces shared by the dialogs: placing controls in dialog units, reading a
// scroll bar's moves, turning stored values into bar positions, and cutting
// typed text to what the edit fields hand back.
#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>
#include <functional>
#include <string>

class QDialog;
class QFileDialog;
class QLabel;
class QPushButton;
class QScrollBar;
class QWidget;

// Dialog units scale with the dialog's font: a quarter of the average
// character width across and an eighth of the character height down, so the
// layouts keep their proportions whatever the system font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;

private:
    int baseX_ = 6;   // average character width, pixels
    int baseY_ = 13;  // character height, pixels
};

// What every dialog of the program starts with: its caption, a title bar
// with the system menu, a close button and (when minimisable) a minimise
// button, and a fixed size in dialog units of its font. Gives back those
// units, for placing its controls.
DialogUnits SetUpDialog(QDialog* dialog, const char* caption, int width, int height,
                        bool minimisable = true);

// A push button that does not become the default when it takes the focus.
QPushButton* MakeButton(QWidget* parent, const char* text, const char* name);

// Puts a control at a place and size given in dialog units.
void PlaceControl(QWidget* control, const DialogUnits& units, int x, int y, int width, int height);

// Labels sized in dialog units can be too narrow for a wide font. Widens
// each label to its text, and where they then reach into the controls beside
// them, moves those controls right and widens the fixed-size dialog by the
// same amount.
void MakeRoomForLabels(QWidget* dialog, const QList<QLabel*>& labels,
                       const QList<QWidget*>& besideLabels);

// The width a window needs for the window manager to show caption whole in
// its title bar: the caption in a bold font, with room for the window icon
// and the title-bar buttons beside it.
int RoomForCaption(const QWidget& window, const QString& caption);

// A horizontal bar with the given range, single step 1 and the given page.
// The position is set without counting as a move. The page only sizes the
// thumb: the position runs over the whole range, so a colour component of 1
// shows at 255 and a light of 1 at 100, and every step stores a value within
// the range.
QScrollBar* MakeBar(QWidget* parent, const char* name, int minimum, int maximum, int page,
                    int position);

// Calls moved with the bar's new position after every move the person makes:
// an arrow, a click in the trough, dragging the thumb, the wheel or a key.
// The position is already clamped to the bar's range. A move that cannot go
// further (an arrow at the end) still reports, so the stored value is brought
// into range even when the bar itself does not move.
void OnBarMoved(QScrollBar* bar, std::function<void(int)> moved);

// trunc(value x scale), the opening position of a bar, clamped to
// minimum..maximum. The product is formed in double precision, so a value
// just below a step (0.29f x 100) is cut to the step below (28), not rounded
// up by single-precision rounding.
int BarPosition(double value, double scale, int minimum, int maximum);

// The first limit bytes of the typed text in UTF-8, never cutting a
// character in two.
std::string CutTypedText(const QString& typed, std::size_t limit);

// Opens chooser in the folder the last file chooser ended in, and keeps the
// folder of the file it hands back for the next one (shellState, for the
// run; the window program starts from the newest Recent File's folder).
void KeepChooserFolder(QFileDialog& chooser);

// std::string and QString, both UTF-8 on our side.
inline QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}
