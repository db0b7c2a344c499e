// A driver that prints what a dialog shows and closes it: the program's view until
// the desktop front end is in place, and a quick look at any screen on a terminal.
#pragma once

#include <ostream>

#include "host/win/NoDisplayDriver.h"

class CQXGrid;

namespace kel::shell {

class ConsoleDriver : public win::NoDisplayDriver {
public:
    explicit ConsoleDriver(std::ostream& out) : m_out(out) {}
    void RunModalLoop(CDialog& dialog) override;
    int ShowMessageBox(const win::MessageBoxRequest& request) override;

private:
    void PrintGrid(const CQXGrid& grid, const std::string& indent);
    std::ostream& m_out;
    int m_depth = 0;
};

}  // namespace kel::shell
