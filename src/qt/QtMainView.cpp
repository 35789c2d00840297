#include "qt/QtMainView.h"

#include "qt/QtFonts.h"
#include "qt/QtFrameExtents.h"
#include "qt/QtIcons.h"
#include "qt/QtMainViewWidgets.h"
#include "ui/Design.h"
#include "ui/RowLayout.h"

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

// A press of the keys that open the window's context menu from the keyboard.
bool isContextMenuKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_Menu ||
           (event.key() == Qt::Key_F10 && (event.modifiers() & Qt::ShiftModifier));
}

} // namespace

QtTimer::QtTimer(std::function<void()> tick) {
    QObject::connect(&m_timer, &QTimer::timeout, std::move(tick));
}

void QtTimer::start(int milliseconds) {
    // QTimer::start restarts a running timer: the next tick comes a whole interval from now.
    m_timer.start(milliseconds);
}

namespace {

// The drive window is a plain widget, which Qt gives to a screen reader as a pane in no window; it is the
// program's window, and is read as one.
QAccessibleInterface* driveWindowAccessible(const QString&, QObject* object) {
    if (auto* window = dynamic_cast<QtMainView::Window*>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

QLabel* makeLabel(QWidget* window) {
    auto* label = new QLabel(window);
    // A volume label is the disc's text: never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAcceptDrops(true);
    return label;
}

} // namespace

// A drive's row: its widgets, the picture its button shows, and its texts' widths in device-independent
// pixels, measured when they were set.
struct QtMainView::Row {
    char letter = 0;
    QPointer<DriveButton> button;
    QPointer<QLabel> label;
    QPointer<QLabel> driveText;
    std::unique_ptr<port::IPicture> picture;
    double labelWidth = 0, driveTextWidth = 0;

    Row() = default;
    Row(const Row&) = delete;
    Row& operator=(const Row&) = delete;
    ~Row() {
        // A widget may be inside its own event (a key press on a focused button): it goes once the event
        // has returned.
        for (QWidget* widget :
             {static_cast<QWidget*>(button), static_cast<QWidget*>(label), static_cast<QWidget*>(driveText)})
            if (widget) {
                widget->hide();
                widget->deleteLater();
            }
    }
};

QtMainView::QtMainView(const QIcon& windowIcon)
    : m_font(designFont(ui::design::kLabelFont)), m_window(std::make_unique<Window>(*this)),
      m_refresh([this] {
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
    m_window->setFont(m_font);
    m_hint = makeLabel(m_window.get());
    m_hint->hide();
    // The user cannot resize the window; only the program does. The window manager decides its frame
    // by that, so the size is fixed before the frame is asked for.
    const double dpi = unitsPerInch();
    fixWindowSize(*m_window, QSize(ui::design::toUnits(ui::design::kEmptyClientWidth, dpi),
                                   ui::design::toUnits(ui::design::kEmptyClientHeight, dpi)));
}

QtMainView::~QtMainView() {
    m_refresh.stop();
    m_end.stop();
}

QWidget& QtMainView::window() {
    return *m_window;
}

QMargins QtMainView::frameMargins() const {
    const QRect frame = m_window->frameGeometry();
    const QRect client = m_window->geometry();
    const QMargins known(client.left() - frame.left(), client.top() - frame.top(),
                         frame.right() - client.right(), frame.bottom() - client.bottom());
    // Qt counts the frame only once the window has been mapped and the window manager has framed it.
    if (!known.isNull())
        return known;
    // Asked when first needed, which makes the native window: the program's icon in the notification
    // area comes first.
    if (!m_expectedFrame)
        m_expectedFrame = requestFrameExtents(*m_window, kFramePatience);
    return *m_expectedFrame;
}

void QtMainView::placeUnlessPlaced() {
    // Until the program places it, the window's frame sits in the screen's corner, whole.
    if (!m_requestedTopLeft) {
        const QMargins frame = frameMargins();
        placeClient({frame.left(), frame.top()});
    }
}

QtMainView::Row* QtMainView::rowOf(char letter) const {
    for (const auto& row : m_rows)
        if (row->letter == letter)
            return row.get();
    return nullptr;
}

QAbstractButton* QtMainView::button(char letter) const {
    const Row* row = rowOf(letter);
    return row ? row->button.data() : nullptr;
}

QLabel* QtMainView::label(char letter) const {
    const Row* row = rowOf(letter);
    return row ? row->label.data() : nullptr;
}

QLabel* QtMainView::driveText(char letter) const {
    const Row* row = rowOf(letter);
    return row ? row->driveText.data() : nullptr;
}

void QtMainView::fill(Row& row, port::DriveRow content) {
    // A disabled button draws the icon's disabled mode: the picture greyed. The picture is the large
    // icon, 32 logical pixels, decoded for the screen's scale; Qt scales it to the pixels drawn.
    auto* picture = dynamic_cast<QtPicture*>(content.picture.get());
    row.button->setIcon(picture ? picture->icon() : QIcon());
    row.button->setIconSize(QSize(kPictureSide, kPictureSide));
    row.button->setEnabled(content.enabled);
    row.button->setAccessibleName(QString::fromStdString(content.name));
    row.picture = std::move(content.picture);
    // Texts are measured in logical pixels and kept in device-independent ones.
    const QFontMetricsF metrics(m_font, m_window.get());
    const double perUnit = 96 / unitsPerInch();
    row.label->setText(QString::fromStdString(content.label));
    row.driveText->setText(QString::fromStdString(content.driveText));
    row.labelWidth = metrics.horizontalAdvance(row.label->text()) * perUnit;
    row.driveTextWidth = metrics.horizontalAdvance(row.driveText->text()) * perUnit;
}

void QtMainView::place(const Row& row, int index) {
    const double dpi = unitsPerInch();
    const auto at = [dpi](QWidget* widget, const ui::layout::Box& box, int leastHeight = 0) {
        using ui::design::toUnits;
        widget->setGeometry(toUnits(box.left, dpi), toUnits(box.top, dpi),
                            std::max(0, toUnits(box.width, dpi)),
                            std::max(leastHeight, toUnits(box.height, dpi)));
    };
    const ui::layout::RowBoxes boxes = ui::layout::row(index, row.labelWidth, row.driveTextWidth);
    at(row.button, boxes.button);
    // A label's line may be lower than the font's line (a CJK font's is tall); the text then reaches into
    // the space below instead of being cut. The labels draw no background.
    const int line = lineHeight(m_font);
    at(row.label, boxes.label, line);
    at(row.driveText, boxes.driveText, line);
}

void QtMainView::setHint(const std::string& text) {
    m_hint->setText(QString::fromStdString(text));
    const QFontMetricsF metrics(m_font, m_window.get());
    m_hintSize = text.empty()
                     ? QSizeF()
                     : metrics.boundingRect(QRectF(), Qt::AlignLeft | Qt::AlignTop, m_hint->text()).size() *
                           (96 / unitsPerInch());
}

ui::layout::Box QtMainView::hintBox() const {
    if (!m_rows.empty() || m_hintSize.isEmpty())
        return {};
    return ui::layout::hint(m_hintSize.width(), m_hintSize.height());
}

void QtMainView::setRows(std::vector<port::DriveRow> rows) {
    m_rows.clear();
    m_rowsRatio = m_window->devicePixelRatioF();
    for (port::DriveRow& content : rows) {
        auto row = std::make_unique<Row>();
        row->letter = content.letter;
        row->button = new DriveButton(*this, content.letter, m_window.get());
        row->label = makeLabel(m_window.get());
        row->driveText = makeLabel(m_window.get());
        fill(*row, std::move(content));
        place(*row, static_cast<int>(m_rows.size()));
        for (QWidget* widget : {static_cast<QWidget*>(row->button), static_cast<QWidget*>(row->label),
                                static_cast<QWidget*>(row->driveText)})
            widget->show();
        m_rows.push_back(std::move(row));
    }
    const ui::layout::Box hint = hintBox();
    const double dpi = unitsPerInch();
    if (hint.width > 0) {
        using ui::design::toUnits;
        m_hint->setGeometry(toUnits(hint.left, dpi), toUnits(hint.top, dpi), toUnits(hint.width, dpi),
                            toUnits(hint.height, dpi));
    }
    m_hint->setVisible(hint.width > 0);
    resizeClient(m_window->width(),
                 ui::design::toUnits(ui::layout::clientHeight(static_cast<int>(m_rows.size()), hint), dpi));
}

void QtMainView::updateRow(port::DriveRow content) {
    for (std::size_t index = 0; index < m_rows.size(); ++index)
        if (m_rows[index]->letter == content.letter) {
            fill(*m_rows[index], std::move(content));
            place(*m_rows[index], static_cast<int>(index));
            return;
        }
}

void QtMainView::fitWidth(bool toLabels) {
    double widest = 0;
    for (const auto& row : m_rows)
        widest = std::max({widest, row->labelWidth, row->driveTextWidth});
    const double width = ui::layout::clientWidth(toLabels, widest + ui::design::kLabelPadding, hintBox());
    resizeClient(ui::design::toUnits(width, unitsPerInch()), m_window->height());
}

// Positions are those of the frame; Qt is told where the client area goes, since before the first
// show it would take a frame position for the client's.
QPoint QtMainView::clientTopLeft() const {
    if (m_requestedTopLeft && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return *m_requestedTopLeft;
    return m_window->geometry().topLeft();
}

port::Rect QtMainView::placement() {
    placeUnlessPlaced();
    const QMargins frame = frameMargins();
    const QPoint client = clientTopLeft();
    return {client.x() - frame.left(), client.y() - frame.top(),
            m_window->width() + frame.left() + frame.right(),
            m_window->height() + frame.top() + frame.bottom()};
}

port::Rect QtMainView::screen() {
    const QScreen* screen = m_window->screen();
    const QRect area = screen ? screen->geometry() : QRect();
    return {area.left(), area.top(), area.width(), area.height()};
}

port::Rect QtMainView::workArea() {
    const QScreen* screen = m_window->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    return {area.left(), area.top(), area.width(), area.height()};
}

double QtMainView::unitsPerInch() {
    return qtui::unitsPerInch(m_window.get());
}

void QtMainView::moveTo(int left, int top) {
    const QMargins frame = frameMargins();
    placeClient({left + frame.left(), top + frame.top()});
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

std::string QtMainView::caption() const {
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
    placeUnlessPlaced();
    // A window shown is shown as it was before it was minimized, and takes the focus.
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

bool QtMainView::minimize() {
    // A Wayland compositor may ignore the request, and sway does; nothing says whether it took it.
    if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        return false;
    if (m_closed)
        return true;
    placeUnlessPlaced();
    // Window managers neither minimize a tool window (it belongs to its program's group) nor list it in
    // a taskbar. A window that waits minimized must be found again: it becomes an ordinary window.
    if (m_window->windowType() == Qt::Tool) {
        const QRect client = m_window->geometry();
        m_window->setWindowFlags((m_window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
        placeClient(client.topLeft());
    }
    m_window->showMinimized();
    return true;
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

char QtMainView::focusedLetter() {
    const auto* focused = dynamic_cast<const DriveButton*>(m_window->focusWidget());
    return focused ? focused->letter() : 0;
}

void QtMainView::focusLetter(char letter) {
    const Row* row = rowOf(letter);
    if (!row || !row->button)
        return;
    // The focus moves by the keyboard: the style draws its frame, as after Qt's own Tab.
    m_window->setAttribute(Qt::WA_KeyboardFocusChange);
    row->button->setFocus(Qt::TabFocusReason);
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

void QtMainView::screenChanged() {
    // The rows' pictures were decoded for the scale they were made at: at another, they are made anew,
    // once the screen change is over.
    const double ratio = m_window->devicePixelRatioF();
    if (!m_events || m_rows.empty() || ratio == m_rowsRatio)
        return;
    m_rowsRatio = ratio;
    QMetaObject::invokeMethod(
        m_window.get(),
        [this] {
            if (m_events && !m_closed)
                m_events->scaleChanged();
        },
        Qt::QueuedConnection);
}

void QtMainView::buttonClicked(char letter) {
    if (m_events && !m_closed)
        m_events->buttonClicked(letter);
}

void QtMainView::buttonMenuAsked(char letter) {
    if (m_events && !m_closed)
        m_events->buttonMenuAsked(letter);
}

} // namespace qtui
