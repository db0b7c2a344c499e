// What the print library puts on paper: the list as one document.
#include <QTextDocument>

#include "qt/PrintPreview.h"
#include "qt/tests/Suites.h"

namespace {

class PrintTest : public QObject {
    Q_OBJECT
private slots:
    // What is printed: the title, a header row and every cell, escaped.
    void thePrintedDocumentHoldsTheTitleHeaderAndCells() {
        win::PrintJob job;
        job.title = "合约检查结果";
        job.headers = {"序号", "检查结果"};
        job.rows = {{"1", "险类01没有险种，无法展开"}, {"2", "<a&b>"}};
        QTextDocument document;
        kel::qt::BuildPrintDocument(job, document);
        const QString text = document.toPlainText();
        for (const char* expected : {"合约检查结果", "序号", "检查结果", "险类01没有险种，无法展开", "<a&b>"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    }
};

}  // namespace

namespace qttest {

std::unique_ptr<QObject> MakePrintTest() { return std::make_unique<PrintTest>(); }

}  // namespace qttest

#include "PrintTest.moc"
