#include "shell/Screenshot.h"

#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "host/win/Dialog.h"
#include "qt/DialogView.h"
#include "qt/QtDriver.h"

namespace kel::shell {
namespace {

// Qt's PNG quality: 80 is zlib's level 1, a few times faster than its default for
// a file about a fifth larger on these flat pictures.
constexpr int kPngQuality = 80;

// PNG unless the file's suffix names another format Qt writes (BMP, PPM: no
// compression, for timing the opening rather than the encoding).
const char* PictureFormat(const QString& file) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    return suffix == QLatin1String("bmp") ? "BMP" : suffix == QLatin1String("ppm") ? "PPM" : "PNG";
}

// What the screen shows. Off-screen, the window's own image as it was painted (the
// platform keeps it); on a display the window may be covered, so drawn again.
QPixmap Picture(QWidget& view) {
    if (QGuiApplication::platformName() == QLatin1String("offscreen") && view.windowHandle())
        if (QScreen* screen = view.windowHandle()->screen()) {
            QPixmap shown = screen->grabWindow(view.winId());
            if (!shown.isNull()) return shown;
        }
    return view.grab();
}

// Waits on the view for its first paint; the picture is taken on the next turn
// of the event loop, when the paint has finished and what it posted is handled.
class AfterFirstPaint final : public QObject {
public:
    AfterFirstPaint(kel::qt::QtDriver& driver, CDialog& dialog, kel::qt::DialogView& view, QString file, bool& saved,
                    int fallbackMs)
        : QObject(&view), driver_(driver), dialog_(dialog), view_(view), file_(std::move(file)), saved_(saved) {
        view.installEventFilter(this);
        QTimer::singleShot(fallbackMs, this, [this] { Take(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &view_ && event->type() == QEvent::Paint && !armed_) {
            armed_ = true;
            QTimer::singleShot(0, this, [this] { Take(); });
        }
        return false;
    }

private:
    void Take() {
        if (taken_) return;
        taken_ = true;
        view_.removeEventFilter(this);
        // The fastest compression: a picture for a look, saved while the screen waits to close.
        saved_ = Picture(view_).save(file_, PictureFormat(file_), kPngQuality);
        dialog_.EndDialog(IDCANCEL);
        driver_.CheckEnded();
    }

    kel::qt::QtDriver& driver_;
    CDialog& dialog_;
    kel::qt::DialogView& view_;
    QString file_;
    bool& saved_;
    bool armed_ = false;
    bool taken_ = false;
};

}  // namespace

void ArmScreenshot(kel::qt::QtDriver& driver, const QString& file, bool& saved, int fallbackMs) {
    driver.SetDialogShownHook([&driver, file, &saved, fallbackMs](CDialog& dialog, kel::qt::DialogView& view) {
        driver.SetDialogShownHook(nullptr);
        new AfterFirstPaint(driver, dialog, view, file, saved, fallbackMs);  // owned by the view
    });
}

}  // namespace kel::shell
