// The Colour Selection dialog. Each open dialog has a record in
// shellState.colourDialogs holding the colour it edits and the copy to put
// back on Cancel; the dialog finds its record by itself on every move.
#include "colour_dialog.h"

#include <QDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>
#include <functional>

#include "dialog_support.h"
#include "shell_state.h"

namespace {

// The record of dialog, or null once it has been closed.
ColourDialogRecord* FindRecord(const QWidget* dialog) {
    for (ColourDialogRecord& record : shellState.colourDialogs)
        if (record.dialog == dialog) return &record;
    return nullptr;
}

void RemoveRecord(const QWidget* dialog) {
    auto& records = shellState.colourDialogs;
    const auto found = std::find_if(records.begin(), records.end(), [dialog](const auto& record) {
        return record.dialog == dialog;
    });
    if (found != records.end()) records.erase(found);
}

// Screen value of one component: the swatch shows what the bars show, so a
// component outside 0..1 (from a hand-edited settings file) is shown at the
// nearest end.
int SwatchChannel(float component) {
    return BarPosition(component, 255.0, 0, 255);
}

// The painted colour: a rectangle filling the control, outlined in black one
// pixel wide. Alpha is not shown.
class Swatch : public QWidget {
public:
    Swatch(QWidget* parent, std::function<const Colour*()> colour)
        : QWidget(parent), colour_(std::move(colour)) {
        setObjectName(QStringLiteral("swatch"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const Colour* colour = colour_();
        if (!colour) return;
        QPainter painter(this);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(QColor(SwatchChannel(colour->red), SwatchChannel(colour->green),
                                SwatchChannel(colour->blue)));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    std::function<const Colour*()> colour_;
};

class ColourDialog : public QDialog {
public:
    explicit ColourDialog(QWidget* owner) : QDialog(owner) {
        const DialogUnits units = SetUpDialog(this, "Colour Selection", 185, 89);

        // Created in tab order: OK, Cancel, then the bars.
        auto* ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setObjectName(QStringLiteral("ok"));
        ok->setDefault(true);
        PlaceControl(ok, units, 128, 68, 50, 14);
        auto* cancel = MakeButton(this, "Cancel", "cancel");
        PlaceControl(cancel, units, 7, 68, 50, 14);
        swatch_ = new Swatch(this, [this] {
            const ColourDialogRecord* record = FindRecord(this);
            return record ? record->target : nullptr;
        });
        PlaceControl(swatch_, units, 67, 68, 52, 14);

        struct BarPlace {
            const char* name;
            const char* label;
            int labelWidth;
            int y;
            float Colour::*component;
        };
        const BarPlace bars[] = {{"red", "Red", 14, 7, &Colour::red},
                                 {"green", "Green", 20, 21, &Colour::green},
                                 {"blue", "Blue", 14, 35, &Colour::blue},
                                 {"alpha", "Alpha", 19, 50, &Colour::alpha}};
        QList<QLabel*> labels;
        QList<QWidget*> besideLabels{ok};
        for (const BarPlace& place : bars) {
            QScrollBar* bar = MakeBar(this, place.name, 0, 255, 10, 0);
            PlaceControl(bar, units, 31, place.y, 147, 11);
            OnBarMoved(bar, [this, component = place.component](int position) {
                Move(component, position);
            });
            besideLabels.append(bar);
            labels.append(new QLabel(QString::fromLatin1(place.label), this));
            PlaceControl(labels.back(), units, 7, place.y, place.labelWidth, 8);
        }
        MakeRoomForLabels(this, labels, besideLabels);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }

    ~ColourDialog() override {
        // Destroyed with the main window, without OK or Cancel: the edits
        // stay in the colour, and the record must not outlive its dialog.
        RemoveRecord(this);
    }

    // The bars at trunc(component x 255) of colour, stored nowhere.
    void ShowColour(const Colour& colour) {
        findChild<QScrollBar*>(QStringLiteral("red"))->setValue(Opening(colour.red));
        findChild<QScrollBar*>(QStringLiteral("green"))->setValue(Opening(colour.green));
        findChild<QScrollBar*>(QStringLiteral("blue"))->setValue(Opening(colour.blue));
        findChild<QScrollBar*>(QStringLiteral("alpha"))->setValue(Opening(colour.alpha));
        swatch_->update();
    }

    void accept() override { Finish(false); }
    // Cancel, Escape and the close box.
    void reject() override { Finish(true); }

private:
    static int Opening(float component) { return BarPosition(component, 255.0, 0, 255); }

    void Move(float Colour::*component, int position) {
        ColourDialogRecord* record = FindRecord(this);
        if (!record) return;
        record->target->*component = static_cast<float>(position) * kColourStep;
        swatch_->update();
    }

    void Finish(bool restore) {
        if (ColourDialogRecord* record = FindRecord(this)) {
            if (restore) *record->target = record->saved;
            RemoveRecord(this);
        }
        QDialog::done(restore ? QDialog::Rejected : QDialog::Accepted);
        deleteLater();
    }

    Swatch* swatch_ = nullptr;
};

}  // namespace

void OpenColourDialog(Colour& colour) {
    auto* dialog = new ColourDialog(shellState.mainWindow);
    dialog->ShowColour(colour);
    dialog->move(1, 1);
    dialog->show();
    dialog->activateWindow();
    // The first paint comes from the event loop, after the record exists.
    shellState.colourDialogs.push_back({dialog, colour, &colour});
}
