#include "gl_view.h"

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QWheelEvent>

#include "frame.h"
#include "gl_setup.h"
#include "isolated_call.h"
#include "key_bindings.h"
#include "molecule.h"
#include "notices.h"
#include "pointer_input.h"
#include "shell_state.h"
#include "undo.h"

GLView::GLView(QWidget* parent) : QOpenGLWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void GLView::initializeGL() {
    // The shadows count in the stencil buffer and the picture is swapped in
    // from a back buffer: a context without them cannot draw the program.
    const QSurfaceFormat made = format();
    if (!context() || !context()->isValid() || made.stencilBufferSize() < kSurfaceStencilBits ||
        made.depthBufferSize() < 16) {
        contextUsable_ = false;
        emit contextFailed();
        return;
    }
    ShowNotices(SetupOpenGL());
}

void GLView::paintGL() {
    if (!contextUsable_) return;
    const qreal ratio = devicePixelRatioF();
    FrameInput input;
    input.width = static_cast<int>(width() * ratio);
    input.height = static_cast<int>(height() * ratio);
    input.mouseX = static_cast<int>(shellState.pointer.lastMouseX * ratio);
    input.mouseY = static_cast<int>(shellState.pointer.lastMouseY * ratio);
    input.pixelRatio = static_cast<float>(ratio);
    if (keySource_) input.keys = keySource_();
    RenderFrame(input);
    ++framesDrawn_;
    emit frameDrawn();
}

void GLView::resizeEvent(QResizeEvent* event) {
    QOpenGLWidget::resizeEvent(event);
    viewState.viewWidth = width();  // the shape a molecule read is fitted to
    viewState.viewHeight = height();
    emit resized();
}

namespace {

// The step that a drag of an atom makes, taken as the left button goes down
// on the atom and kept when it is released after the atom moved.
void BeginAtomDrag() {
    shellState.dragStep = BeginUndoStep("Move Atom");
    shellState.atomMoved = false;
}

void NoteAtomDragged() {
    if (shellState.dragStep) shellState.atomMoved = true;
}

void EndAtomDrag() {
    if (shellState.dragStep && shellState.atomMoved)
        CommitUndoStep(std::move(*shellState.dragStep));
    shellState.dragStep.reset();
    shellState.atomMoved = false;
}

PointerEvent PointerEventOf(PointerEvent::Kind kind, QPoint at, Qt::KeyboardModifiers modifiers) {
    PointerEvent event;
    event.kind = kind;
    event.x = at.x();
    event.y = at.y();
    event.shiftHeld = ShiftHeld(modifiers);
    event.ctrlHeld = CtrlHeld(modifiers);
    return event;
}

}  // namespace

void GLView::mousePressEvent(QMouseEvent* event) {
    using Kind = PointerEvent::Kind;
    const QPoint at = event->position().toPoint();
    // Selecting and dragging change the molecule: not while a child works on it.
    if (event->button() == Qt::LeftButton && IsolatedWorkUnderWay()) return;
    if (event->button() == Qt::LeftButton) {
        // A press on an atom may start a drag, one undo step from here.
        BeginAtomDrag();
        HandlePointerEvent(PointerEventOf(Kind::LeftPress, at, event->modifiers()),
                           shellState.pointer);
        if (molecule.currentNode == -1) EndAtomDrag();
    } else if (event->button() == Qt::RightButton)
        HandlePointerEvent(PointerEventOf(Kind::RightPress, at, event->modifiers()),
                           shellState.pointer);
}

void GLView::mouseReleaseEvent(QMouseEvent* event) {
    using Kind = PointerEvent::Kind;
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        HandlePointerEvent(PointerEventOf(Kind::LeftRelease, at, event->modifiers()),
                           shellState.pointer);
        EndAtomDrag();
    } else if (event->button() == Qt::RightButton)
        HandlePointerEvent(PointerEventOf(Kind::RightRelease, at, event->modifiers()),
                           shellState.pointer);
}

void GLView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (molecule.dragging && molecule.currentNode != -1 &&
        at != QPoint(shellState.pointer.lastMouseX, shellState.pointer.lastMouseY))
        NoteAtomDragged();
    HandlePointerEvent(PointerEventOf(PointerEvent::Kind::Move, at, event->modifiers()),
                       shellState.pointer);
}

void GLView::wheelEvent(QWheelEvent* event) {
    // A sideways scroll has no vertical turn and moves nothing.
    PointerEvent wheel = PointerEventOf(PointerEvent::Kind::Wheel, QPoint(), event->modifiers());
    wheel.wheelTurn = event->angleDelta().y();
    HandlePointerEvent(wheel, shellState.pointer);
}
