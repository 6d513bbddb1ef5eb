// The Colour Selection dialog driven as a person would: opening positions,
// arrow and trough clicks, dragging, OK, Cancel and the close box, several
// dialogs at once, and the swatch's pixels.
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <limits>

#include "colour_dialog.h"
#include "gui_support.h"
#include "shell_state.h"

namespace {

QDialog* LastDialog() {
    return static_cast<QDialog*>(shellState.colourDialogs.back().dialog);
}
QScrollBar* Bar(QWidget* dialog, const char* name) {
    return Child<QScrollBar>(dialog, name);
}
void Press(QWidget* dialog, const char* button) {
    QTest::mouseClick(Child<QPushButton>(dialog, button), Qt::LeftButton);
}

// A pixel of the swatch as it is painted now; centre by default.
QColor Swatch(QWidget* dialog, bool corner = false) {
    const QImage image = Child<QWidget>(dialog, "swatch")->grab().toImage();
    return corner ? image.pixelColor(0, 0)
                  : image.pixelColor(image.width() / 2, image.height() / 2);
}

bool Same(const Colour& a, const Colour& b) {
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
        shellState.mainWindow = &mainWindow;
        Colour colour{0.8f, 0.8f, 0.8f, 1.0f};
        OpenColourDialog(colour);
        QDialog* dialog = LastDialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->parentWidget(), &mainWindow);
        QCOMPARE(dialog->frameGeometry().topLeft(), QPoint(1, 1));
        for (const char* name : {"red", "green", "blue"}) QCOMPARE(Bar(dialog, name)->value(), 204);
        QCOMPARE(Bar(dialog, "alpha")->value(), 255);
        QCOMPARE(shellState.colourDialogs[0].target, &colour);
        QVERIFY(Same(shellState.colourDialogs[0].saved, colour));
        QVERIFY(Same(colour, Colour{0.8f, 0.8f, 0.8f, 1.0f}));
        QCOMPARE(Swatch(dialog), QColor(204, 204, 204));
        QCOMPARE(Swatch(dialog, true), QColor(Qt::black));

        // Components outside 0..1 from a hand-edited file open at the nearest
        // end and stay as they are until a bar moves.
        Colour odd{1.5f, -0.25f, 0.5f, std::numeric_limits<float>::quiet_NaN()};
        OpenColourDialog(odd);
        QCOMPARE(Bar(LastDialog(), "red")->value(), 255);
        QCOMPARE(Bar(LastDialog(), "green")->value(), 0);
        QCOMPARE(Bar(LastDialog(), "blue")->value(), 127);
        QCOMPARE(Bar(LastDialog(), "alpha")->value(), 0);
        QVERIFY(odd.red == 1.5f && odd.green == -0.25f && std::isnan(odd.alpha));
        QCOMPARE(Swatch(LastDialog()), QColor(255, 0, 127));
    }

    void ArrowsStepOneTroughStepsTenAndTheEndsClamp() {
        Colour colour{0.2f, 1.0f, 1.5f, 1.0f};
        OpenColourDialog(colour);
        QDialog* dialog = LastDialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QScrollBar* red = Bar(dialog, "red");
        QVERIFY(ClickBar(red, QStyle::SC_ScrollBarAddLine));
        QCOMPARE(colour.red, 52 * kColourStep);
        QVERIFY(ClickBar(red, QStyle::SC_ScrollBarAddPage));
        QCOMPARE(colour.red, 62 * kColourStep);
        QCOMPARE(Swatch(dialog).red(), 62);
        QVERIFY(ClickBar(red, QStyle::SC_ScrollBarSubPage));
        QCOMPARE(colour.red, 52 * kColourStep);

        // The bar reaches 255, where a further step keeps 1 exactly; a
        // component above 1 is brought back to 1 by its first move.
        QScrollBar* green = Bar(dialog, "green");
        QVERIFY(ClickBar(green, QStyle::SC_ScrollBarAddLine));
        QCOMPARE(colour.green, 1.0f);
        QVERIFY(ClickBar(Bar(dialog, "blue"), QStyle::SC_ScrollBarAddLine));
        QCOMPARE(colour.blue, 1.0f);
        QVERIFY(ClickBar(green, QStyle::SC_ScrollBarSubLine));
        QVERIFY(ClickBar(green, QStyle::SC_ScrollBarAddPage));
        QCOMPARE(colour.green, 1.0f);
        QCOMPARE(green->value(), 255);
        red->setValue(4);
        QVERIFY(ClickBar(red, QStyle::SC_ScrollBarSubPage));
        QCOMPARE(colour.red, 0.0f);

        // Alpha changes the colour but not the swatch.
        const QColor before = Swatch(dialog);
        QVERIFY(ClickBar(Bar(dialog, "alpha"), QStyle::SC_ScrollBarSubPage));
        QCOMPARE(colour.alpha, 245 * kColourStep);
        QCOMPARE(Swatch(dialog), before);
    }

    void CancelAndTheCloseBoxRestoreTheExactFloatsOkKeeps() {
        const Colour original{0.123456f, 0.5f, 0.98765f, 0.3333f};
        for (const char* how : {"cancel", "close box", "ok"}) {
            Colour colour = original;
            OpenColourDialog(colour);
            QDialog* dialog = LastDialog();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            for (const char* name : {"green", "blue", "alpha"})
                QVERIFY(ClickBar(Bar(dialog, name), QStyle::SC_ScrollBarSubPage));
            DragThumb(Bar(dialog, "red"), -50);
            QCOMPARE(colour.red, 0.0f);
            if (how == std::string("close box"))
                dialog->close();
            else
                Press(dialog, how);
            QVERIFY(shellState.colourDialogs.empty());
            if (how == std::string("ok"))
                QVERIFY(Same(colour,
                             Colour{0.0f, 117 * kColourStep, 241 * kColourStep, 74 * kColourStep}));
            else
                QVERIFY(Same(colour, original));
            QPointer<QDialog> closed = dialog;
            DeleteClosedWidgets();
            QVERIFY(!closed);
        }
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
        QVERIFY(ClickBar(Bar(second, "green"), QStyle::SC_ScrollBarAddLine));
        QCOMPARE(background.green, 103 * kColourStep);

        // OK in the middle keeps the others in their order.
        Press(middle, "ok");
        QCOMPARE(shellState.colourDialogs.size(), std::size_t{2});
        QCOMPARE(shellState.colourDialogs[0].dialog, first);
        QCOMPARE(shellState.colourDialogs[1].dialog, second);
        Press(second, "ok");
        Press(first, "cancel");
        QVERIFY(Same(background, original));
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
