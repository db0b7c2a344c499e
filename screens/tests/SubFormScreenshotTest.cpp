// The participation form (a broker with its sub-reinsurers) and the product share
// form drawn by the Qt driver, off-screen, on the demo database as the host's
// shared database: real pictures with the code lists filled and the total row in
// its colour. KELMOR_SCREENSHOT_DIR keeps them.
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <optional>

#include "common/text/GbkText.h"
#include "host/qxcommon/StaticDatabase.h"
#include "qt/DialogView.h"
#include "qt/QtDriver.h"
#include "qt/tests/Reach.h"
#include "screens/S0000S700.h"
#include "screens/S0000S701.h"
#include "screens/tests/DemoServer.h"

namespace {

bool HasColour(const QImage& image, QColor colour) {
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (image.pixelColor(x, y) == colour) return true;
    return false;
}

_ContExtraStruct Extra(const char* broker, const char* sub, const char* subShare, const char* brokerShare) {
    _ContExtraStruct r{};
    kel::text::PutField(r.szBrokerCode, broker);
    kel::text::PutField(r.szSubRICode, sub);
    kel::text::PutField(r.szSubShare, subShare);
    kel::text::PutField(r.szBrokerShare, brokerShare);
    return r;
}

// The edit screen as the participation form sees it.
class Owner : public CWnd, public CReinsListOwner {
public:
    CQXGrid& GetReinsGrid() override { return grid; }
    kel::mgr::RecordArray<_ContExtraStruct>& GetExtraArray() override { return extras; }
    CQXGrid grid{1, 6, 1, 0};
    kel::mgr::RecordArray<_ContExtraStruct> extras;
};

}  // namespace

class SubFormScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        demo.emplace("sub-form-screenshot");
        QVERIFY2(demo->Started(), demo->Error().c_str());
    }
    void cleanupTestCase() { demo.reset(); }

    void participationFormRenders() {
        Owner owner;
        const _ContExtraStruct records[] = {Extra("B1", "03", "0.1000", "0.2500"),
                                            Extra("B1", "14", "0.1500", "0.2500")};
        owner.extras.Assign(records, 2);
        CS0000S700 form(&owner);
        form.m_nRowNo = 3;
        form.m_strContCode = "QA";
        form.m_strContName = "财产险成数合约";
        form.m_strRICode = "B1";
        form.m_strShare = "0.2500";
        form.m_strLimit = "9999999999.99";
        form.m_nExtraStart = 0;
        form.m_nExtraCount = 2;

        QImage picture = Grab(form, CS0000S700::IDC_CBX_REINSURER);
        QVERIFY(!picture.isNull() && picture.width() > 400 && picture.height() > 200);
        QVERIFY2(HasColour(picture, QColor(248, 108, 24)), "the total row is painted");
        QVERIFY(picture.save(Keep() + "/screen-25013-participation.png", "PNG"));
    }

    void productShareFormRenders() {
        CS0000S701 form;
        form.m_bAdd = false;
        form.m_strYear = "2024";
        form.m_strContCode = "QA";
        form.m_strContName = "财产险成数合约";
        form.m_texts[kel::screens::RISK_PRODUCT] = "0101";
        form.m_texts[kel::screens::RISK_LEVEL] = "02";
        form.m_texts[kel::screens::RISK_QUOTA] = "0.300000";
        form.m_texts[kel::screens::RISK_RETENTION] = "36000000.00";
        form.m_texts[kel::screens::RISK_CONT_LIMIT] = "108000000.00";
        form.m_texts[kel::screens::RISK_COINS_COEF] = "1.00";
        form.m_texts[kel::screens::RISK_SET_TYPE] = "T";
        form.m_texts[kel::screens::RISK_LINES] = "3";
        form.m_texts[kel::screens::RISK_VIP_LINES] = "1";
        form.m_texts[kel::screens::RISK_VIP_LIMIT] = "36000000.00";

        QImage picture = Grab(form, CS0000S701::IDC_CBX_PRODUCT);
        QVERIFY(!picture.isNull() && picture.width() > 300 && picture.height() > 150);
        QCOMPARE(static_cast<int>(form.m_arrRiskCode.size()), 5);
        QVERIFY(picture.save(Keep() + "/screen-25013-product-share.png", "PNG"));
    }

private:
    // Runs the form in Qt, grabs it once drawn, closes it; the combo `combo` must
    // show its chosen item, and every control be in view or scrolled to on the
    // tests' laptop screen.
    QImage Grab(CDialog& form, int combo) {
        kel::qt::ScopedQtDriver driver;
        QImage picture;
        QString shown;
        QStringList outOfReach{"never opened"};
        driver->SetDialogShownHook([&](CDialog& dialog, kel::qt::DialogView& view) {
            QTimer::singleShot(200, &view, [&, d = &dialog, v = &view] {
                picture = v->grab().toImage();
                outOfReach = qttest::OutOfReach(*v);
                if (auto* box = qobject_cast<QComboBox*>(v->WidgetFor(combo))) shown = box->currentText();
                d->EndDialog(IDCANCEL);
                driver->CheckEnded();
            });
        });
        form.DoModal();
        if (shown.isEmpty()) qWarning("combo %d shows nothing", combo);
        if (!outOfReach.isEmpty()) qWarning("out of reach: %s", qPrintable(outOfReach.join("; ")));
        return shown.isEmpty() || !outOfReach.isEmpty() ? QImage() : picture;
    }
    QString Keep() const {
        return qEnvironmentVariable("KELMOR_SCREENSHOT_DIR", QString::fromStdString(demo->Dir().string()));
    }

    std::optional<kel::testing::DemoServer> demo;
};

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SubFormScreenshotTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "SubFormScreenshotTest.moc"
