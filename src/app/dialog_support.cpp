// Dialog units, scroll bar moves, opening positions and the cutting of
// typed text, shared by every dialog of the shell; the file choosers' folder.
#include "dialog_support.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <cmath>

#include "shell_state.h"

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The average of 52 letters, rounded to the nearest pixel.
    baseX_ = std::max(1, (alphabet / 26 + 1) / 2);
    baseY_ = std::max(1, metrics.height());
}

int DialogUnits::X(int units) const {
    return static_cast<int>(std::lround(units * baseX_ / 4.0));
}
int DialogUnits::Y(int units) const {
    return static_cast<int>(std::lround(units * baseY_ / 8.0));
}
QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}
QSize DialogUnits::Size(int width, int height) const {
    return QSize(X(width), Y(height));
}

DialogUnits SetUpDialog(QDialog* dialog, const char* caption, int width, int height,
                        bool minimisable) {
    dialog->setWindowTitle(QString::fromLatin1(caption));
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint |
                           (minimisable ? Qt::WindowMinimizeButtonHint : Qt::WindowType(0)) |
                           Qt::WindowCloseButtonHint);
    const DialogUnits units(dialog->font());
    dialog->setFixedSize(units.Size(width, height));
    return units;
}

QPushButton* MakeButton(QWidget* parent, const char* text, const char* name) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

void PlaceControl(QWidget* control, const DialogUnits& units, int x, int y, int width, int height) {
    control->setGeometry(units.Rect(x, y, width, height));
}

void MakeRoomForLabels(QWidget* dialog, const QList<QLabel*>& labels,
                       const QList<QWidget*>& besideLabels) {
    if (besideLabels.isEmpty()) return;
    int left = besideLabels.first()->x();
    for (const QWidget* control : besideLabels) left = std::min(left, control->x());
    // A character's width between a label's text and its control: less
    // reads as if they touched.
    const int gap = dialog->fontMetrics().averageCharWidth();
    int overflow = 0;
    for (QLabel* label : labels) {
        const int width = std::max(label->width(), label->sizeHint().width());
        label->resize(width, label->height());
        overflow = std::max(overflow, label->x() + width + gap - left);
    }
    if (overflow == 0) return;
    for (QWidget* control : besideLabels) control->move(control->x() + overflow, control->y());
    dialog->setFixedSize(dialog->width() + overflow, dialog->height());
}

int RoomForCaption(const QWidget& window, const QString& caption) {
    QFont bold = window.font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    // Title fonts run a little wider than the dialog font; the icon and up to
    // four buttons take about a line height each, with margins between.
    return metrics.horizontalAdvance(caption) * 6 / 5 + 8 * metrics.height();
}

QScrollBar* MakeBar(QWidget* parent, const char* name, int minimum, int maximum, int page,
                    int position) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(minimum, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(page);
    bar->setValue(position);
    return bar;
}

void OnBarMoved(QScrollBar* bar, std::function<void(int)> moved) {
    // actionTriggered comes for every move the person makes, with the
    // position already stepped and clamped; setValue from the program does
    // not trigger it, so opening a dialog stores nothing.
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar,
                     [bar, moved = std::move(moved)](int action) {
                         if (action == QAbstractSlider::SliderNoAction) return;
                         moved(bar->sliderPosition());
                     });
}

int BarPosition(double value, double scale, int minimum, int maximum) {
    const double product = value * scale;
    // Clamp before converting: a hand-edited settings file can hold values
    // far outside the range, or no number at all.
    if (!(product >= minimum)) return minimum;
    if (product >= maximum) return maximum;
    return static_cast<int>(product);
}

std::string CutTypedText(const QString& typed, std::size_t limit) {
    std::string text = typed.toStdString();
    if (text.size() <= limit) return text;
    std::size_t end = limit;
    // Step back over continuation bytes to the start of the character that
    // would be cut.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}

void KeepChooserFolder(QFileDialog& chooser) {
    if (!shellState.chooserFolder.empty())
        chooser.setDirectory(QFile::decodeName(shellState.chooserFolder.c_str()));
    QObject::connect(&chooser, &QFileDialog::fileSelected, &chooser, [](const QString& file) {
        shellState.chooserFolder = QFile::encodeName(QFileInfo(file).absolutePath()).toStdString();
    });
}
