// A dialog written out as text, as the person at the screen sees it: the caption,
// every control in tab order with its kind, label, value, tick and state, then
// every grid and list with its header and rows. The script player's `show` and the
// console view print with it.
#pragma once

#include <ostream>
#include <string>

class CDialog;

namespace kel::play {

// A text in double quotes, with \", \\, \n, \r and \t standing for what cannot stand
// inside them.
std::string Quote(const std::string& text);

struct DialogTextOptions {
    std::string indent;  // before every line
    int maxRows = -1;    // rows of a grid or list shown, -1 = all
};

void WriteDialog(std::ostream& out, const CDialog& dialog, const DialogTextOptions& options = {});

}  // namespace kel::play
