#include "qt/Text.h"

namespace kel::qt {

QString WithoutMnemonic(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                out += u'&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

int Utf8Offset(const QString& text, int pos) {
    if (pos <= 0) return 0;
    return static_cast<int>(text.left(pos).toUtf8().size());
}

int CharPosition(const QString& text, int utf8Offset) {
    if (utf8Offset <= 0) return 0;
    QByteArray bytes = text.toUtf8();
    if (utf8Offset >= bytes.size()) return static_cast<int>(text.size());
    return static_cast<int>(QString::fromUtf8(bytes.left(utf8Offset)).size());
}

}  // namespace kel::qt
