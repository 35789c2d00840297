#pragma once
// Message boxes on Qt.
#include "port/MessageBox.h"

#include <QString>
#include <string>

namespace qtui {

// The program joins lines with CR LF; Qt breaks lines at LF alone.
QString messageText(const std::string& text);

class QtMessageBox : public port::IMessageBox {
  public:
    // A modal box with an OK button. On the offscreen platform nobody can close a box, so the message
    // goes to standard error instead and the call returns at once.
    void show(const std::string& text, const std::string& caption, port::MessageIcon icon) override;
};

} // namespace qtui
