// The Set Controls dialog: a modeless window whose four bars set the detail
// level, the cohesion and the two lights while the molecule keeps moving.
// There is at most one, held in shellState.controlsDialog.
#include <QDialog>
#include <QLabel>
#include <QScrollBar>

#include "dialog_support.h"
#include "dialogs.h"
#include "settings.h"
#include "shell_state.h"

namespace {

// A light as its bar stores it: the nearest single-precision value to
// position / 100, so position 49 stores exactly 0.49f.
float LightFromPosition(int position) {
    return static_cast<float>(position) / 100.0f;
}

int LightPosition(float light) {
    return BarPosition(light, 100.0, 0, 100);
}

class ControlsDialog : public QDialog {
public:
    explicit ControlsDialog(QWidget* owner) : QDialog(owner) {
        const DialogUnits units = SetUpDialog(this, "Set Controls", 202, 78);

        // Positions outside a bar's range (a hand-edited settings file) are
        // shown at the nearest end; the setting keeps its value until the
        // bar is moved.
        QScrollBar* detail = MakeBar(this, "detail", 6, 36, 6, 0);
        detail->setValue(settings.DetailLevel);
        PlaceControl(detail, units, 54, 7, 141, 10);
        OnBarMoved(detail, [](int position) { settings.DetailLevel = position; });

        QScrollBar* cohesion = MakeBar(this, "cohesion", 0, 100, 10, 0);
        cohesion->setValue(settings.Cohesion);
        PlaceControl(cohesion, units, 54, 25, 141, 10);
        OnBarMoved(cohesion, [](int position) { settings.Cohesion = position; });

        AddLabel(units, "Detail Level", 7, 7, 40);
        AddLabel(units, "Cohesion", 7, 25, 31);

        QScrollBar* ambient =
            MakeBar(this, "ambient", 0, 100, 10, LightPosition(settings.LightAmbient));
        PlaceControl(ambient, units, 54, 43, 141, 10);
        OnBarMoved(ambient,
                   [](int position) { settings.LightAmbient = LightFromPosition(position); });

        QScrollBar* diffuse =
            MakeBar(this, "diffuse", 0, 100, 10, LightPosition(settings.LightDiffuse));
        PlaceControl(diffuse, units, 54, 61, 141, 10);
        OnBarMoved(diffuse,
                   [](int position) { settings.LightDiffuse = LightFromPosition(position); });

        AddLabel(units, "Ambient Light", 7, 43, 46);
        AddLabel(units, "Diffuse Light", 7, 61, 46);
        MakeRoomForLabels(this, labels_, {detail, cohesion, ambient, diffuse});
    }

    ~ControlsDialog() override {
        if (shellState.controlsDialog == this) shellState.controlsDialog = nullptr;
    }

    // The close box and Escape: the dialog closes itself, so it tells the
    // main window, whose menu mark follows.
    void reject() override {
        const bool wasOpen = shellState.controlsDialog == this;
        if (wasOpen) shellState.controlsDialog = nullptr;
        QDialog::reject();
        deleteLater();
        if (wasOpen && shellState.controlsDialogClosed) shellState.controlsDialogClosed();
    }

private:
    void AddLabel(const DialogUnits& units, const char* text, int x, int y, int width) {
        labels_.append(new QLabel(QString::fromLatin1(text), this));
        PlaceControl(labels_.back(), units, x, y, width, 10);
    }

    QList<QLabel*> labels_;
};

}  // namespace

void ShowControlsDialog() {
    if (shellState.controlsDialog) return;
    auto* dialog = new ControlsDialog(shellState.mainWindow);
    shellState.controlsDialog = dialog;
    dialog->move(1, 1);
    dialog->show();
}

void CloseControlsDialog() {
    QWidget* dialog = shellState.controlsDialog;
    if (!dialog) return;
    shellState.controlsDialog = nullptr;
    dialog->hide();
    dialog->deleteLater();
}
