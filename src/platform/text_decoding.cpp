#include "platform/text_decoding.h"

#include <QStringDecoder>

namespace textDecoding {

QString DecodeText(QByteArray bytes, QString *encoding) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (encoding)
            *encoding = QStringLiteral("UTF-8");
        return text;
    }
    if (encoding)
        *encoding = QStringLiteral("Windows-1252");
    QStringDecoder cp1252("windows-1252");
    if (cp1252.isValid())
        return cp1252.decode(bytes);
    // A Qt without ICU knows no code pages: Latin-1 is the nearest.
    return QString::fromLatin1(bytes);
}

bool LooksLikeText(const QByteArray &bytes) {
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f') || b == 0x7F)
            return false;
    }
    return true;
}

} // namespace textDecoding
