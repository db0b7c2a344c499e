// A driver that prints what a dialog shows and closes it: a quick look at any
// screen on a terminal, and the program's view where there is no display.
#pragma once

#include <ostream>

#include "host/win/NoDisplayDriver.h"

namespace kel::play {

class ConsoleDriver : public win::NoDisplayDriver {
public:
    explicit ConsoleDriver(std::ostream& out) : m_out(out) {}
    void RunModalLoop(CDialog& dialog) override;
    int ShowMessageBox(const win::MessageBoxRequest& request) override;

private:
    std::ostream& m_out;
};

}  // namespace kel::play
