// The least a Qt process that shows a dialog costs: one QDialog holding one table
// widget of the search's shape (five columns, a header), shown, painted once, its
// picture saved to the file named by the first argument (format by suffix, as kelmor
// does), then the process ends. bench/open-screen.sh times it beside a top screen
// opened by kelmor --screen N --screenshot FILE, which ends the same way.
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// On the turn after the dialog's first paint: its picture saved, the application ended.
class QuitAfterPaint final : public QObject {
public:
    QuitAfterPaint(QWidget& widget, QString file) : widget_(widget), file_(std::move(file)) {
        widget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !armed_) {
            armed_ = true;
            QTimer::singleShot(0, qApp, [this] {
                if (!file_.isEmpty()) {
                    const QString suffix = QFileInfo(file_).suffix().toLower();
                    const char* format = suffix == QLatin1String("bmp")   ? "BMP"
                                         : suffix == QLatin1String("ppm") ? "PPM"
                                                                          : "PNG";
                    // As kelmor --screenshot takes it: off-screen, the window's image as painted.
                    QPixmap shown = QGuiApplication::platformName() == QLatin1String("offscreen")
                                        ? widget_.windowHandle()->screen()->grabWindow(widget_.winId())
                                        : widget_.grab();
                    if (!shown.save(file_, format, 80)) return QCoreApplication::exit(1);
                }
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget& widget_;
    QString file_;
    bool armed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("合约资料设置[检索]"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* table = new QTableWidget(0, 5, &dialog);
    table->setHorizontalHeaderLabels({QStringLiteral("合约代码"), QStringLiteral("起始日期"),
                                      QStringLiteral("终止日期"), QStringLiteral("合约名称"),
                                      QStringLiteral("首席再保人")});
    layout->addWidget(table);
    dialog.resize(1000, 420);
    QuitAfterPaint quit(dialog, argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    dialog.show();
    return app.exec();
}
