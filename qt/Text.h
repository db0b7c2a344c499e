// Text helpers between the models (UTF-8, the window layer's conventions) and Qt.
#pragma once

#include <QString>

#include "host/win/CString.h"

namespace kel::qt {

inline QString Q(const CString& s) { return QString::fromUtf8(s.GetString(), s.GetLength()); }
inline QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline CString C(const QString& s) { return CString(s.toUtf8().toStdString()); }

// Text of a control that shows no mnemonic: "&&" reads "&", a single '&' vanishes.
QString WithoutMnemonic(const QString& text);

// Byte offset in the UTF-8 form of `text` of the character position `pos`, and back.
int Utf8Offset(const QString& text, int pos);
int CharPosition(const QString& text, int utf8Offset);

}  // namespace kel::qt
