// The two modal boxes that ask for one line of text: the Input Box (a name,
// a formula) and the Add New Element box (a symbol or an element's name).
// Both hand the text back through inputText.
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialog_support.h"
#include "dialogs.h"
#include "prompts.h"

namespace {

QLineEdit* MakeEdit(QWidget* parent, const QString& text) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QStringLiteral("edit"));
    edit->setAlignment(Qt::AlignCenter);
    return edit;
}

// A box with one edit field: on OK it hands the field's text back; as it
// shows, it takes the keyboard with the field focused and its text
// selected, so what is typed goes there.
class TypingBox : public QDialog {
public:
    using QDialog::QDialog;

    void accept() override {
        StoreInputText(CutTypedText(edit_->text(), kInputTextLimit));
        QDialog::accept();
    }

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        activateWindow();
        edit_->setFocus(Qt::ActiveWindowFocusReason);
        edit_->selectAll();
    }

    QLineEdit* edit_ = nullptr;  // made by the box's own constructor
};

class InputBoxDialog : public TypingBox {
public:
    explicit InputBoxDialog(QWidget* owner) : TypingBox(owner) {
        const DialogUnits units = SetUpDialog(this, "Input Box", 186, 71);

        // Tab order OK, edit field. The box opens with the field focused and
        // its text selected: typing replaces it, Return (to OK, the
        // default) keeps it as it is.
        auto* ok = MakeButton(this, "OK", "ok");
        ok->setDefault(true);
        PlaceControl(ok, units, 67, 50, 50, 14);
        edit_ = MakeEdit(this, ToQString(inputText));
        PlaceControl(edit_, units, 7, 27, 172, 15);
        auto* prompt = new QLabel(ToQString(promptText), this);
        prompt->setObjectName(QStringLiteral("prompt"));
        prompt->setTextFormat(Qt::PlainText);
        prompt->setAlignment(Qt::AlignCenter);
        PlaceControl(prompt, units, 7, 7, 172, 16);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    }
    // Escape and the close box leave inputText as it was: the initial text.
};

class AddNewElementDialog : public TypingBox {
public:
    explicit AddNewElementDialog(QWidget* owner) : TypingBox(owner) {
        // A bare box with a frame of its own and no title bar.
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
        const DialogUnits units(font());
        setFixedSize(units.Size(79, 47));
        auto* frame = new QFrame(this);
        frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
        frame->setLineWidth(2);
        frame->setGeometry(rect());

        edit_ = MakeEdit(this, QString());
        PlaceControl(edit_, units, 2, 14, 74, 12);
        auto* ok = MakeButton(this, "OK", "ok");
        ok->setDefault(true);
        PlaceControl(ok, units, 2, 29, 28, 14);
        auto* label = new QLabel(QStringLiteral("Add New Element"), this);
        label->setObjectName(QStringLiteral("label"));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        PlaceControl(label, units, 2, 3, 74, 9);
        auto* cancel = MakeButton(this, "Cancel", "cancel");
        PlaceControl(cancel, units, 47, 29, 29, 14);
        edit_->setFocus();
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
};

}  // namespace

std::string InputBox(QWidget* owner, const std::string& prompt, const std::string& initial) {
    promptText = prompt;
    inputText = initial;
    InputBoxDialog box(owner);
    box.exec();
    return inputText;
}

void RunAddNewElementBox(QWidget* owner) {
    inputText.clear();
    AddNewElementDialog box(owner);
    box.exec();
}
