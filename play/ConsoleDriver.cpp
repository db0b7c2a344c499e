#include "play/ConsoleDriver.h"

#include "host/win/Dialog.h"
#include "play/DialogText.h"

namespace kel::play {

void ConsoleDriver::RunModalLoop(CDialog& dialog) {
    DialogTextOptions options;
    options.maxRows = 30;  // a first look, not the whole table
    WriteDialog(m_out, dialog, options);
    dialog.EndDialog(IDCANCEL);
}

int ConsoleDriver::ShowMessageBox(const win::MessageBoxRequest& request) {
    m_out << "<" << request.text << ">\n";
    return request.DefaultAnswer();
}

}  // namespace kel::play
