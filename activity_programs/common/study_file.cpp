#include "study_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

namespace activity {

namespace {

// A study file holds at most 55 short lines; anything far larger is some
// other file named by mistake, not worth reading whole.
constexpr qint64 kLargestStudyFile = 4 * 1024 * 1024;

QString shownPath(const QString &path) {
    return QDir::toNativeSeparators(path);
}

// A line quoted in a message is cut, so that a foreign file cannot flood it.
QString shownLine(const QString &line) {
    constexpr int kMost = 80;
    return line.size() <= kMost ? line : line.left(kMost) + QStringLiteral("…");
}

// The shell writes the study file in the system's own text encoding: UTF-8
// everywhere but Windows, the ANSI code page there.
bool decode(const QByteArray &bytes, QString *text) {
    if (bytes.contains('\0'))
        return false;
#ifdef Q_OS_WIN
    QStringDecoder decoder(QStringDecoder::System);
#else
    QStringDecoder decoder(QStringDecoder::Utf8);
#endif
    *text = decoder(bytes);
    // A byte order mark left by an editor is not part of line 1.
    if (text->startsWith(QChar(0xFEFF)))
        text->remove(0, 1);
    return !decoder.hasError();
}

// Lines end in CR LF; a lone LF is taken as a line end as well, so that a
// file passed through a tool that changed the line ends still reads.
QStringList splitLines(const QString &text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the end of the last line, not a line of its own
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return lines;
}

// The value between the first and the last double quote; nothing inside is
// escaped, so a quote within the value is part of it.
bool unquote(const QString &line, QString *value) {
    const qsizetype first = line.indexOf(QLatin1Char('"'));
    const qsizetype last = line.lastIndexOf(QLatin1Char('"'));
    if (first < 0 || last == first)
        return false;
    *value = line.mid(first + 1, last - first - 1);
    return true;
}

} // namespace

StudyLoad ParseStudyFile(const QByteArray &bytes, const QString &path) {
    StudyLoad load;
    const QString where = shownPath(path);
    QString text;
    if (!decode(bytes, &text)) {
        load.error = load.texts(Text::StudyFileNotText).arg(where);
        return load;
    }
    const QStringList lines = splitLines(text);
    if (lines.size() >= 4)
        load.texts = ActivityTexts(lines[3]);
    const ActivityTexts &t = load.texts;
    const auto line = [&lines](int number) { return lines[number - 1]; };

    if (lines.size() < kHeaderLines) {
        load.error = t(Text::StudyFileTooShort)
                         .arg(where, QString::number(lines.size()), QString::number(kHeaderLines));
        return load;
    }
    StudyFile &f = load.file;
    f.path = path;

    bool ok = false;
    f.shellProcess = line(1).trimmed().toLongLong(&ok);
    if (!ok || f.shellProcess < 0) {
        load.error = t(Text::BadNumberLine).arg(where, QStringLiteral("1"), shownLine(line(1)));
        return load;
    }
    f.languageCode = line(2);
    f.productTitle = line(3);
    f.learnerLanguage = line(4);
    f.targetLanguage = line(5);
    f.studentName = line(6);
    f.subjectTitle = line(7);

    const int count = line(8).trimmed().toInt(&ok);
    if (!ok || count < 1 || count > kMostPhrases) {
        load.error = t(Text::BadPhraseCount).arg(where, shownLine(line(8)));
        return load;
    }
    f.databasePath = line(9);
    if (f.databasePath.trimmed().isEmpty()) {
        load.error = t(Text::NoDatabaseNamed).arg(where);
        return load;
    }
    // Lines 10 to 14 are reserved; their content is not ours to judge.
    // Line 15 is a number as BASIC prints one: " 1 " or "-1 ".
    f.formatVersion = line(15).trimmed().toInt(&ok);
    if (!ok) {
        load.error = t(Text::BadNumberLine).arg(where, QStringLiteral("15"), shownLine(line(15)));
        return load;
    }

    const int needed = kHeaderLines + 4 * count;
    if (lines.size() < needed) {
        load.error = t(Text::StudyFileTooShort)
                         .arg(where, QString::number(lines.size()), QString::number(needed));
        return load;
    }
    const QDir folder = QFileInfo(path).absoluteDir();
    for (int k = 0; k < count; ++k) {
        QString values[4];
        for (int i = 0; i < 4; ++i) {
            const int number = kHeaderLines + 1 + 4 * k + i;
            if (!unquote(line(number), &values[i])) {
                load.error =
                    t(Text::NotQuoted).arg(where, QString::number(number), shownLine(line(number)));
                return load;
            }
        }
        StudyPhrase phrase{values[0], values[1], values[2], values[3]};
        if (!phrase.soundFile.isEmpty())
            phrase.soundFile = QDir::cleanPath(folder.absoluteFilePath(phrase.soundFile));
        f.phrases << phrase;
    }
    // Lines after the last phrase belong to later versions of the format.
    return load;
}

StudyLoad LoadStudyFile(const QString &argument, const QString &workingFolder) {
    if (argument.trimmed().isEmpty()) {
        StudyLoad load;
        load.error = load.texts(Text::NoStudyFile);
        return load;
    }
    const QString path = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(argument));
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        // Without the file its language is unknown: English.
        StudyLoad load;
        const QString reason =
            QFileInfo::exists(path) ? file.errorString() : QStringLiteral("there is no such file.");
        load.error = load.texts(Text::CannotReadStudyFile).arg(shownPath(path), reason);
        return load;
    }
    if (file.size() > kLargestStudyFile) {
        StudyLoad load;
        load.error = load.texts(Text::StudyFileNotText).arg(shownPath(path));
        return load;
    }
    StudyLoad load = ParseStudyFile(file.readAll(), path);
    if (!load.ok())
        return load;
    for (int k = 0; k < load.file.phrases.size(); ++k) {
        const QString &sound = load.file.phrases[k].soundFile;
        if (!QFileInfo(sound).isFile()) {
            load.error =
                load.texts(Text::SoundMissing).arg(shownPath(sound), QString::number(k + 1));
            return load;
        }
    }
    if (!QFileInfo(load.file.databasePath).isFile())
        load.error = load.texts(Text::DatabaseMissing).arg(shownPath(load.file.databasePath));
    return load;
}

} // namespace activity
