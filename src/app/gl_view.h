// The drawing area of the main window: its OpenGL context, the frames it
// draws and the mouse input over it.
#pragma once

#include <QOpenGLWidget>
#include <functional>

#include "view_state.h"

// Its size is the client area of the program: the viewport of every frame,
// kept in the settings' window width and height.
class GLView : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit GLView(QWidget* parent);
    // False once the context turned out unable to draw the program's frames.
    bool contextUsable() const { return contextUsable_; }
    // Frames drawn so far.
    long framesDrawn() const { return framesDrawn_; }
    // Where each frame takes the flight and scaling keys from: the window
    // that holds them. Without one, no key is held.
    void SetKeySource(std::function<ViewInput()> source) { keySource_ = std::move(source); }

signals:
    void contextFailed();
    // A frame has been drawn from the state as it is now.
    void frameDrawn();
    // The view's size has changed.
    void resized();

protected:
    void initializeGL() override;
    void paintGL() override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool contextUsable_ = true;
    long framesDrawn_ = 0;
    std::function<ViewInput()> keySource_;
};
