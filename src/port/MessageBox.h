#pragma once
#include <string>

namespace port {

enum class MessageIcon { None, Information, Exclamation, Critical };

class IMessageBox {
  public:
    virtual ~IMessageBox() = default;
    // A modal box with an OK button; returns when the user closes it. Text lines are joined by CR LF.
    virtual void show(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
};

} // namespace port
