#include "qt/QtDialogs.h"

#include "qt/QtFonts.h"
#include "qt/QtFrameExtents.h"
#include "qt/QtIcons.h"
#include "ui/Design.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <qdrawutil.h>

namespace qtui {
namespace {

// The picture of an icon for a large icon at the screen's scale, stretched to `size` the way a picture
// control stretches: pixel for pixel, not smoothed, and drawn one to one on the screen's pixels.
QPixmap stretchedIcon(const QIcon& icon, QSize size, qreal ratio) {
    const QPixmap picture = icon.pixmap(QSize(kPictureSide, kPictureSide), ratio);
    if (picture.isNull())
        return {};
    QPixmap stretched = picture.scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    stretched.setDevicePixelRatio(ratio);
    return stretched;
}

// A control's tip is its accessible description as well: Qt would fall back to the tip, but only the
// description's change is announced to a screen reader.
void setTip(QWidget& widget, const QString& tip) {
    widget.setToolTip(tip);
    widget.setAccessibleDescription(tip);
}

// A frame with its caption on its top line, as frames are drawn on the program's home platform: the
// places of the controls inside count on the room that leaves above them.
class Frame : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        // An etched line; the style's own group-box frame would leave a row of room for the caption.
        qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true, 1);
        if (title().isEmpty())
            return;
        const QRect caption(kCaptionIndent, 0, metrics.horizontalAdvance(title()) + 2 * kCaptionPadding,
                            metrics.height());
        painter.fillRect(caption, palette().window());
        style()->drawItemText(&painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                              isEnabled(), title(), QPalette::WindowText);
    }

  private:
    static constexpr int kCaptionIndent = 6, kCaptionPadding = 2;
};

} // namespace

// The dialog window: Enter presses the focused button and nothing else; Esc does nothing.
class QtDialog::Window : public QDialog {
  public:
    Window()
        : QDialog(nullptr,
                  Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Escape:
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
                button->click();
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
        }
    }
};

QtDialog::QtDialog(const port::DialogLayout& layout, port::IDialogEvents& events, const QIcon& icon)
    : m_events(events), m_dialog(std::make_unique<Window>()) {
    const double dpi = unitsPerInch();
    const auto pixels = [dpi](double length) { return ui::design::toUnits(length, dpi); };
    QDialog& dialog = *m_dialog;
    dialog.setWindowTitle(QString::fromUtf8(layout.caption));
    dialog.setWindowIcon(icon);
    dialog.setFont(standardFont());
    fixWindowSize(dialog, QSize(pixels(layout.clientWidth), pixels(layout.clientHeight)));

    std::vector<std::pair<int, QWidget*>> focusOrder;
    const int count = static_cast<int>(layout.controls.size());
    for (int index = 0; index < count; ++index) {
        const port::ControlLayout& control = layout.controls[static_cast<std::size_t>(index)];
        QWidget* parent = &dialog;
        if (control.container >= 0 && control.container < index &&
            m_controls[static_cast<std::size_t>(control.container)])
            parent = m_controls[static_cast<std::size_t>(control.container)];
        const QString caption = QString::fromUtf8(control.caption);
        const QRect place(pixels(control.left), pixels(control.top), pixels(control.width),
                          pixels(control.height));
        QWidget* widget = nullptr;
        switch (control.kind) {
        case port::ControlKind::Frame: {
            widget = new Frame(caption, parent);
            break;
        }
        case port::ControlKind::CheckBox: {
            auto* box = new QCheckBox(caption, parent);
            QObject::connect(box, &QCheckBox::clicked, [this, index] { clicked(index); });
            widget = box;
            break;
        }
        case port::ControlKind::Button: {
            auto* button = new QPushButton(caption, parent);
            // No default button: Enter presses whichever button has the focus, and only that one.
            button->setAutoDefault(false);
            button->setDefault(false);
            QObject::connect(button, &QPushButton::clicked, [this, index] { clicked(index); });
            widget = button;
            break;
        }
        case port::ControlKind::Label: {
            auto* label = new QLabel(caption, parent);
            label->setTextFormat(Qt::PlainText);
            if (control.fontName)
                label->setFont(designFont(control.fontName, control.fontPoints, control.bold));
            label->setAlignment(Qt::AlignTop |
                                (control.align == port::TextAlign::Right ? Qt::AlignRight : Qt::AlignLeft));
            widget = label;
            break;
        }
        case port::ControlKind::Image: {
            auto* image = new QLabel(parent);
            image->setPixmap(stretchedIcon(icon, place.size(), dialog.devicePixelRatioF()));
            // The picture is the program's icon: it reads as the program's name.
            image->setAccessibleName(QGuiApplication::applicationDisplayName());
            widget = image;
            break;
        }
        }
        if (!widget) { // a kind this front end does not know: the index stays taken
            m_controls.emplace_back(nullptr);
            continue;
        }
        widget->setGeometry(place);
        if (control.kind == port::ControlKind::Label) {
            // A label lower than its font's line lets the text reach into the space below, uncut.
            widget->resize(place.width(), std::max(place.height(), lineHeight(widget->font())));
        }
        if (control.tooltip && *control.tooltip)
            setTip(*widget, QString::fromUtf8(control.tooltip));
        const bool takesFocus = control.tabIndex >= 0 && (control.kind == port::ControlKind::CheckBox ||
                                                          control.kind == port::ControlKind::Button);
        widget->setFocusPolicy(takesFocus ? Qt::StrongFocus : Qt::NoFocus);
        if (takesFocus)
            focusOrder.emplace_back(control.tabIndex, widget);
        m_controls.emplace_back(widget);
    }

    std::stable_sort(focusOrder.begin(), focusOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        QWidget::setTabOrder(focusOrder[i - 1].second, focusOrder[i].second);
    if (!focusOrder.empty())
        m_firstFocus = focusOrder.front().second;
}

QtDialog::~QtDialog() = default;

QDialog& QtDialog::dialog() {
    return *m_dialog;
}

QWidget* QtDialog::control(int index) const {
    if (index < 0 || index >= static_cast<int>(m_controls.size()))
        return nullptr;
    return m_controls[static_cast<std::size_t>(index)];
}

bool QtDialog::checked(int control) {
    auto* box = qobject_cast<QCheckBox*>(this->control(control));
    return box && box->isChecked();
}

void QtDialog::setChecked(int control, bool checked) {
    if (auto* box = qobject_cast<QCheckBox*>(this->control(control)))
        box->setChecked(checked);
}

void QtDialog::setEnabled(int control, bool enabled) {
    if (QWidget* widget = this->control(control))
        widget->setEnabled(enabled);
}

void QtDialog::setCaption(int control, const std::string& text) {
    const QString caption = QString::fromStdString(text);
    QWidget* widget = this->control(control);
    if (auto* frame = qobject_cast<QGroupBox*>(widget))
        frame->setTitle(caption);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(caption);
    else if (auto* label = qobject_cast<QLabel*>(widget); label && label->pixmap().isNull())
        label->setText(caption);
}

void QtDialog::setTooltip(int control, const std::string& text) {
    if (QWidget* widget = this->control(control))
        setTip(*widget, QString::fromStdString(text));
}

void QtDialog::showModal() {
    if (m_closed)
        return;
    // No owner window: the whole program waits for the dialog, while its timers go on.
    m_dialog->setWindowModality(Qt::ApplicationModal);
    if (m_firstFocus)
        m_firstFocus->setFocus(Qt::OtherFocusReason);
    m_dialog->exec();
}

void QtDialog::close() {
    m_closed = true;
    m_dialog->done(QDialog::Rejected);
}

void QtDialog::clicked(int control) {
    if (!m_closed)
        m_events.clicked(control);
}

std::unique_ptr<port::IDialog> QtDialogs::create(const port::DialogLayout& layout,
                                                 port::IDialogEvents& events) {
    return std::make_unique<QtDialog>(layout, events, m_icon);
}

} // namespace qtui
