// The Colour Selection dialog driven like a person would: opening positions,
// arrow and trough clicks, dragging, OK, Cancel and the close box, several
// dialogs at once, and the swatch's pixels.
#include <QDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <limits>

#include "colour_dialog.h"
#include "gui_support.h"
#include "shell_state.h"

namespace {

QDialog* LastDialog() {
    return shellState.colourDialogs.empty()
               ? nullptr
               : static_cast<QDialog*>(shellState.colourDialogs.back().dialog);
}

QScrollBar* Bar(QWidget* dialog, const char* name) {
    return dialog->findChild<QScrollBar*>(QString::fromLatin1(name));
}

QPushButton* Button(QWidget* dialog, const char* name) {
    return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
}

// The swatch as it is painted now: its centre and its top-left corner.
QColor SwatchCentre(QWidget* dialog) {
    QWidget* swatch = dialog->findChild<QWidget*>(QStringLiteral("swatch"));
    const QImage image = swatch->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}
QColor SwatchCorner(QWidget* dialog) {
    QWidget* swatch = dialog->findChild<QWidget*>(QStringLiteral("swatch"));
    return swatch->grab().toImage().pixelColor(0, 0);
}

bool SameFloats(const Colour& a, const Colour& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

}  // namespace

class ColourDialogTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        ResetShell();
        QVERIFY(!ModalTimedOut());
        QCOMPARE(PendingModalAnswers(), 0);
    }

    void OpensAtOneOneWithTruncatedPositionsAndStoresNothing() {
        QWidget mainWindow;
        mainWindow.show();
        shellState.mainWindow = &mainWindow;
        Colour colour{0.8f, 0.8f, 0.8f, 1.0f};
        OpenColourDialog(colour);
        QDialog* dialog = LastDialog();
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Colour Selection"));
        QCOMPARE(dialog->parentWidget(), &mainWindow);
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->frameGeometry().topLeft(), QPoint(1, 1));
        QCOMPARE(Bar(dialog, "red")->value(), 204);
        QCOMPARE(Bar(dialog, "green")->value(), 204);
        QCOMPARE(Bar(dialog, "blue")->value(), 204);
        QCOMPARE(Bar(dialog, "alpha")->value(), 255);
        QCOMPARE(shellState.colourDialogs.size(), std::size_t{1});
        QCOMPARE(shellState.colourDialogs[0].target, &colour);
        QVERIFY(SameFloats(shellState.colourDialogs[0].saved, colour));
        QVERIFY(SameFloats(colour, Colour{0.8f, 0.8f, 0.8f, 1.0f}));
        QCOMPARE(SwatchCentre(dialog), QColor(204, 204, 204));
        QCOMPARE(SwatchCorner(dialog), QColor(Qt::black));

        // Components outside 0..1 from a hand-edited file open at the nearest
        // end and stay as they are until a bar moves.
        Colour odd{1.5f, -0.25f, 0.5f, std::numeric_limits<float>::quiet_NaN()};
        OpenColourDialog(odd);
        QCOMPARE(Bar(LastDialog(), "red")->value(), 255);
        QCOMPARE(Bar(LastDialog(), "green")->value(), 0);
        QCOMPARE(Bar(LastDialog(), "blue")->value(), 127);
        QCOMPARE(Bar(LastDialog(), "alpha")->value(), 0);
        QCOMPARE(odd.red, 1.5f);
        QCOMPARE(odd.green, -0.25f);
        QVERIFY(std::isnan(odd.alpha));
        QCOMPARE(SwatchCentre(LastDialog()), QColor(255, 0, 127));
    }

    void ArrowsStepOneTroughStepsTenAndTheEndsClamp() {
        Colour colour{0.2f, 1.0f, 1.5f, 1.0f};
        OpenColourDialog(colour);
        QDialog* dialog = LastDialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QScrollBar* red = Bar(dialog, "red");
        QCOMPARE(red->value(), 51);

        QVERIFY(ClickBar(red, QStyle::SC_ScrollBarAddLine));
        QCOMPARE(colour.red, 52 * kColourStep);
        QVERIFY(ClickBar(red, QStyle::SC_ScrollBarAddPage));
        QCOMPARE(colour.red, 62 * kColourStep);
        QCOMPARE(red->value(), 62);
        QCOMPARE(SwatchCentre(dialog).red(), 62);
        QVERIFY(ClickBar(red, QStyle::SC_ScrollBarSubLine));
        QCOMPARE(colour.red, 61 * kColourStep);
        QVERIFY(ClickBar(red, QStyle::SC_ScrollBarSubPage));
        QCOMPARE(colour.red, 51 * kColourStep);

        // At the top the bar stands at 255; a further step keeps 1 exactly,
        // and a component above 1 is brought back to 1 by its first move.
        QScrollBar* green = Bar(dialog, "green");
        QCOMPARE(green->value(), 255);
        QVERIFY(ClickBar(green, QStyle::SC_ScrollBarAddLine));
        QCOMPARE(colour.green, 1.0f);
        QVERIFY(ClickBar(Bar(dialog, "blue"), QStyle::SC_ScrollBarAddLine));
        QCOMPARE(colour.blue, 1.0f);
        QVERIFY(ClickBar(green, QStyle::SC_ScrollBarSubLine));
        QCOMPARE(colour.green, 254 * kColourStep);
        QVERIFY(ClickBar(green, QStyle::SC_ScrollBarAddPage));
        QCOMPARE(colour.green, 1.0f);
        QCOMPARE(green->value(), 255);

        // A page step near the bottom stops at 0.
        red->setValue(4);
        QVERIFY(ClickBar(red, QStyle::SC_ScrollBarSubPage));
        QCOMPARE(colour.red, 0.0f);
        QVERIFY(ClickBar(red, QStyle::SC_ScrollBarSubLine));
        QCOMPARE(colour.red, 0.0f);

        // Alpha changes the colour but not the swatch.
        const QColor before = SwatchCentre(dialog);
        QVERIFY(ClickBar(Bar(dialog, "alpha"), QStyle::SC_ScrollBarSubPage));
        QCOMPARE(colour.alpha, 245 * kColourStep);
        QCOMPARE(SwatchCentre(dialog), before);
    }

    void CancelAndTheCloseBoxRestoreTheExactFloats() {
        const Colour original{0.123456f, 0.5f, 0.98765f, 0.3333f};
        for (const bool byCloseBox : {false, true}) {
            Colour colour = original;
            OpenColourDialog(colour);
            QDialog* dialog = LastDialog();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            for (const char* name : {"red", "green", "blue", "alpha"})
                QVERIFY(ClickBar(Bar(dialog, name), QStyle::SC_ScrollBarSubPage));
            QVERIFY(!SameFloats(colour, original));
            if (byCloseBox)
                dialog->close();
            else
                QTest::mouseClick(Button(dialog, "cancel"), Qt::LeftButton);
            QVERIFY(SameFloats(colour, original));
            QVERIFY(shellState.colourDialogs.empty());
            QVERIFY(!dialog->isVisible());
        }
    }

    void OkKeepsTheEditsAfterDraggingRedToZero() {
        Colour colour{0.6f, 0.3f, 0.9f, 0.7f};
        OpenColourDialog(colour);
        QDialog* dialog = LastDialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QScrollBar* red = Bar(dialog, "red");
        DragThumb(red, -50);
        QCOMPARE(red->value(), 0);
        QCOMPARE(colour.red, 0.0f);
        QTest::mouseClick(Button(dialog, "ok"), Qt::LeftButton);
        QVERIFY(shellState.colourDialogs.empty());
        QVERIFY(SameFloats(colour, Colour{0.0f, 0.3f, 0.9f, 0.7f}));
        // The dialog goes away once the event loop runs.
        QPointer<QDialog> closed = dialog;
        DeleteClosedWidgets();
        QVERIFY(!closed);
    }

    void DialogsOnOneColourKeepTheirOwnCopiesAndTheirOrder() {
        const Colour original{0.4f, 0.4f, 0.4f, 1.0f};
        Colour background = original;
        Colour other{0.1f, 0.2f, 0.3f, 0.4f};
        OpenColourDialog(background);
        QDialog* first = LastDialog();
        OpenColourDialog(other);
        QDialog* middle = LastDialog();
        OpenColourDialog(background);
        QDialog* second = LastDialog();
        QVERIFY(QTest::qWaitForWindowExposed(second));
        QCOMPARE(second->frameGeometry().topLeft(), QPoint(1, 1));

        QVERIFY(ClickBar(Bar(first, "red"), QStyle::SC_ScrollBarAddPage));
        QCOMPARE(background.red, 112 * kColourStep);
        // The second dialog still shows where it opened, and moves from there.
        QVERIFY(ClickBar(Bar(second, "green"), QStyle::SC_ScrollBarAddLine));
        QCOMPARE(background.green, 103 * kColourStep);

        // OK in the middle keeps the others in their order.
        QTest::mouseClick(Button(middle, "ok"), Qt::LeftButton);
        QCOMPARE(shellState.colourDialogs.size(), std::size_t{2});
        QCOMPARE(shellState.colourDialogs[0].dialog, first);
        QCOMPARE(shellState.colourDialogs[1].dialog, second);

        QTest::mouseClick(Button(second, "ok"), Qt::LeftButton);
        QCOMPARE(background.green, 103 * kColourStep);
        QTest::mouseClick(Button(first, "cancel"), Qt::LeftButton);
        QVERIFY(SameFloats(background, original));
        QVERIFY(shellState.colourDialogs.empty());
    }

    void DestroyedWithTheMainWindowKeepingItsEdits() {
        auto* mainWindow = new QWidget;
        shellState.mainWindow = mainWindow;
        Colour colour{0.5f, 0.5f, 0.5f, 0.5f};
        OpenColourDialog(colour);
        QVERIFY(QTest::qWaitForWindowExposed(LastDialog()));
        QVERIFY(ClickBar(Bar(LastDialog(), "blue"), QStyle::SC_ScrollBarAddLine));
        delete mainWindow;
        shellState.mainWindow = nullptr;
        QVERIFY(shellState.colourDialogs.empty());
        QCOMPARE(colour.blue, 128 * kColourStep);
    }
};

QTEST_MAIN(ColourDialogTest)
#include "colour_dialog_test.moc"
