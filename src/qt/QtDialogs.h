#pragma once
// The program's dialogs on Qt (the settings dialog, the about box), drawn from their layouts: each
// control at its place, in the focus order of its tab index.
#include "port/Dialogs.h"

#include <QIcon>
#include <QPointer>
#include <memory>
#include <vector>

class QDialog;
class QWidget;

namespace qtui {

class QtDialog : public port::IDialog {
  public:
    QtDialog(const port::DialogLayout& layout, port::IDialogEvents& events, const QIcon& icon);
    ~QtDialog() override;
    QtDialog(const QtDialog&) = delete;
    QtDialog& operator=(const QtDialog&) = delete;

    bool checked(int control) override;
    void setChecked(int control, bool checked) override;
    void setEnabled(int control, bool enabled) override;
    void setCaption(int control, const std::string& text) override;
    void setTooltip(int control, const std::string& text) override;
    void showModal() override;
    void close() override;

    QDialog& dialog();
    // The widget of a control of the layout; null for an index the layout does not have.
    QWidget* control(int index) const;

    class Window;

  private:
    void clicked(int control);

    port::IDialogEvents& m_events;
    std::unique_ptr<Window> m_dialog;
    std::vector<QPointer<QWidget>> m_controls; // by index in the layout
    QPointer<QWidget> m_firstFocus;
    bool m_closed = false;
};

class QtDialogs : public port::IDialogs {
  public:
    // Every dialog shows `icon`, in its title bar and in its image controls.
    explicit QtDialogs(QIcon icon) : m_icon(std::move(icon)) {}
    std::unique_ptr<port::IDialog> create(const port::DialogLayout& layout,
                                          port::IDialogEvents& events) override;

  private:
    QIcon m_icon;
};

} // namespace qtui
