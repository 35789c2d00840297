#include "qt/QtMainView.h"

#include "qt/QtFonts.h"
#include "qt/QtFrameExtents.h"
#include "qt/QtIcons.h"
#include "qt/QtTwips.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QToolButton>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace qtui {
namespace {

// How long the window manager may take to tell the frame it will draw; it answers at once.
constexpr std::chrono::milliseconds kFramePatience{500};
// The longest time between the release and the press that make one repeat of a held key.
constexpr quint64 kRepeatPairMilliseconds = 10;

struct TwipsRect {
    double top = 0, left = 0, width = 0, height = 0;
};

// A press of the keys that open the window's context menu from the keyboard.
bool isContextMenuKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_Menu ||
           (event.key() == Qt::Key_F10 && (event.modifiers() & Qt::ShiftModifier));
}

int buttonMask(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int shiftMask(Qt::KeyboardModifiers modifiers) {
    return ((modifiers & Qt::ShiftModifier) ? 1 : 0) | ((modifiers & Qt::ControlModifier) ? 2 : 0) |
           ((modifiers & Qt::AltModifier) ? 4 : 0);
}

// What the view knows of each control it made: the widget that draws it.
class QtControl {
  public:
    virtual ~QtControl() = default;
    virtual QWidget* qtWidget() = 0;
};

} // namespace

int virtualKeyCode(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 0x70 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0D;
    case Qt::Key_Shift:
        return 0x10;
    case Qt::Key_Control:
        return 0x11;
    case Qt::Key_Alt:
        return 0x12;
    case Qt::Key_Pause:
        return 0x13;
    case Qt::Key_CapsLock:
        return 0x14;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_Print:
        return 0x2C;
    case Qt::Key_Insert:
        return 0x2D;
    case Qt::Key_Delete:
        return 0x2E;
    case Qt::Key_Meta:
        return 0x5B;
    case Qt::Key_Menu:
        return 0x5D;
    case Qt::Key_NumLock:
        return 0x90;
    case Qt::Key_ScrollLock:
        return 0x91;
    default:
        return 0xFF;
    }
}

QtDropData::QtDropData(const QList<QUrl>& urls) {
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            m_files.push_back(url.toLocalFile().toStdString());
}

std::string QtDropData::file(int position) {
    if (position < 1 || position > fileCount())
        return {};
    return m_files[static_cast<std::size_t>(position - 1)];
}

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
        if (m_view.unloadRequested())
            event->accept();
        else
            event->ignore();
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (!m_view.keyPressed(*event))
            QWidget::keyPressEvent(event);
    }
    void keyReleaseEvent(QKeyEvent* event) override { m_view.keyReleased(*event); }
    // A key released elsewhere is never seen here: whatever was held counts as let go.
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::ActivationChange && !isActiveWindow())
            m_view.m_heldKeys.clear();
        QWidget::changeEvent(event);
    }
    void hideEvent(QHideEvent* event) override {
        m_view.m_heldKeys.clear();
        QWidget::hideEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override { m_view.mousePressed(*event); }
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override {
        if (!event->mimeData()->hasUrls())
            return;
        event->acceptProposedAction();
        m_view.filesDropped(event->mimeData()->urls());
    }

  private:
    QtMainView& m_view;
};

// A drive button. It takes the focus, and Tab moves it on; every other key goes to the window's key
// handler, Space included: the key belongs to the window's registration keys, not to the button.
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
    void keyPressEvent(QKeyEvent* event) override {
        if (!m_view.keyPressed(*event))
            QToolButton::keyPressEvent(event);
    }
    // With no press taken, a release has nothing for the button to finish.
    void keyReleaseEvent(QKeyEvent* event) override { m_view.keyReleased(*event); }
    // On the program's home platform a button is a window of its own: a press on it never reaches the
    // drive window's mouse handler.
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            QToolButton::mousePressEvent(event);
        else
            event->accept();
    }

  private:
    QtMainView& m_view;
    int m_index;
};

namespace {

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
    int Index() override { return m_index; }
    double Top() override { return m_rect.top; }
    double Left() override { return m_rect.left; }
    double Width() override { return m_rect.width; }
    double Height() override { return m_rect.height; }
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
    bool Visible() override { return m_visible; }
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
            // A disabled button draws the icon's disabled mode: the picture greyed. The icon is shown
            // at its own largest size, as a picture on a button is.
            m_widget->setIcon(icon);
            if (const QSize size = largestSize(icon); !size.isEmpty())
                m_widget->setIconSize(size);
        }
        m_picture = std::move(picture);
    }
    bool hasPicture() override { return m_picture != nullptr; }
    bool Enabled() override { return m_widget && m_widget->isEnabled(); }
    void setEnabled(bool enabled) override {
        if (m_widget)
            m_widget->setEnabled(enabled);
    }

  private:
    std::unique_ptr<port::IPicture> m_picture;
};

class Label : public Placed<port::ILabel, QLabel> {
  public:
    using Placed::Placed;

    std::string Caption() override { return m_caption; }
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
          if (m_events && !m_unloaded)
              m_events->tim_Refresh_Timer();
      }),
      m_end([this] {
          if (m_events && !m_unloaded)
              m_events->tim_end_Timer();
      }) {
    // A tool window does not count as the last window; the program ends when this window unloads,
    // and a message box closing while the window is hidden must not end it.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    m_window->setWindowIcon(windowIcon);
    m_window->setAcceptDrops(true);
    // The user cannot resize the window; only the program does. The window manager decides its frame
    // by that, so the size is fixed before the frame is asked for.
    m_window->setFixedSize(m_window->size());
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
double QtMainView::Top() {
    return (m_window->geometry().top() - frameMargins().top()) * TwipsPerPixelY();
}

double QtMainView::Left() {
    return (m_window->geometry().left() - frameMargins().left()) * TwipsPerPixelX();
}

double QtMainView::Width() {
    const QMargins frame = frameMargins();
    return (m_window->width() + frame.left() + frame.right()) * TwipsPerPixelX();
}

double QtMainView::Height() {
    const QMargins frame = frameMargins();
    return (m_window->height() + frame.top() + frame.bottom()) * TwipsPerPixelY();
}

double QtMainView::ScaleWidth() {
    return m_window->width() * TwipsPerPixelX();
}

double QtMainView::ScaleHeight() {
    return m_window->height() * TwipsPerPixelY();
}

void QtMainView::setTop(double twips) {
    placeClient({m_window->geometry().left(), toPixels(twips, TwipsPerPixelY()) + frameMargins().top()});
}

void QtMainView::setLeft(double twips) {
    placeClient({toPixels(twips, TwipsPerPixelX()) + frameMargins().left(), m_window->geometry().top()});
}

void QtMainView::placeClient(QPoint topLeft) {
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
    resizeClient(toPixels(twips, TwipsPerPixelX()) - frame.left() - frame.right(), m_window->height());
}

void QtMainView::setHeight(double twips) {
    const QMargins frame = frameMargins();
    resizeClient(m_window->width(), toPixels(twips, TwipsPerPixelY()) - frame.top() - frame.bottom());
}

void QtMainView::resizeClient(int width, int height) {
    width = std::max(1, width);
    height = std::max(1, height);
    if (width == m_window->width() && height == m_window->height())
        return;
    m_window->setFixedSize(width, height);
    syncHiddenWindow();
    if (m_events && !m_unloaded)
        m_events->Form_Resize();
}

double QtMainView::ScreenWidth() {
    const QScreen* screen = m_window->screen();
    return screen ? screen->geometry().width() * TwipsPerPixelX() : 0;
}

double QtMainView::ScreenHeight() {
    const QScreen* screen = m_window->screen();
    return screen ? screen->geometry().height() * TwipsPerPixelY() : 0;
}

double QtMainView::TwipsPerPixelX() {
    return twipsPerPixel(m_window.get());
}

double QtMainView::TwipsPerPixelY() {
    return twipsPerPixel(m_window.get());
}

std::string QtMainView::Caption() {
    return m_window->windowTitle().toStdString();
}

void QtMainView::setCaption(const std::string& text) {
    m_window->setWindowTitle(QString::fromStdString(text));
}

bool QtMainView::Visible() {
    return m_window->isVisible();
}

void QtMainView::setVisible(bool visible) {
    if (m_unloaded)
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
    m_window->activateWindow();
}

void QtMainView::minimize() {
    if (m_unloaded)
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

double QtMainView::TextWidth(const std::string& text) {
    return QFontMetricsF(m_font, m_window.get()).horizontalAdvance(QString::fromStdString(text)) *
           TwipsPerPixelX();
}

void QtMainView::close() {
    m_window->close();
}

bool QtMainView::unloadRequested() {
    if (m_unloaded)
        return true;
    // The presenter hides the window itself when it stays resident.
    if (m_events && m_events->Form_Unload())
        return false;
    m_unloaded = true;
    m_refresh.stop();
    m_end.stop();
    QCoreApplication::quit();
    return true;
}

bool QtMainView::keyPressed(const QKeyEvent& event) {
    // Tab and Shift+Tab belong to the focus chain of the drive buttons.
    if (event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab)
        return false;
    // A held key repeats; the press counts once.
    if (isRepeat(event) || m_unloaded)
        return true;
    const auto* focused = dynamic_cast<const DriveButton*>(m_window->focusWidget());
    const int focusRow = focused ? focused->index() : -1;
    if (m_events)
        m_events->Form_KeyDown(virtualKeyCode(event.key()));
    // A key makes the rows anew; the focus stays on its row, so that Shift+Tab, say, goes on from there.
    if (const auto row = m_buttons.find(focusRow); row != m_buttons.end() && row->second &&
                                                   row->second != focused && row->second->isVisible() &&
                                                   row->second->isEnabled())
        row->second->setFocus(Qt::OtherFocusReason);
    // The keyboard's way to the window's context menu, asked for once the key itself has been handled
    // (the key may have rebuilt the rows under the focus).
    if (isContextMenuKey(event) && m_window) {
        const QPoint corner(0, 0);
        QCoreApplication::postEvent(m_window.get(),
                                    new QContextMenuEvent(QContextMenuEvent::Keyboard, corner,
                                                          m_window->mapToGlobal(corner), event.modifiers()));
        // The menu takes the key's release.
        m_heldKeys.erase(heldKey(event));
    }
    return true;
}

void QtMainView::keyReleased(const QKeyEvent& event) {
    if (event.isAutoRepeat())
        return;
    m_heldKeys.erase(heldKey(event));
    m_lastRelease = {heldKey(event), event.timestamp()};
}

bool QtMainView::isRepeat(const QKeyEvent& event) {
    const int key = heldKey(event);
    // Qt marks a repeat the X server sends as a release and a press at the same time, but only when the
    // press is already queued as the release is handled, which a slow key handler makes a matter of
    // luck; such a pair is a repeat all the same. Where a server sends repeats as presses alone, a press
    // of a key still down is one.
    const bool repeat = event.isAutoRepeat() || m_heldKeys.count(key) != 0 ||
                        (m_lastRelease.key == key && m_lastRelease.time != 0 &&
                         event.timestamp() - m_lastRelease.time <= kRepeatPairMilliseconds);
    m_heldKeys.insert(key);
    m_lastRelease = {};
    return repeat;
}

int QtMainView::heldKey(const QKeyEvent& event) {
    // The key on the keyboard: Shift pressed or let go while it is held changes Qt's key code.
    return event.nativeScanCode() != 0 ? static_cast<int>(event.nativeScanCode()) : -event.key();
}

void QtMainView::mousePressed(const QMouseEvent& event) {
    const int button = buttonMask(event.button());
    if (!m_events || m_unloaded || button == 0)
        return;
    const QPointF at = event.position();
    m_events->Form_MouseDown(button, shiftMask(event.modifiers()), at.x() * TwipsPerPixelX(),
                             at.y() * TwipsPerPixelY());
}

void QtMainView::filesDropped(const QList<QUrl>& urls) {
    if (!m_events || m_unloaded)
        return;
    QtDropData data(urls);
    m_events->DropFiles(data);
}

void QtMainView::buttonClicked(int index) {
    if (m_events && !m_unloaded)
        m_events->cmd_CD_Click(index);
}

} // namespace qtui
