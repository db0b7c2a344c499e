// Runs a dialog under the Qt driver, off-screen: once it is shown, `act` plays the
// user, the picture is taken after the view has caught up and the dialog closes.
#pragma once

#include <QImage>
#include <QTimer>

#include <functional>

#include "host/win/Dialog.h"
#include "qt/DialogView.h"
#include "qt/QtDriver.h"

namespace kel::testing {

inline QImage GrabDialog(CDialog& dialog, const std::function<void()>& act) {
    kel::qt::ScopedQtDriver driver;
    QImage picture;
    driver->SetDialogShownHook([&](CDialog& shown, kel::qt::DialogView& view) {
        QTimer::singleShot(100, &view, [&, d = &shown, v = &view] {
            act();
            QTimer::singleShot(200, v, [&, d, v] {
                picture = v->grab().toImage();
                d->EndDialog(IDCANCEL);
                driver->CheckEnded();
            });
        });
    });
    dialog.DoModal();
    return picture;
}

}  // namespace kel::testing
