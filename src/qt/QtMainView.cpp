#include "qt/QtMainView.h"

#include "qt/QtIcons.h"
#include "ui/frm_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QToolButton>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace qtui {
namespace {

constexpr double kDefaultTwipsPerPixel = 15; // 96 DPI
constexpr int kMaxInterval = 65535;          // the longest interval a timer of the window takes

// Design values, in twips.
constexpr double kDesignClientWidth = 2235;
constexpr double kDesignClientHeight = 720;
constexpr double kButtonSize = 735;
constexpr double kLabelLeft = 960;
constexpr double kLabelWidth = 1215;
constexpr double kLabelHeight = 255;
constexpr double kDriveLabelTop = 240;
constexpr int kIconPixels = 32;

struct TwipsRect {
    double top = 0, left = 0, width = 0, height = 0;
};

QFont labelFont() {
    QFont font;
    // The design font first; where it is missing, a Japanese font that Debian ships (fonts-noto-cjk).
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP")});
    font.setPointSizeF(11.25);
    font.setWeight(QFont::Normal);
    return font;
}

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
    case Qt::Key_Insert:
        return 0x2D;
    case Qt::Key_Delete:
        return 0x2E;
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
        // Keys that a focused drive button does not use arrive here too, so this is the one place
        // that sees a key press. A held key repeats; the press counts once.
        event->accept();
        if (!event->isAutoRepeat())
            m_view.keyPressed(virtualKeyCode(event->key()));
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
        if (!event->mimeData()->hasUrls())
            return;
        event->acceptProposedAction();
        m_view.filesDropped(event->mimeData()->urls());
    }

  private:
    QtMainView& m_view;
};

// A control's place in twips, shown at the nearest whole pixels.
template <class Base, class Widget> class Placed : public Base {
  public:
    Placed(QtMainView& view, int index, Widget* widget, TwipsRect rect)
        : m_view(view), m_index(index), m_widget(widget), m_rect(rect) {
        apply();
        m_widget->setVisible(false);
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
    bool Visible() override { return m_visible; }
    void setVisible(bool visible) override {
        m_visible = visible;
        if (m_widget)
            m_widget->setVisible(visible);
    }

    Widget& widget() { return *m_widget; }
    const TwipsRect& rect() const { return m_rect; }

  protected:
    virtual QSize pixelSize(int width, int height) { return {width, height}; }

    void apply() {
        if (!m_widget)
            return;
        const double tpp = m_view.twipsPerPixel();
        const int left = static_cast<int>(std::lround(m_rect.left / tpp));
        const int top = static_cast<int>(std::lround(m_rect.top / tpp));
        const QSize size = pixelSize(std::max(0, static_cast<int>(std::lround(m_rect.width / tpp))),
                                     std::max(0, static_cast<int>(std::lround(m_rect.height / tpp))));
        m_widget->setGeometry(left, top, size.width(), size.height());
    }

    QtMainView& m_view;
    int m_index;
    QPointer<Widget> m_widget;
    TwipsRect m_rect;
    bool m_visible = false;
};

class QtMainView::Button : public Placed<port::IButton, QToolButton> {
  public:
    using Placed::Placed;

    void setPicture(std::unique_ptr<port::IPicture> picture) override {
        auto* qtPicture = dynamic_cast<QtPicture*>(picture.get());
        // A disabled button draws the icon's disabled mode: the picture greyed.
        m_widget->setIcon(qtPicture ? qtPicture->icon() : QIcon());
        m_picture = std::move(picture);
    }
    bool hasPicture() override { return m_picture != nullptr; }
    bool Enabled() override { return m_widget->isEnabled(); }
    void setEnabled(bool enabled) override { m_widget->setEnabled(enabled); }

  private:
    std::unique_ptr<port::IPicture> m_picture;
};

class QtMainView::Label : public Placed<port::ILabel, QLabel> {
  public:
    using Placed::Placed;

    std::string Caption() override { return m_caption; }
    void setCaption(const std::string& text) override {
        m_caption = text;
        m_widget->setText(QString::fromStdString(text));
    }

  protected:
    // The design line height (255 twips, 17 px) is less than a CJK font's line; the text may reach
    // into the space below instead of being cut. The labels draw no background.
    QSize pixelSize(int width, int height) override {
        const int line = static_cast<int>(std::ceil(QFontMetricsF(m_widget->font()).height()));
        return {width, std::max(height, line)};
    }

  private:
    std::string m_caption;
};

class QtMainView::MenuItem : public port::IMenuItem {
  public:
    explicit MenuItem(QAction* action) : m_action(action) { setCaption("-"); }
    ~MenuItem() override {
        if (m_action)
            m_action->deleteLater();
    }
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    std::string Caption() override { return m_caption; }
    void setCaption(const std::string& text) override {
        m_caption = text;
        // A caption of "-" makes the item a separator.
        m_action->setSeparator(text == "-");
        m_action->setText(QString::fromStdString(text));
    }
    bool Visible() override { return m_action->isVisible(); }
    void setVisible(bool visible) override { m_action->setVisible(visible); }
    QAction& action() { return *m_action; }

  private:
    QPointer<QAction> m_action;
    std::string m_caption;
};

struct QtMainView::Row {
    std::unique_ptr<Button> button;
    std::unique_ptr<Label> volume;
    std::unique_ptr<Label> drive;
    std::unique_ptr<MenuItem> menu;
};

QtMainView::QtMainView(const QIcon& windowIcon)
    : m_font(labelFont()), m_window(std::make_unique<Window>(*this)) {
    // A tool window does not count as the last window; the program ends when this window unloads,
    // and a message box closing while the window is hidden must not end it.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    m_window->setWindowTitle(QStringLiteral("Tavimoro"));
    m_window->setWindowIcon(windowIcon);
    m_window->setFont(m_font);
    m_window->setAcceptDrops(true);
    m_menu = new QMenu(QStringLiteral("メニュー"), m_window.get());
    const double tpp = twipsPerPixel();
    resizeClient(static_cast<int>(std::lround(kDesignClientWidth / tpp)),
                 static_cast<int>(std::lround(kDesignClientHeight / tpp)));

    m_refresh.setInterval(m_refreshInterval);
    QObject::connect(&m_refresh, &QTimer::timeout, [this] {
        if (m_presenter)
            m_presenter->tim_Refresh_Timer();
    });
    m_end.setInterval(1000);
    QObject::connect(&m_end, &QTimer::timeout, [this] {
        if (m_presenter)
            m_presenter->tim_end_Timer();
    });

    // The templates at index 0: never shown, never unloaded.
    loadRow(0);
}

QtMainView::~QtMainView() {
    m_refresh.stop();
    m_end.stop();
    m_rows.clear();
}

QWidget& QtMainView::window() {
    return *m_window;
}

QMenu& QtMainView::popupMenu() {
    return *m_menu;
}

QAbstractButton& QtMainView::button(int index) {
    return row(index).button->widget();
}

QLabel& QtMainView::volumeLabel(int index) {
    return row(index).volume->widget();
}

QLabel& QtMainView::driveLabel(int index) {
    return row(index).drive->widget();
}

QAction& QtMainView::driveAction(int index) {
    return row(index).menu->action();
}

double QtMainView::twipsPerPixel() const {
    const QScreen* screen = m_window ? m_window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return kDefaultTwipsPerPixel;
    const double dpi = screen->logicalDotsPerInchY();
    return dpi > 0 ? 1440.0 / dpi : kDefaultTwipsPerPixel;
}

QtMainView::Row& QtMainView::row(int index) {
    if (index < 0 || index >= static_cast<int>(m_rows.size()))
        throw std::out_of_range("no row " + std::to_string(index));
    return *m_rows[static_cast<std::size_t>(index)];
}

int QtMainView::rowCount() {
    return static_cast<int>(m_rows.size()) - 1;
}

void QtMainView::loadRow(int n) {
    if (n != static_cast<int>(m_rows.size()))
        throw std::logic_error("rows are loaded one after the other");
    // New elements copy the template's design values.
    TwipsRect buttonRect{0, 0, kButtonSize, kButtonSize};
    TwipsRect volumeRect{0, kLabelLeft, kLabelWidth, kLabelHeight};
    TwipsRect driveRect{kDriveLabelTop, kLabelLeft, kLabelWidth, kLabelHeight};
    if (n > 0) {
        buttonRect = m_rows[0]->button->rect();
        volumeRect = m_rows[0]->volume->rect();
        driveRect = m_rows[0]->drive->rect();
    }

    auto row = std::make_unique<Row>();
    auto* button = new QToolButton(m_window.get());
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIconSize(QSize(kIconPixels, kIconPixels));
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAcceptDrops(true);
    button->setFont(m_font);
    row->button = std::make_unique<Button>(*this, n, button, buttonRect);
    QObject::connect(button, &QToolButton::clicked, [this, n] {
        if (m_presenter)
            m_presenter->cmd_CD_Click(n);
    });

    const auto makeLabel = [this]() {
        auto* label = new QLabel(m_window.get());
        // A volume label is the disc's text: never read as markup.
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setFont(m_font);
        label->setAcceptDrops(true);
        return label;
    };
    row->volume = std::make_unique<Label>(*this, n, makeLabel(), volumeRect);
    row->drive = std::make_unique<Label>(*this, n, makeLabel(), driveRect);

    auto* action = new QAction(m_menu);
    QAction* before = nullptr;
    const QList<QAction*> actions = m_menu->actions();
    if (n < actions.size())
        before = actions[n];
    m_menu->insertAction(before, action);
    row->menu = std::make_unique<MenuItem>(action);
    if (n == 0)
        row->menu->setVisible(false);
    m_rows.push_back(std::move(row));
}

void QtMainView::unloadRow(int n) {
    if (n < 1 || n != rowCount())
        throw std::logic_error("only the last row can be unloaded");
    Row& last = *m_rows.back();
    last.menu.reset();
    last.volume.reset();
    last.drive.reset();
    last.button.reset();
    m_rows.pop_back();
}

port::IButton& QtMainView::cmd_CD(int index) {
    return *row(index).button;
}

port::ILabel& QtMainView::lbl_VolumeName(int index) {
    return *row(index).volume;
}

port::ILabel& QtMainView::lbl_Drive(int index) {
    return *row(index).drive;
}

port::IMenuItem& QtMainView::Menu_Drive(int index) {
    return *row(index).menu;
}

double QtMainView::Top() {
    return m_window->frameGeometry().top() * twipsPerPixel();
}

double QtMainView::Left() {
    return m_window->frameGeometry().left() * twipsPerPixel();
}

double QtMainView::Width() {
    return m_window->frameGeometry().width() * twipsPerPixel();
}

double QtMainView::Height() {
    return m_window->frameGeometry().height() * twipsPerPixel();
}

double QtMainView::ScaleWidth() {
    return m_window->width() * twipsPerPixel();
}

double QtMainView::ScaleHeight() {
    return m_window->height() * twipsPerPixel();
}

void QtMainView::setTop(double twips) {
    m_window->move(m_window->pos().x(), static_cast<int>(std::lround(twips / twipsPerPixel())));
}

void QtMainView::setLeft(double twips) {
    m_window->move(static_cast<int>(std::lround(twips / twipsPerPixel())), m_window->pos().y());
}

void QtMainView::setWidth(double twips) {
    const int frame = m_window->frameGeometry().width() - m_window->width();
    resizeClient(static_cast<int>(std::lround(twips / twipsPerPixel())) - frame, m_window->height());
}

void QtMainView::setHeight(double twips) {
    const int frame = m_window->frameGeometry().height() - m_window->height();
    resizeClient(m_window->width(), static_cast<int>(std::lround(twips / twipsPerPixel())) - frame);
}

void QtMainView::resizeClient(int width, int height) {
    // The user cannot resize the window; only the program does.
    width = std::max(1, width);
    height = std::max(1, height);
    if (width == m_window->width() && height == m_window->height() &&
        m_window->minimumSize() == m_window->maximumSize())
        return;
    m_window->setFixedSize(width, height);
    if (m_presenter)
        m_presenter->Form_Resize();
}

double QtMainView::ScreenWidth() {
    const QScreen* screen = m_window->screen();
    return screen ? screen->geometry().width() * twipsPerPixel() : 0;
}

double QtMainView::ScreenHeight() {
    const QScreen* screen = m_window->screen();
    return screen ? screen->geometry().height() * twipsPerPixel() : 0;
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
    m_window->setVisible(visible);
}

double QtMainView::TextWidth(const std::string& text) {
    return QFontMetricsF(m_font, m_window.get()).horizontalAdvance(QString::fromStdString(text)) *
           twipsPerPixel();
}

void QtMainView::setRefreshInterval(int milliseconds) {
    m_refreshInterval = std::clamp(milliseconds, 0, kMaxInterval);
    applyRefreshTimer();
}

void QtMainView::setRefreshEnabled(bool enabled) {
    m_refreshEnabled = enabled;
    applyRefreshTimer();
}

void QtMainView::applyRefreshTimer() {
    // An interval of 0 gives no ticks (a QTimer would fire at every turn of the event loop).
    if (!m_refreshEnabled || m_refreshInterval == 0 || m_unloaded) {
        m_refresh.stop();
        return;
    }
    if (m_refresh.isActive() && m_refresh.interval() == m_refreshInterval)
        return;
    m_refresh.start(m_refreshInterval);
}

void QtMainView::setEndEnabled(bool enabled) {
    if (enabled && !m_unloaded) {
        if (!m_end.isActive())
            m_end.start();
    } else {
        m_end.stop();
    }
}

void QtMainView::close() {
    m_window->close();
}

bool QtMainView::unloadRequested() {
    if (m_unloaded)
        return true;
    // The presenter hides the window itself when it stays resident.
    if (m_presenter && m_presenter->Form_Unload())
        return false;
    m_unloaded = true;
    m_refresh.stop();
    m_end.stop();
    QCoreApplication::quit();
    return true;
}

void QtMainView::keyPressed(int keyCode) {
    if (m_presenter && !m_unloaded)
        m_presenter->Form_KeyDown(keyCode);
}

void QtMainView::filesDropped(const QList<QUrl>& urls) {
    if (!m_presenter || m_unloaded)
        return;
    QtDropData data(urls);
    m_presenter->DropFiles(data);
}

} // namespace qtui
