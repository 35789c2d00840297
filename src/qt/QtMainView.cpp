#include "qt/QtMainView.h"

#include "qt/QtFonts.h"
#include "qt/QtFrameExtents.h"
#include "qt/QtIcons.h"
#include "qt/QtTwips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QToolButton>
#include <QUrl>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace qtui {
namespace {

// How long the window manager may take to tell the frame it will draw; it answers at once.
constexpr std::chrono::milliseconds kFramePatience{500};

struct TwipsRect {
    double top = 0, left = 0, width = 0, height = 0;
};

// A press of the keys that open the window's context menu from the keyboard.
bool isContextMenuKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_Menu ||
           (event.key() == Qt::Key_F10 && (event.modifiers() & Qt::ShiftModifier));
}

// What the view knows of each control it made: the widget that draws it.
class QtControl {
  public:
    virtual ~QtControl() = default;
    virtual QWidget* qtWidget() = 0;
};

} // namespace

QtTimer::QtTimer(std::function<void()> tick) {
    QObject::connect(&m_timer, &QTimer::timeout, std::move(tick));
}

void QtTimer::start(int milliseconds) {
    // QTimer::start restarts a running timer: the next tick comes a whole interval from now.
    m_timer.start(milliseconds);
}

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
    DriveButton(QtMainView& view, int index, QWidget* parent)
        : QToolButton(parent), m_view(view), m_index(index) {
        setToolButtonStyle(Qt::ToolButtonIconOnly);
        setFocusPolicy(Qt::StrongFocus);
        setAcceptDrops(true);
        connect(this, &QToolButton::clicked, [this] { m_view.buttonClicked(m_index); });
    }
    int index() const { return m_index; }

  protected:
    void keyPressEvent(QKeyEvent* event) override { m_view.keyPressed(*event); }
    // With no press taken, a release has nothing for the button to finish.
    void keyReleaseEvent(QKeyEvent* event) override { m_view.keyReleased(*event); }

  private:
    QtMainView& m_view;
    int m_index;
};

namespace {

// The drive window is a plain widget, which Qt gives to a screen reader as a pane in no window; it is the
// program's window, and is read as one.
QAccessibleInterface* driveWindowAccessible(const QString&, QObject* object) {
    if (auto* window = dynamic_cast<QtMainView::Window*>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

// A control's place in twips, shown at the nearest whole pixels.
template <class Base, class Widget> class Placed : public Base, public QtControl {
  public:
    Placed(int index, Widget* widget, double twipsPerPixel)
        : m_index(index), m_widget(widget), m_twipsPerPixel(twipsPerPixel) {
        m_widget->setVisible(false);
        apply();
    }
    ~Placed() override {
        if (m_widget) {
            m_widget->hide();
            // The widget may be inside its own event (a key press on a focused button): it goes once
            // the event has returned.
            m_widget->deleteLater();
        }
    }
    Placed(const Placed&) = delete;
    Placed& operator=(const Placed&) = delete;

    QWidget* qtWidget() override { return m_widget; }
    int index() override { return m_index; }
    double top() override { return m_rect.top; }
    double left() override { return m_rect.left; }
    double width() override { return m_rect.width; }
    double height() override { return m_rect.height; }
    void setTop(double twips) override {
        m_rect.top = twips;
        apply();
    }
    void setLeft(double twips) override {
        m_rect.left = twips;
        apply();
    }
    void setWidth(double twips) override {
        m_rect.width = twips;
        apply();
    }
    void setHeight(double twips) override {
        m_rect.height = twips;
        apply();
    }
    bool visible() override { return m_visible; }
    void setVisible(bool visible) override {
        m_visible = visible;
        if (m_widget)
            m_widget->setVisible(visible);
    }

  protected:
    virtual QSize pixelSize(int width, int height) { return {width, height}; }

    void apply() {
        if (!m_widget)
            return;
        const QSize size = pixelSize(std::max(0, toPixels(m_rect.width, m_twipsPerPixel)),
                                     std::max(0, toPixels(m_rect.height, m_twipsPerPixel)));
        m_widget->setGeometry(toPixels(m_rect.left, m_twipsPerPixel), toPixels(m_rect.top, m_twipsPerPixel),
                              size.width(), size.height());
    }

    int m_index;
    QPointer<Widget> m_widget;
    double m_twipsPerPixel;
    TwipsRect m_rect;
    bool m_visible = false;
};

class Button : public Placed<port::IButton, QToolButton> {
  public:
    using Placed::Placed;

    void setPicture(std::unique_ptr<port::IPicture> picture) override {
        auto* qtPicture = dynamic_cast<QtPicture*>(picture.get());
        const QIcon icon = qtPicture ? qtPicture->icon() : QIcon();
        if (m_widget) {
            // A disabled button draws the icon's disabled mode: the picture greyed. The picture is the
            // large icon, 32 logical pixels: Qt takes the image of the file that fits the screen's scale
            // (48 pixels at 1.5), and never draws a picture larger than its largest image.
            m_widget->setIcon(icon);
            m_widget->setIconSize(QSize(kPictureSide, kPictureSide));
        }
        m_picture = std::move(picture);
    }
    bool hasPicture() override { return m_picture != nullptr; }
    bool enabled() override { return m_widget && m_widget->isEnabled(); }
    void setEnabled(bool enabled) override {
        if (m_widget)
            m_widget->setEnabled(enabled);
    }
    void setAccessibleName(const std::string& name) override {
        if (m_widget)
            m_widget->setAccessibleName(QString::fromStdString(name));
    }

  private:
    std::unique_ptr<port::IPicture> m_picture;
};

class Label : public Placed<port::ILabel, QLabel> {
  public:
    using Placed::Placed;

    std::string caption() override { return m_caption; }
    void setCaption(const std::string& text) override {
        m_caption = text;
        if (m_widget)
            m_widget->setText(QString::fromStdString(text));
    }

  protected:
    // A label's line may be lower than the font's line (a CJK font's is tall); the text then reaches
    // into the space below instead of being cut. The labels draw no background.
    QSize pixelSize(int width, int height) override {
        const int line = static_cast<int>(std::ceil(QFontMetricsF(m_widget->font()).height()));
        return {width, std::max(height, line)};
    }

  private:
    std::string m_caption;
};

} // namespace

QtMainView::QtMainView(const QIcon& windowIcon)
    : m_window(std::make_unique<Window>(*this)), m_refresh([this] {
          if (m_events && !m_closed)
              m_events->refreshTick();
      }),
      m_end([this] {
          if (m_events && !m_closed)
              m_events->endTick();
      }) {
    // A tool window does not count as the last window; the program ends when this window closes,
    // and a message box closing while the window is hidden must not end it.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QAccessible::installFactory(driveWindowAccessible);
    m_window->setWindowIcon(windowIcon);
    m_window->setAcceptDrops(true);
    // The user cannot resize the window; only the program does. The window manager decides its frame
    // by that, so the size is fixed before the frame is asked for.
    fixWindowSize(*m_window, m_window->size());
    m_expectedFrame = requestFrameExtents(*m_window, kFramePatience);
    // Until the program places it, the window's frame sits in the screen's corner, whole.
    placeClient({m_expectedFrame.left(), m_expectedFrame.top()});
}

QtMainView::~QtMainView() {
    m_refresh.stop();
    m_end.stop();
}

QWidget& QtMainView::window() {
    return *m_window;
}

QWidget* QtMainView::widgetOf(port::IControl& control) {
    auto* made = dynamic_cast<QtControl*>(&control);
    return made ? made->qtWidget() : nullptr;
}

QMargins QtMainView::frameMargins() const {
    const QRect frame = m_window->frameGeometry();
    const QRect client = m_window->geometry();
    const QMargins known(client.left() - frame.left(), client.top() - frame.top(),
                         frame.right() - client.right(), frame.bottom() - client.bottom());
    // Qt counts the frame only once the window has been mapped and the window manager has framed it.
    return known.isNull() ? m_expectedFrame : known;
}

void QtMainView::setFont(const port::FontRecord& font) {
    m_font = designFont(font);
    m_window->setFont(m_font);
}

port::RowControls QtMainView::createRow(int index) {
    const double perPixel = twipsPerPixel(m_window.get());
    auto* button = new DriveButton(*this, index, m_window.get());
    button->setFont(m_font);
    m_buttons[index] = button;

    const auto makeLabel = [this]() {
        auto* label = new QLabel(m_window.get());
        // A volume label is the disc's text: never read as markup.
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setFont(m_font);
        label->setAcceptDrops(true);
        return label;
    };
    port::RowControls row;
    row.button = std::make_unique<Button>(index, button, perPixel);
    row.volumeName = std::make_unique<Label>(index, makeLabel(), perPixel);
    row.drive = std::make_unique<Label>(index, makeLabel(), perPixel);
    return row;
}

// Positions are those of the frame; Qt is told where the client area goes, since before the first
// show it would take a frame position for the client's.
QPoint QtMainView::clientTopLeft() const {
    if (m_requestedTopLeft && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return *m_requestedTopLeft;
    return m_window->geometry().topLeft();
}

double QtMainView::top() {
    return (clientTopLeft().y() - frameMargins().top()) * twipsPerPixelY();
}

double QtMainView::left() {
    return (clientTopLeft().x() - frameMargins().left()) * twipsPerPixelX();
}

double QtMainView::width() {
    const QMargins frame = frameMargins();
    return (m_window->width() + frame.left() + frame.right()) * twipsPerPixelX();
}

double QtMainView::height() {
    const QMargins frame = frameMargins();
    return (m_window->height() + frame.top() + frame.bottom()) * twipsPerPixelY();
}

double QtMainView::clientWidth() {
    return m_window->width() * twipsPerPixelX();
}

double QtMainView::clientHeight() {
    return m_window->height() * twipsPerPixelY();
}

void QtMainView::setTop(double twips) {
    placeClient({clientTopLeft().x(), toPixels(twips, twipsPerPixelY()) + frameMargins().top()});
}

void QtMainView::setLeft(double twips) {
    placeClient({toPixels(twips, twipsPerPixelX()) + frameMargins().left(), clientTopLeft().y()});
}

void QtMainView::placeClient(QPoint topLeft) {
    m_requestedTopLeft = topLeft;
    m_window->setGeometry(QRect(topLeft, m_window->size()));
    syncHiddenWindow();
}

void QtMainView::syncHiddenWindow() {
    // Qt leaves a hidden native window at the place and size it was made with; an event about it
    // would then put those back into the widget. The native window follows the widget at once.
    QWindow* native = m_window->windowHandle();
    if (native && !m_window->isVisible() && native->geometry() != m_window->geometry())
        native->setGeometry(m_window->geometry());
}

void QtMainView::setWidth(double twips) {
    const QMargins frame = frameMargins();
    resizeClient(toPixels(twips, twipsPerPixelX()) - frame.left() - frame.right(), m_window->height());
}

void QtMainView::setHeight(double twips) {
    const QMargins frame = frameMargins();
    resizeClient(m_window->width(), toPixels(twips, twipsPerPixelY()) - frame.top() - frame.bottom());
}

void QtMainView::resizeClient(int width, int height) {
    width = std::max(1, width);
    height = std::max(1, height);
    if (width == m_window->width() && height == m_window->height())
        return;
    fixWindowSize(*m_window, QSize(width, height));
    syncHiddenWindow();
    if (m_events && !m_closed)
        m_events->resized();
}

double QtMainView::screenWidth() {
    const QScreen* screen = m_window->screen();
    return screen ? screen->geometry().width() * twipsPerPixelX() : 0;
}

double QtMainView::screenHeight() {
    const QScreen* screen = m_window->screen();
    return screen ? screen->geometry().height() * twipsPerPixelY() : 0;
}

double QtMainView::twipsPerPixelX() {
    return twipsPerPixel(m_window.get());
}

double QtMainView::twipsPerPixelY() {
    return twipsPerPixel(m_window.get());
}

std::string QtMainView::caption() {
    return m_window->windowTitle().toStdString();
}

void QtMainView::setCaption(const std::string& text) {
    m_window->setWindowTitle(QString::fromStdString(text));
}

bool QtMainView::visible() {
    return m_window->isVisible();
}

void QtMainView::setVisible(bool visible) {
    if (m_closed)
        return;
    if (!visible) {
        m_window->hide();
        return;
    }
    // A window shown is shown as it was before it was minimized, and takes the focus.
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QtMainView::minimize() {
    if (m_closed)
        return;
    // Window managers neither minimize a tool window (it belongs to its program's group) nor list it in
    // a taskbar. A window that waits minimized must be found again: it becomes an ordinary window.
    if (m_window->windowType() == Qt::Tool) {
        const QRect client = m_window->geometry();
        m_window->setWindowFlags((m_window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
        placeClient(client.topLeft());
    }
    m_window->showMinimized();
}

double QtMainView::textWidth(const std::string& text) {
    return QFontMetricsF(m_font, m_window.get()).horizontalAdvance(QString::fromStdString(text)) *
           twipsPerPixelX();
}

void QtMainView::close() {
    m_window->close();
}

bool QtMainView::closeRequested() {
    if (m_closed)
        return true;
    // The presenter hides the window itself when it stays resident.
    if (m_events && m_events->closing())
        return false;
    m_closed = true;
    m_refresh.stop();
    m_end.stop();
    QCoreApplication::quit();
    return true;
}

int QtMainView::focusedRow() {
    const auto* focused = dynamic_cast<const DriveButton*>(m_window->focusWidget());
    return focused ? focused->index() : 0;
}

void QtMainView::focusRow(int row) {
    const auto button = m_buttons.find(row);
    if (button == m_buttons.end() || !button->second)
        return;
    // The focus moves by the keyboard: the style draws its frame, as after Qt's own Tab.
    m_window->setAttribute(Qt::WA_KeyboardFocusChange);
    button->second->setFocus(Qt::TabFocusReason);
}

void QtMainView::keyPressed(const QKeyEvent& event) {
    // A held key repeats; the press counts once.
    if (m_repeats.isRepeat(event) || m_closed)
        return;
    if (m_events)
        m_events->keyPressed(portableKey(event));
    // The keyboard's way to the window's context menu, asked for once the key itself has been handled
    // (the key may have rebuilt the rows under the focus).
    if (isContextMenuKey(event)) {
        const QPoint corner(0, 0);
        QCoreApplication::postEvent(m_window.get(),
                                    new QContextMenuEvent(QContextMenuEvent::Keyboard, corner,
                                                          m_window->mapToGlobal(corner), event.modifiers()));
        // The menu takes the key's release.
        m_repeats.forget(event);
    }
}

void QtMainView::keyReleased(const QKeyEvent& event) {
    m_repeats.released(event);
}

void QtMainView::filesDropped(const std::vector<std::string>& paths) {
    if (m_events && !m_closed)
        m_events->filesDropped(paths);
}

void QtMainView::buttonClicked(int index) {
    if (m_events && !m_closed)
        m_events->buttonClicked(index);
}

} // namespace qtui
