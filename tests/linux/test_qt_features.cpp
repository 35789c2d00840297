// The Qt features around the drive window: the notification-area icon and how its host is told apart,
// and the dialogs drawn from their layouts (the settings dialog and the about box with the build's
// version), on the offscreen platform. The menus and keep-above are shown end to end.
#include "linux/LinuxProcess.h"
#include "qt/QtDialogs.h"
#include "qt/QtIcons.h"
#include "qt/QtTrayIcon.h"
#include "qt_test_support.h"
#include "ui/AboutBox.h"
#include "ui/Design.h"
#include "ui/SettingsDialog.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QDialog>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using qttest::application;

// ---- The notification-area icon.

TEST(QtTrayIcon, anActivationArrivesQueuedAsTheEventItStandsForOnItsKindOfHost) {
    application();
    using R = QSystemTrayIcon;
    using Events = std::vector<port::TrayEvent>;
    const Events none, show{port::TrayEvent::ShowWindow}, menu{port::TrayEvent::OpenMenu};
    struct Case {
        R::ActivationReason reason;
        Events xembed, statusNotifier;
    };
    const Case cases[] = {
        // An XEmbed tray reports the double click itself; its single click comes first and is no command.
        {R::Trigger, none, show},     {R::DoubleClick, show, show}, {R::Context, menu, menu},
        {R::MiddleClick, none, none}, {R::Unknown, none, none},
    };
    for (const Case& c : cases) {
        for (const auto& [host, expected] : {std::pair{qtui::TrayHost::XEmbed, c.xembed},
                                             {qtui::TrayHost::StatusNotifier, c.statusNotifier}}) {
            qtui::QtTrayIcon tray(qtui::programIcon(), QDBusConnection(QStringLiteral("none")));
            Events events;
            tray.setHandler([&](port::TrayEvent event) { events.push_back(event); });
            tray.activated(c.reason, host);
            EXPECT_EQ(events, none) << "nothing before the activation has returned";
            QApplication::processEvents();
            EXPECT_EQ(events, expected) << c.reason << " " << static_cast<int>(host);
        }
    }

    // While a modal window is open, an activation from the bus goes nowhere.
    qtui::QtTrayIcon tray(qtui::programIcon(), QDBusConnection(QStringLiteral("none")));
    Events events;
    tray.setHandler([&](port::TrayEvent event) { events.push_back(event); });
    QDialog modal;
    qttest::whileOpen([&] { modal.exec(); },
                      [&] {
                          tray.activated(R::Trigger, qtui::TrayHost::StatusNotifier);
                          QApplication::processEvents();
                          modal.done(0);
                          return true;
                      },
                      [&] { modal.done(0); });
    QApplication::processEvents();
    EXPECT_EQ(events, none);
}

// The watcher of a StatusNotifierItem host, as a desktop's panel registers it on the session bus.
class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
  public:
    bool host = false;
    bool hostRegistered() const { return host; }
};

// A session bus of its own, with a connection that serves the watcher from a thread of its own (the
// question is asked, blocking, from the test's thread).
class PrivateBus {
  public:
    PrivateBus() {
        m_daemon.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (!m_daemon.waitForStarted(5000) || !m_daemon.waitForReadyRead(5000))
            return;
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        m_thread.start();
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
        QDBusConnection::disconnectFromBus(QStringLiteral("asker"));
        m_thread.quit();
        m_thread.wait();
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }
    bool running() const { return !m_address.isEmpty(); }
    QDBusConnection asker() { return QDBusConnection::connectToBus(m_address, QStringLiteral("asker")); }
    // Registers the watcher service, saying a host is registered with it or not.
    bool registerWatcher(bool host) {
        auto* watcher = new Watcher;
        watcher->host = host;
        watcher->moveToThread(&m_thread);
        QObject::connect(&m_thread, &QThread::finished, watcher, &QObject::deleteLater);
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("watcher"));
        return bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), watcher,
                                  QDBusConnection::ExportAllProperties) &&
               bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    }

  private:
    QProcess m_daemon;
    QString m_address;
    QThread m_thread;
};

TEST(QtTrayIcon, aStatusNotifierHostCountsOnlyWhenItsWatcherSaysOneIsRegistered) {
    application();
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        GTEST_SKIP() << "dbus-daemon is missing";
    EXPECT_EQ(qtui::trayHostOn(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"),
                                                             QStringLiteral("nowhere"))),
              qtui::TrayHost::XEmbed)
        << "no session bus";
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));

    for (const bool registered : {false, true}) {
        PrivateBus bus;
        ASSERT_TRUE(bus.running());
        EXPECT_EQ(qtui::trayHostOn(bus.asker()), qtui::TrayHost::XEmbed) << "no watcher on the bus";
        ASSERT_TRUE(bus.registerWatcher(registered));
        EXPECT_EQ(qtui::trayHostOn(bus.asker()),
                  registered ? qtui::TrayHost::StatusNotifier : qtui::TrayHost::XEmbed)
            << registered;
    }
}

// ---- Dialogs drawn from their layouts.

// Records each click with the value of the control at that moment; a click on a button closes the dialog.
class Recorder : public port::IDialogEvents {
  public:
    qtui::QtDialog* dialog = nullptr;
    std::vector<std::pair<int, bool>> clicks;
    void clicked(int control) override {
        clicks.emplace_back(control, dialog->checked(control));
        if (qobject_cast<QPushButton*>(dialog->control(control)))
            dialog->close();
    }
};

struct OpenDialog {
    Recorder events;
    std::unique_ptr<qtui::QtDialog> dialog;
    explicit OpenDialog(const port::DialogLayout& layout)
        : dialog(std::make_unique<qtui::QtDialog>(layout, events, qtui::programIcon())) {
        events.dialog = dialog.get();
    }
    // Shows it modally and acts once it is open; true when showModal returned.
    bool show(const std::function<void(QDialog&)>& act) {
        bool returned = false;
        qttest::whileOpen(
            [&] {
                dialog->showModal();
                returned = true;
            },
            [&] {
                act(dialog->dialog());
                return true;
            },
            [&] { dialog->dialog().done(0); });
        return returned;
    }
    QWidget& at(int index) { return *dialog->control(index); }
};

void key(QWidget& target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&target, &press);
}

TEST(QtDialog, theLayoutsGiveTheSizesTitlesAndPlacesInPixels) {
    application();
    struct Case {
        const port::DialogLayout& layout;
        QSize client;
        const char* title;
    };
    for (const Case& c : {Case{ui::design::kSettingsDialog, {369, 282}, "設定"},
                          Case{ui::design::kAboutBox, {362, 143}, "ﾊﾞｰｼﾞｮﾝ情報"}}) {
        OpenDialog open(c.layout);
        QDialog& dialog = open.dialog->dialog();
        EXPECT_EQ(dialog.size(), c.client) << c.title;
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << c.title << ": fixed size";
        EXPECT_EQ(dialog.windowTitle().toStdString(), c.title);
        EXPECT_FALSE(dialog.windowIcon().isNull());
        EXPECT_FALSE(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint))
            << c.title;
        EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint) << c.title;
    }

    // Check boxes lie in their frames, at places relative to them; the rest on the dialog.
    using C = ui::SettingsDialog;
    OpenDialog open(ui::design::kSettingsDialog);
    struct Place {
        int control;
        QRect rect; // in the dialog's pixels
        int parent; // -1 for the dialog
    };
    const Place places[] = {
        {C::displayFrame, {8, 8, 353, 73}, -1},
        {C::keepOnTopBox, {24, 24, 321, 25}, C::displayFrame},
        {C::showLabelsBox, {24, 48, 321, 25}, C::displayFrame},
        {C::discFrame, {8, 88, 353, 73}, -1},
        {C::startMenuBox, {24, 128, 321, 25}, C::discFrame},
        {C::startHiddenBox, {24, 208, 321, 25}, C::residentFrame},
        {C::okButton, {192, 248, 81, 25}, -1},
        {C::cancelButton, {280, 248, 81, 25}, -1},
    };
    for (const Place& p : places) {
        QWidget& widget = open.at(p.control);
        EXPECT_EQ(QRect(widget.mapTo(&open.dialog->dialog(), QPoint(0, 0)), widget.size()), p.rect)
            << p.control;
        EXPECT_EQ(widget.parentWidget(), p.parent < 0 ? &open.dialog->dialog() : &open.at(p.parent))
            << p.control;
    }
    EXPECT_EQ(open.at(C::openOnNewDiscBox).toolTip().toStdString(),
              "ＣＤの挿入を検出したらドライブ一覧ウィンドウを自動的に開きます");
    EXPECT_EQ(static_cast<QCheckBox&>(open.at(C::startMenuBox)).text().toStdString(),
              "自動実行可能なドライブをスタートメニューに自動登録する");
}

TEST(QtDialog, focusGoesByTabIndexAndFramesTakeNone) {
    application();
    using C = ui::SettingsDialog;
    OpenDialog open(ui::design::kSettingsDialog);
    std::vector<int> order;
    QWidget* widget = &open.at(C::okButton);
    for (int i = 0; i < 40 && order.size() < 12; ++i, widget = widget->nextInFocusChain()) {
        for (int c = 0; c < static_cast<int>(ui::design::kSettingsDialog.controls.size()); ++c)
            if (widget == &open.at(c) && (widget->focusPolicy() & Qt::TabFocus))
                order.push_back(c);
        if (!order.empty() && widget->nextInFocusChain() == &open.at(C::okButton))
            break;
    }
    EXPECT_EQ(order,
              (std::vector<int>{C::okButton, C::cancelButton, C::showLabelsBox, C::keepOnTopBox,
                                C::openOnNewDiscBox, C::startMenuBox, C::residentBox, C::startHiddenBox}));
    for (int frame : {C::displayFrame, C::discFrame, C::residentFrame})
        EXPECT_EQ(open.at(frame).focusPolicy(), Qt::NoFocus) << frame;
}

TEST(QtDialog, enterPressesTheFocusedButtonOnlyAndEscDoesNothing) {
    application();
    using C = ui::SettingsDialog;
    struct Case {
        const char* name;
        std::vector<int> keys; // pressed on the focused control, one after the other
        std::vector<std::pair<int, bool>> clicks;
    };
    const Case cases[] = {
        {"Enter right after opening is OK", {Qt::Key_Return}, {{C::okButton, false}}},
        {"the keypad's Enter too", {Qt::Key_Enter}, {{C::okButton, false}}},
        {"Tab, Enter is キャンセル", {Qt::Key_Tab, Qt::Key_Return}, {{C::cancelButton, false}}},
        {"Esc does nothing", {Qt::Key_Escape}, {}},
        {"Enter on a check box does nothing", {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return}, {}},
        {"Space on a check box clicks it",
         {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Space},
         {{C::showLabelsBox, true}}},
    };
    for (const Case& c : cases) {
        OpenDialog open(ui::design::kSettingsDialog);
        bool stillOpen = false;
        const bool returned = open.show([&](QDialog& dialog) {
            for (int k : c.keys) {
                QWidget* focused = dialog.focusWidget();
                ASSERT_NE(focused, nullptr) << c.name;
                key(*focused, k);
                if (k == Qt::Key_Space) {
                    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
                    QApplication::sendEvent(focused, &release);
                }
            }
            stillOpen = dialog.isVisible();
            open.dialog->close();
        });
        EXPECT_TRUE(returned) << c.name;
        EXPECT_EQ(open.events.clicks, c.clicks) << c.name;
        EXPECT_EQ(stillOpen, c.clicks.empty() || c.clicks[0].first == C::showLabelsBox) << c.name;
    }
}

TEST(QtDialog, clicksReportNewValuesAndTheCloseBoxEndsWithoutAClick) {
    application();
    using C = ui::SettingsDialog;
    OpenDialog open(ui::design::kSettingsDialog);
    open.dialog->setChecked(C::startHiddenBox, true);
    open.dialog->setEnabled(C::startHiddenBox, false);
    EXPECT_TRUE(open.dialog->checked(C::startHiddenBox)) << "a disabled box keeps its value";
    EXPECT_FALSE(open.at(C::startHiddenBox).isEnabled());
    EXPECT_FALSE(open.dialog->checked(C::okButton)) << "a button has no value";
    EXPECT_FALSE(open.dialog->checked(99)) << "nor a control the layout does not have";
    open.dialog->setChecked(99, true);
    open.dialog->setEnabled(-1, false);

    bool closedByBox = open.show([&](QDialog& dialog) {
        static_cast<QCheckBox&>(open.at(C::residentBox)).click();
        static_cast<QCheckBox&>(open.at(C::residentBox)).click();
        dialog.close();
    });
    EXPECT_TRUE(closedByBox);
    EXPECT_EQ(open.events.clicks,
              (std::vector<std::pair<int, bool>>{{C::residentBox, true}, {C::residentBox, false}}));

    // Closed before it is shown, it does not show.
    OpenDialog early(ui::design::kSettingsDialog);
    early.dialog->close();
    bool shownAtAll = false;
    EXPECT_TRUE(early.show([&](QDialog& dialog) { shownAtAll = dialog.isVisible(); }));
    EXPECT_FALSE(shownAtAll);
}

// Keeps the dialog the about box makes, to look at it while it is open.
class Inspected : public port::IDialogs {
  public:
    qtui::QtDialogs real{qtui::programIcon()};
    qtui::QtDialog* last = nullptr;
    std::unique_ptr<port::IDialog> create(const port::DialogLayout& layout,
                                          port::IDialogEvents& events) override {
        auto dialog = real.create(layout, events);
        last = dynamic_cast<qtui::QtDialog*>(dialog.get());
        return dialog;
    }
};

TEST(QtDialog, theAboutBoxShowsTheBuildsVersionInItsFontsAndTheIconStretched) {
    application();
    lnx::LinuxProcess process("/usr/bin/tavimoro", {});
    Inspected dialogs;
    ui::AboutBox about(process, dialogs);
    using V = ui::AboutBox;
    QString version, title;
    QFont nameFont, versionFont;
    Qt::Alignment versionAlign;
    QSize image;
    qttest::whileOpen([&] { about.show(); },
                      [&] {
                          auto* name = qobject_cast<QLabel*>(dialogs.last->control(V::nameLabel));
                          auto* number = qobject_cast<QLabel*>(dialogs.last->control(V::versionLabel));
                          auto* icon = qobject_cast<QLabel*>(dialogs.last->control(V::iconImage));
                          title = name->text();
                          nameFont = name->font();
                          version = number->text();
                          versionFont = number->font();
                          versionAlign = number->alignment();
                          image = icon->pixmap().size();
                          dialogs.last->dialog().close();
                          return true;
                      },
                      [&] { dialogs.last->dialog().done(0); });
    EXPECT_EQ(version.toStdString(), "Version 1.01");
    EXPECT_EQ(title.toStdString(), "Tavimoro");
    EXPECT_TRUE(versionAlign & Qt::AlignRight);
    EXPECT_EQ(image, QSize(96, 96));
    for (const QFont& font : {nameFont, versionFont}) {
        EXPECT_EQ(font.families().value(0).toStdString(), "ＭＳ Ｐ明朝");
        EXPECT_TRUE(font.bold());
        const QString face = QFontInfo(font).family();
        EXPECT_TRUE(face == QStringLiteral("Noto Serif CJK JP") || face == QStringLiteral("IPAPMincho"))
            << face.toStdString() << ": a Japanese serif face stands in for the design's";
    }
    EXPECT_DOUBLE_EQ(nameFont.pointSizeF(), 18);
    EXPECT_DOUBLE_EQ(versionFont.pointSizeF(), 12);
}

} // namespace

#include "test_qt_features.moc"
