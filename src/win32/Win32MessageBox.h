#pragma once
#include "port/MessageBox.h"

namespace win {

class Win32MessageBox : public port::IMessageBox {
  public:
    void show(const std::string& text, const std::string& caption, port::MessageIcon icon) override;
};

} // namespace win
