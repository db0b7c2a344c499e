// The least a Qt process that shows a dialog costs: one QDialog holding one table
// widget of the search's shape (five columns, a header), shown, painted once, then
// the process ends. bench/open-screen.sh times it beside a top screen opened by
// kelmor --screen N --screenshot FILE, which ends the same way after its first paint.
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Ends the application on the turn after the dialog's first paint.
class QuitAfterPaint final : public QObject {
public:
    explicit QuitAfterPaint(QWidget& widget) { widget.installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !armed_) {
            armed_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
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
    QuitAfterPaint quit(dialog);
    dialog.show();
    return app.exec();
}
