// The popup's Qt window: text fitting, and a popup started on its own thread that
// rises on the GUI thread, tells the main window when clicked, and goes away.
#include <QPainter>
#include <QTextLayout>

#include "popup/PopWndThread.h"
#include "qt/PopupWindow.h"
#include "qt/WindowMessage.h"
#include "qt/tests/Suites.h"

namespace {

class MainWindow : public QWidget {
public:
    std::vector<UINT> messages;

protected:
    bool event(QEvent* e) override {
        if (e->type() == kel::qt::WindowMessageEvent::EventType()) {
            auto* m = static_cast<kel::qt::WindowMessageEvent*>(e);
            messages.push_back(m->message);
            m->result = 1;
            return true;
        }
        return QWidget::event(e);
    }
};

kel::qt::PopupWindow* ShownPopup() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = dynamic_cast<kel::qt::PopupWindow*>(w); p && p->isVisible()) return p;
    return nullptr;
}

}  // namespace

namespace qttest {

class PopupTest : public QObject {
    Q_OBJECT
private slots:
    // Chinese is drawn in a fallback font whose lines are taller than the popup
    // font's own line spacing: the lines that show, measured as laid out, fit the
    // text rectangle, and the last one ends in the ellipsis.
    void textFitsWithAnEllipsis() {
        QFont font(QStringLiteral("MS Sans Serif"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSize(10);
        const QFontMetrics metrics(font);
        const QSize box(127, 83);
        QCOMPARE(kel::qt::FitText(QStringLiteral("您有新的提示信息"), font, box), QStringLiteral("您有新的提示信息"));
        QString longText;
        for (int i = 0; i < 40; ++i) longText += QStringLiteral("待处理的临分业务 ");
        const kel::qt::FittedText fitted = kel::qt::FitLines(longText, font, box);
        QVERIFY(fitted.lines.size() >= 2);
        QCOMPARE(fitted.lines.join(u'\n'), kel::qt::FitText(longText, font, box));
        qreal height = 0;
        for (const QString& line : fitted.lines) {
            QTextLayout layout(line, font);
            layout.beginLayout();
            QTextLine laid = layout.createLine();
            laid.setLineWidth(box.width());
            height += laid.height();
            QCOMPARE(laid.textLength(), line.size());  // one line each, as drawn
            layout.endLayout();
            QVERIFY(metrics.horizontalAdvance(line) <= box.width());
        }
        QVERIFY2(height <= box.height(), qPrintable(QString::number(height)));
        QCOMPARE(fitted.Height(), height);
        QVERIFY(fitted.lines.last().endsWith(QChar(0x2026)));
    }

    void popupRisesTellsTheMainWindowAndGoes() {
        kel::qt::ScopedQtDriver driver;
        MainWindow main;
        main.setWindowTitle(QStringLiteral("Tessan保险业务系统"));
        main.show();
        auto* thread = new CPopWndThread("您有 2 条待处理信息", 150, 60, 128, 50, RGB(255, 255, 225), RGB(0, 0, 128));
        QVERIFY(thread->CreateThread());

        QTRY_VERIFY(ShownPopup() != nullptr);
        QTRY_COMPARE(ShownPopup()->height(), 60);  // risen: 2, 4, ... 60
        kel::qt::PopupWindow* popup = ShownPopup();
        QCOMPARE(popup->width(), 140);
        const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(popup->geometry().right() + 1, work.right() + 1 - 10);
        QCOMPARE(popup->geometry().bottom(), work.bottom());
        QImage image(popup->size(), QImage::Format_RGB32);
        popup->render(&image);
        QCOMPARE(QColor(image.pixel(2, 2)), QColor(255, 255, 225));

        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(20, 20));
        QTRY_COMPARE(main.messages, std::vector<UINT>{1124});

        main.setWindowTitle(QStringLiteral("别的窗口"));  // no main window: a click does nothing
        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::qWait(100);
        QCOMPARE(main.messages.size(), size_t{1});

        QTRY_VERIFY_WITH_TIMEOUT(ShownPopup() == nullptr, 10000);  // stayed 5 s, sank and closed
    }
};

std::unique_ptr<QObject> MakePopupTest() { return std::make_unique<PopupTest>(); }

}  // namespace qttest

#include "PopupTest.moc"
