// The treaty code list and its form drawn by the Qt driver, off-screen, against the
// application server in process on the demo data: both windows come out as real
// pictures, the marked rows in their colour, the form with its fields.
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "common/net/Channel.h"
#include "common/net/InProcessChannel.h"
#include "frame/Kelmor.h"
#include "frame/ScreenTable.h"
#include "host/qt/DialogView.h"
#include "host/qt/QtDriver.h"
#include "screens/S0000S2.h"
#include "screens/S0000S20.h"
#include "server/Server.h"

namespace {

bool HasColour(const QImage& image, QColor colour) {
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (image.pixelColor(x, y) == colour) return true;
    return false;
}

// The application server in process on a fresh demo database in `dir`, as the
// installed channel.
bool ServeDemoData(const QTemporaryDir& dir) {
    std::string error;
    std::shared_ptr<kel::server::Server> server =
        kel::server::OpenEmbedded((dir.path() + "/kelmor.db").toStdString(), &error);
    if (!server) {
        qWarning("%s", error.c_str());
        return false;
    }
    kel::InstallChannel(std::make_shared<kel::net::InProcessChannel>(
        [server](const _PacketHead& head, std::string_view body, _PacketHead& answerHead,
                 std::vector<char>& answerBody) { server->Handle(head, body, answerHead, answerBody); }));
    return true;
}

}  // namespace

class QtScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void treatyCodeListAndFormRender() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(ServeDemoData(dir));

        kel::qt::ScopedQtDriver driver;
        QImage list, form;
        QStringList formFields;
        driver->SetDialogShownHook([&](CDialog& dialog, kel::qt::DialogView& view) {
            QTimer::singleShot(200, &view, [&, d = &dialog, v = &view] {
                if (d->GetTemplateID() == CS0000S2::IDD) {
                    list = v->grab().toImage();
                    // Open the add form; it runs its own modal loop in here.
                    if (form.isNull()) static_cast<CButton*>(d->GetDlgItem(CS0000S2::IDC_BTN_ADD))->UserClick();
                    d->EndDialog(IDCANCEL);
                } else {
                    form = v->grab().toImage();
                    for (int id : {CS0000S20::IDC_EDT_CODE, CS0000S20::IDC_EDT_CHN_NAME, CS0000S20::IDC_EDT_ENG_NAME})
                        if (auto* edit = qobject_cast<QLineEdit*>(v->WidgetFor(id))) formFields << edit->objectName();
                    if (auto* type = qobject_cast<QComboBox*>(v->WidgetFor(CS0000S20::IDC_CBX_TYPE)))
                        formFields << QString::number(type->count());
                    d->EndDialog(IDCANCEL);
                }
                driver->CheckEnded();
            });
        });

        CS0000S2 screen;
        QCOMPARE(static_cast<int>(screen.DoModal()), IDCANCEL);
        kel::InstallChannel(nullptr);

        QVERIFY(!list.isNull());
        QVERIFY(list.width() > 300 && list.height() > 150);
        QVERIFY2(HasColour(list, QColor(248, 108, 24)), "the rows the server marks are painted");
        // KELMOR_SCREENSHOT_DIR keeps the pictures (for the README's tour).
        const QString keep = qEnvironmentVariable("KELMOR_SCREENSHOT_DIR", dir.path());
        QVERIFY(list.save(keep + "/screen-25001-list.png", "PNG"));
        QVERIFY(form.save(keep + "/screen-25001-form.png", "PNG"));
        QVERIFY(!form.isNull());
        QVERIFY(form.width() > 150 && form.height() > 80);
        QCOMPARE(formFields.size(), 4);                    // three edits and the type combo are on the form
        QCOMPARE(formFields.last(), QStringLiteral("8"));  // the empty item and the seven types
    }

    // Every screen the host can open comes up in Qt with its caption and draws.
    void everyScreenRenders() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(ServeDemoData(dir));
        kel::qt::ScopedQtDriver driver;
        for (const auto& entry : kel::ScreenTable()) {
            if (entry.result != kel::ScreenResult::ModalResult) continue;
            QString caption;
            QImage picture;
            driver->SetDialogShownHook([&](CDialog& dialog, kel::qt::DialogView& view) {
                QTimer::singleShot(50, &view, [&, d = &dialog, v = &view] {
                    caption = v->windowTitle();
                    picture = v->grab().toImage();
                    d->EndDialog(IDCANCEL);
                    driver->CheckEnded();
                });
            });
            QCOMPARE(Call_Kelmor_Dialog(entry.number, 0), IDCANCEL);
            QCOMPARE(caption, QString::fromUtf8(entry.caption));
            QVERIFY2(!picture.isNull() && picture.width() > 50 && picture.height() > 20,
                     qPrintable(QString::number(entry.number)));
        }
        kel::InstallChannel(nullptr);
    }
};

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QtScreenshotTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QtScreenshotTest.moc"
