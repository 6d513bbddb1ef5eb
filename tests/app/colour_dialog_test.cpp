// The Colour Selection dialog driven as a person would: opening positions,
// arrow and trough clicks, dragging, OK, Cancel and the close box, several
// dialogs at once, and the swatch's pixels.
#include <gtest/gtest.h>

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

using ColourDialogTest = DialogTest;

TEST_F(ColourDialogTest, OpensAtOneOneWithTruncatedPositionsAndStoresNothing) {
    QWidget mainWindow;
    shellState.mainWindow = &mainWindow;
    Colour colour{0.8f, 0.8f, 0.8f, 1.0f};
    OpenColourDialog(colour);
    QDialog* dialog = LastDialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_EQ(dialog->parentWidget(), &mainWindow);
    EXPECT_EQ(dialog->frameGeometry().topLeft(), QPoint(1, 1));
    for (const char* name : {"red", "green", "blue"}) EXPECT_EQ(Bar(dialog, name)->value(), 204);
    EXPECT_EQ(Bar(dialog, "alpha")->value(), 255);
    EXPECT_EQ(shellState.colourDialogs[0].target, &colour);
    EXPECT_TRUE(Same(shellState.colourDialogs[0].saved, colour));
    EXPECT_TRUE(Same(colour, Colour{0.8f, 0.8f, 0.8f, 1.0f}));
    EXPECT_EQ(Swatch(dialog), QColor(204, 204, 204));
    EXPECT_EQ(Swatch(dialog, true), QColor(Qt::black));

    // Components outside 0..1 from a hand-edited file open at the nearest
    // end and stay as they are until a bar moves.
    Colour odd{1.5f, -0.25f, 0.5f, std::numeric_limits<float>::quiet_NaN()};
    OpenColourDialog(odd);
    EXPECT_EQ(Bar(LastDialog(), "red")->value(), 255);
    EXPECT_EQ(Bar(LastDialog(), "green")->value(), 0);
    EXPECT_EQ(Bar(LastDialog(), "blue")->value(), 127);
    EXPECT_EQ(Bar(LastDialog(), "alpha")->value(), 0);
    EXPECT_TRUE(odd.red == 1.5f && odd.green == -0.25f && std::isnan(odd.alpha));
    EXPECT_EQ(Swatch(LastDialog()), QColor(255, 0, 127));
}

TEST_F(ColourDialogTest, ArrowsStepOneTroughStepsTenAndTheEndsClamp) {
    Colour colour{0.2f, 1.0f, 1.5f, 1.0f};
    OpenColourDialog(colour);
    QDialog* dialog = LastDialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    QScrollBar* red = Bar(dialog, "red");
    ASSERT_TRUE(ClickBar(red, QStyle::SC_ScrollBarAddLine));
    EXPECT_PRED_FORMAT2(FuzzyEqual<float>, colour.red, 52 * kColourStep);
    ASSERT_TRUE(ClickBar(red, QStyle::SC_ScrollBarAddPage));
    EXPECT_PRED_FORMAT2(FuzzyEqual<float>, colour.red, 62 * kColourStep);
    EXPECT_EQ(Swatch(dialog).red(), 62);
    ASSERT_TRUE(ClickBar(red, QStyle::SC_ScrollBarSubPage));
    EXPECT_PRED_FORMAT2(FuzzyEqual<float>, colour.red, 52 * kColourStep);

    // The bar reaches 255, where a further step keeps 1 exactly; a
    // component above 1 is brought back to 1 by its first move.
    QScrollBar* green = Bar(dialog, "green");
    ASSERT_TRUE(ClickBar(green, QStyle::SC_ScrollBarAddLine));
    EXPECT_PRED_FORMAT2(FuzzyEqual<float>, colour.green, 1.0f);
    ASSERT_TRUE(ClickBar(Bar(dialog, "blue"), QStyle::SC_ScrollBarAddLine));
    EXPECT_PRED_FORMAT2(FuzzyEqual<float>, colour.blue, 1.0f);
    ASSERT_TRUE(ClickBar(green, QStyle::SC_ScrollBarSubLine));
    ASSERT_TRUE(ClickBar(green, QStyle::SC_ScrollBarAddPage));
    EXPECT_PRED_FORMAT2(FuzzyEqual<float>, colour.green, 1.0f);
    EXPECT_EQ(green->value(), 255);
    red->setValue(4);
    ASSERT_TRUE(ClickBar(red, QStyle::SC_ScrollBarSubPage));
    EXPECT_PRED_FORMAT2(FuzzyEqual<float>, colour.red, 0.0f);

    // Alpha changes the colour but not the swatch.
    const QColor before = Swatch(dialog);
    ASSERT_TRUE(ClickBar(Bar(dialog, "alpha"), QStyle::SC_ScrollBarSubPage));
    EXPECT_PRED_FORMAT2(FuzzyEqual<float>, colour.alpha, 245 * kColourStep);
    EXPECT_EQ(Swatch(dialog), before);
}

TEST_F(ColourDialogTest, CancelAndTheCloseBoxRestoreTheExactFloatsOkKeeps) {
    const Colour original{0.123456f, 0.5f, 0.98765f, 0.3333f};
    for (const char* how : {"cancel", "close box", "ok"}) {
        Colour colour = original;
        OpenColourDialog(colour);
        QDialog* dialog = LastDialog();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        for (const char* name : {"green", "blue", "alpha"})
            ASSERT_TRUE(ClickBar(Bar(dialog, name), QStyle::SC_ScrollBarSubPage));
        DragThumb(Bar(dialog, "red"), -50);
        EXPECT_PRED_FORMAT2(FuzzyEqual<float>, colour.red, 0.0f);
        if (how == std::string("close box"))
            dialog->close();
        else
            Press(dialog, how);
        EXPECT_TRUE(shellState.colourDialogs.empty());
        if (how == std::string("ok"))
            EXPECT_TRUE(
                Same(colour, Colour{0.0f, 117 * kColourStep, 241 * kColourStep, 74 * kColourStep}));
        else
            EXPECT_TRUE(Same(colour, original));
        QPointer<QDialog> closed = dialog;
        DeleteClosedWidgets();
        EXPECT_FALSE(closed);
    }
}

TEST_F(ColourDialogTest, DialogsOnOneColourKeepTheirOwnCopiesAndTheirOrder) {
    const Colour original{0.4f, 0.4f, 0.4f, 1.0f};
    Colour background = original;
    Colour other{0.1f, 0.2f, 0.3f, 0.4f};
    OpenColourDialog(background);
    QDialog* first = LastDialog();
    OpenColourDialog(other);
    QDialog* middle = LastDialog();
    OpenColourDialog(background);
    QDialog* second = LastDialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(second));
    EXPECT_EQ(second->frameGeometry().topLeft(), QPoint(1, 1));

    ASSERT_TRUE(ClickBar(Bar(first, "red"), QStyle::SC_ScrollBarAddPage));
    EXPECT_PRED_FORMAT2(FuzzyEqual<float>, background.red, 112 * kColourStep);
    ASSERT_TRUE(ClickBar(Bar(second, "green"), QStyle::SC_ScrollBarAddLine));
    EXPECT_PRED_FORMAT2(FuzzyEqual<float>, background.green, 103 * kColourStep);

    // OK in the middle keeps the others in their order.
    Press(middle, "ok");
    ASSERT_EQ(shellState.colourDialogs.size(), std::size_t{2});
    EXPECT_EQ(shellState.colourDialogs[0].dialog, first);
    EXPECT_EQ(shellState.colourDialogs[1].dialog, second);
    Press(second, "ok");
    Press(first, "cancel");
    EXPECT_TRUE(Same(background, original));
    EXPECT_TRUE(shellState.colourDialogs.empty());
}

TEST_F(ColourDialogTest, DestroyedWithTheMainWindowKeepingItsEdits) {
    auto* mainWindow = new QWidget;
    shellState.mainWindow = mainWindow;
    Colour colour{0.5f, 0.5f, 0.5f, 0.5f};
    OpenColourDialog(colour);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(LastDialog()));
    ASSERT_TRUE(ClickBar(Bar(LastDialog(), "blue"), QStyle::SC_ScrollBarAddLine));
    delete mainWindow;
    shellState.mainWindow = nullptr;
    EXPECT_TRUE(shellState.colourDialogs.empty());
    EXPECT_PRED_FORMAT2(FuzzyEqual<float>, colour.blue, 128 * kColourStep);
}
