// Qt's print support is opened at the first print: linked, it cost every start of
// the program its loading, for a preview most sessions never open.
#pragma once

#include <string>

#include "host/win/UiDriver.h"

class QWidget;

namespace kel::qt {

// The library that holds the preview (qt/PrintPreview.cpp).
inline constexpr const char* kPrintLibrary = "libkelmor_qt_print.so";

// Shows the print preview modally over `parent`: true when the person printed;
// false, with `error` set, when the print library cannot be loaded.
bool PrintWithPreview(const win::PrintJob& job, QWidget* parent, std::string& error);

}  // namespace kel::qt
