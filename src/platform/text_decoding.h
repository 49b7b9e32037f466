// Text files written elsewhere: by a spreadsheet, a flash-card program or a
// web server. Most are UTF-8; older Windows programs write the system's code
// page, Windows-1252 in Western Europe.
#pragma once

#include <QByteArray>
#include <QString>

namespace textDecoding {

// Decodes UTF-8 (a byte order mark dropped) or, when the bytes are not
// UTF-8, Windows-1252; encoding receives the name of the one used.
QString DecodeText(QByteArray bytes, QString *encoding = nullptr);

// Whether the bytes can be text at all: no NUL and no control characters
// other than tab, line feed, carriage return and form feed.
bool LooksLikeText(const QByteArray &bytes);

} // namespace textDecoding
