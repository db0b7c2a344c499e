#include "qt/PrintPreview.h"

#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>

namespace kel::qt {
namespace {

QString Cell(const std::string& text, const char* tag) {
    const QString escaped = QString::fromStdString(text).toHtmlEscaped();
    return QStringLiteral("<%1>%2</%1>")
        .arg(QLatin1String(tag), escaped.isEmpty() ? QStringLiteral("&nbsp;") : escaped);
}

}  // namespace

void BuildPrintDocument(const win::PrintJob& job, QTextDocument& document) {
    QString html = QStringLiteral("<h3>%1</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr>")
                       .arg(QString::fromStdString(job.title).toHtmlEscaped());
    for (const std::string& header : job.headers) html += Cell(header, "th");
    html += QStringLiteral("</tr>");
    for (const auto& row : job.rows) {
        html += QStringLiteral("<tr>");
        for (const std::string& cell : row) html += Cell(cell, "td");
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    document.setHtml(html);
}

bool RunPrintPreview(const win::PrintJob& job, QWidget* parent) {
    QTextDocument document;
    BuildPrintDocument(job, document);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromStdString(job.title));
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QString::fromStdString(job.title));
    // The preview paints through this too; the print button prints and accepts.
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, [&](QPrinter* target) { document.print(target); });
    return preview.exec() == QDialog::Accepted;
}

}  // namespace kel::qt

// What qt/PrintLoader.cpp looks up once it has opened this library.
extern "C" __attribute__((visibility("default"))) bool KelmorRunPrintPreview(const win::PrintJob& job,
                                                                             QWidget* parent) {
    return kel::qt::RunPrintPreview(job, parent);
}
