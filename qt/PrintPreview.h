// Printing a list: a preview of the pages with the system's print dialog behind its
// print button (a printer, or a PDF file). Built as its own library, which the
// driver opens at the first print (qt/PrintLoader.h).
#pragma once

#include "host/win/UiDriver.h"

class QTextDocument;
class QWidget;

namespace kel::qt {

// The job as a document: the title, then one table with a header row.
void BuildPrintDocument(const win::PrintJob& job, QTextDocument& document);

// Shows the preview modally over `parent`; true when the person printed.
bool RunPrintPreview(const win::PrintJob& job, QWidget* parent);

}  // namespace kel::qt
