#pragma once
// The widgets of the drive window on Qt: the window itself and a drive button. Each forwards its events to
// the view; only QtMainView.cpp includes this.
#include "qt/QtMainView.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QToolButton>
#include <QUrl>
#include <QWidget>

namespace qtui {

// The window widget: forwards its events to the view.
class QtMainView::Window : public QWidget {
  public:
    explicit Window(QtMainView& view)
        : QWidget(nullptr,
                  Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
          m_view(view) {}

  protected:
    void closeEvent(QCloseEvent* event) override {
        if (m_view.closeRequested())
            event->accept();
        else
            event->ignore();
    }
    void keyPressEvent(QKeyEvent* event) override { m_view.keyPressed(*event); }
    void keyReleaseEvent(QKeyEvent* event) override { m_view.keyReleased(*event); }
    // The focus goes where the presenter puts it: Tab reaches the key handlers, and a button hidden or
    // disabled under the focus hands it to no other.
    bool focusNextPrevChild(bool) override { return false; }
    // A key released elsewhere is never seen here: whatever was held counts as let go.
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::ActivationChange && !isActiveWindow())
            m_view.m_repeats.clear();
        QWidget::changeEvent(event);
    }
    void hideEvent(QHideEvent* event) override {
        m_view.m_repeats.clear();
        QWidget::hideEvent(event);
    }
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ScreenChangeInternal)
            m_view.screenChanged();
        return QWidget::event(event);
    }
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override {
        std::vector<std::string> paths;
        for (const QUrl& url : event->mimeData()->urls())
            if (url.isLocalFile())
                paths.push_back(url.toLocalFile().toStdString());
        // Web addresses alone carry nothing to launch: the drop is refused.
        if (paths.empty())
            return;
        event->acceptProposedAction();
        m_view.filesDropped(paths);
    }

  private:
    QtMainView& m_view;
};

// A drive button. It takes the focus; every key goes to the window's key handler, Space included: the
// key belongs to the window's registration keys, not to the button.
class QtMainView::DriveButton : public QToolButton {
  public:
    DriveButton(QtMainView& view, char letter, QWidget* parent)
        : QToolButton(parent), m_view(view), m_letter(letter) {
        setToolButtonStyle(Qt::ToolButtonIconOnly);
        setFocusPolicy(Qt::StrongFocus);
        setAcceptDrops(true);
        connect(this, &QToolButton::clicked, [this] { m_view.buttonClicked(m_letter); });
    }
    char letter() const { return m_letter; }

  protected:
    void keyPressEvent(QKeyEvent* event) override { m_view.keyPressed(*event); }
    // The right button opens the drive's own menu; the menu key and Shift+F10 stay the window's.
    void contextMenuEvent(QContextMenuEvent* event) override {
        if (event->reason() != QContextMenuEvent::Mouse) {
            event->ignore();
            return;
        }
        m_view.buttonMenuAsked(m_letter);
    }
    // With no press taken, a release has nothing for the button to finish.
    void keyReleaseEvent(QKeyEvent* event) override { m_view.keyReleased(*event); }

  private:
    QtMainView& m_view;
    char m_letter;
};

} // namespace qtui
