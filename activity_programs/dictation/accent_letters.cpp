#include "accent_letters.h"

namespace activity {

namespace {

struct Language {
    const char *name;
    // Pairs of key and letter, most used first for each key.
    const char *letters;
};

// clang-format off
constexpr Language kLanguages[] = {
    {"Italian", "aàeèeéiìoòuù"},
    {"Spanish", "aáeéiíoóuúuünñ?¿!¡"},
    {"French", "aàaâcçeéeèeêeëiîiïoôoœuùuûuüyÿaæ"},
    {"German", "aäoöuüsß"},
};
// clang-format on

} // namespace

QVector<AccentLetter> AccentLettersFor(const QString &targetLanguage) {
    QVector<AccentLetter> letters;
    for (const Language &language : kLanguages) {
        if (targetLanguage.trimmed().compare(QLatin1String(language.name), Qt::CaseInsensitive) !=
            0)
            continue;
        const QString pairs = QString::fromUtf8(language.letters);
        for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
            letters << AccentLetter{pairs[i], QString(pairs[i + 1])};
    }
    return letters;
}

QString NextAccentLetter(const QVector<AccentLetter> &letters, QChar key, const QString &previous,
                         bool upper) {
    QStringList round;
    for (const AccentLetter &l : letters)
        if (l.key == key.toLower())
            round << l.letter;
    if (round.isEmpty())
        return QString();
    const qsizetype at = round.indexOf(previous.toLower());
    const QString next = round[at < 0 ? 0 : (at + 1) % round.size()];
    // ß has a capital only in newer writing; it stays as it is.
    return upper && next != QStringLiteral("ß") ? next.toUpper() : next;
}

} // namespace activity
