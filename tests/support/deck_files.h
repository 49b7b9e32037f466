// Flash-card packages, vocabulary files and recordings written in the test
// run, laid out as the programs that make them write them: a package is a zip
// of an SQLite collection (the older layout with note types and decks as JSON
// in its col table, or the current one with tables of their own, compressed
// with zstd), a media list and media files stored under numbers.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <sndfile.h>
#include <sqlite3.h>
#include <zip.h>
#include <zstd.h>

#include <cmath>
#include <list>
#include <stdexcept>
#include <vector>

namespace fixture {

// How a recording is encoded: libsndfile's major and minor formats.
enum class Encoding { Mp3, OggVorbis, Opus, Flac, Wav };

struct Tone {
    Encoding encoding = Encoding::Mp3;
    int rate = 44100;
    int channels = 1;
    double seconds = 0.6;
    double frequency = 440;
    double amplitude = 0.3;
};

// A tone encoded as the file a flash-card program keeps.
inline QByteArray EncodedTone(const Tone &t) {
    int format = 0;
    switch (t.encoding) {
    case Encoding::Mp3:
        format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
        break;
    case Encoding::OggVorbis:
        format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        break;
    case Encoding::Opus:
        format = SF_FORMAT_OGG | SF_FORMAT_OPUS;
        break;
    case Encoding::Flac:
        format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        break;
    case Encoding::Wav:
        format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        break;
    }
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("tone")));
    SF_INFO info{};
    info.samplerate = t.rate;
    info.channels = t.channels;
    info.format = format;
    SNDFILE *file = sf_open(path.constData(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error(sf_strerror(nullptr));
    const auto frames = static_cast<sf_count_t>(t.seconds * t.rate);
    std::vector<float> samples(size_t(frames) * size_t(t.channels));
    for (sf_count_t f = 0; f < frames; ++f)
        for (int c = 0; c < t.channels; ++c)
            samples[size_t(f) * size_t(t.channels) + size_t(c)] =
                float(t.amplitude * std::sin(2 * M_PI * t.frequency * double(f) / t.rate));
    sf_writef_float(file, samples.data(), frames);
    sf_close(file);
    QFile out(QFile::decodeName(path));
    out.open(QIODevice::ReadOnly);
    return out.readAll();
}

struct DeckNote {
    QStringList fields;
    QString deck;
    QString notetype = QStringLiteral("Basic");
};

struct DeckNotetype {
    QString name;
    QStringList fields;
};

enum class PackageLayout {
    Anki2,   // collection.anki2, JSON media list
    Anki21,  // collection.anki21, JSON media list
    Anki21b, // zstd collection.anki21b, protobuf media list, zstd media files
};

struct Package {
    PackageLayout layout = PackageLayout::Anki2;
    QVector<DeckNotetype> notetypes{
        {QStringLiteral("Basic"), {QStringLiteral("Front"), QStringLiteral("Back")}}};
    QVector<DeckNote> notes;
    QVector<std::pair<QString, QByteArray>> media; // file name, bytes
};

namespace detail {

inline void exec(sqlite3 *db, const QString &sql) {
    char *error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "sqlite error";
        sqlite3_free(error);
        throw std::runtime_error(message);
    }
}

inline QString quoted(QString text) {
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

inline QByteArray zstd(const QByteArray &bytes) {
    QByteArray out(qsizetype(ZSTD_compressBound(size_t(bytes.size()))), Qt::Uninitialized);
    const size_t n =
        ZSTD_compress(out.data(), size_t(out.size()), bytes.constData(), size_t(bytes.size()), 3);
    out.resize(qsizetype(n));
    return out;
}

inline void varint(QByteArray &out, quint64 v) {
    while (v >= 0x80) {
        out.append(char((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.append(char(v));
}

inline void lengthDelimited(QByteArray &out, int field, const QByteArray &bytes) {
    varint(out, quint64(field) << 3 | 2);
    varint(out, quint64(bytes.size()));
    out.append(bytes);
}

inline qint64 deckId(const QStringList &decks, const QString &deck) {
    return deck.isEmpty() ? 1 : 1000 + decks.indexOf(deck);
}

// The collection as an SQLite file's bytes.
inline QByteArray collection(const Package &p, bool currentSchema) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("collection"));
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    QStringList decks;
    for (const DeckNote &n : p.notes)
        if (!n.deck.isEmpty() && !decks.contains(n.deck))
            decks << n.deck;
    const auto notetypeId = [&p](const QString &name) {
        for (int i = 0; i < p.notetypes.size(); ++i)
            if (p.notetypes[i].name == name)
                return qint64(1600000000000) + i;
        return qint64(0);
    };
    exec(db, QStringLiteral(
                 "CREATE TABLE col (id integer primary key, crt integer not null, mod integer not "
                 "null, scm integer not null, ver integer not null, dty integer not null, usn "
                 "integer not null, ls integer not null, conf text not null, models text not "
                 "null, decks text not null, dconf text not null, tags text not null);"
                 "CREATE TABLE notes (id integer primary key, guid text not null, mid integer "
                 "not null, mod integer not null, usn integer not null, tags text not null, flds "
                 "text not null, sfld integer not null, csum integer not null, flags integer not "
                 "null, data text not null);"
                 "CREATE TABLE cards (id integer primary key, nid integer not null, did integer "
                 "not null, ord integer not null, mod integer not null, usn integer not null, "
                 "type integer not null, queue integer not null, due integer not null, ivl "
                 "integer not null, factor integer not null, reps integer not null, lapses "
                 "integer not null, left integer not null, odue integer not null, odid integer "
                 "not null, flags integer not null, data text not null);"));
    // One transaction, as the programs write their collections.
    exec(db, QStringLiteral("BEGIN"));
    QJsonObject models, deckJson;
    if (currentSchema) {
        exec(db, QStringLiteral(
                     "CREATE TABLE notetypes (id integer not null primary key, name text not "
                     "null, mtime_secs integer not null, usn integer not null, config blob not "
                     "null);"
                     "CREATE TABLE fields (ntid integer not null, ord integer not null, name "
                     "text not null, config blob not null, primary key (ntid, ord));"
                     "CREATE TABLE decks (id integer primary key not null, name text not null, "
                     "mtime_secs integer not null, usn integer not null, common blob not null, "
                     "kind blob not null);"));
        for (const DeckNotetype &t : p.notetypes) {
            exec(db, QStringLiteral("INSERT INTO notetypes VALUES (%1, %2, 0, -1, x'')")
                         .arg(notetypeId(t.name))
                         .arg(quoted(t.name)));
            for (int f = 0; f < t.fields.size(); ++f)
                exec(db, QStringLiteral("INSERT INTO fields VALUES (%1, %2, %3, x'')")
                             .arg(notetypeId(t.name))
                             .arg(f)
                             .arg(quoted(t.fields[f])));
        }
        // Their deck names separate a parent from its child with 0x1f.
        exec(db, QStringLiteral("INSERT INTO decks VALUES (1, 'Default', 0, -1, x'', x'')"));
        for (const QString &d : decks)
            exec(db, QStringLiteral("INSERT INTO decks VALUES (%1, %2, 0, -1, x'', x'')")
                         .arg(deckId(decks, d))
                         .arg(quoted(QString(d).replace(QStringLiteral("::"), QChar(0x1f)))));
    } else {
        for (const DeckNotetype &t : p.notetypes) {
            QJsonArray fields;
            for (int f = 0; f < t.fields.size(); ++f)
                fields.append(QJsonObject{{QStringLiteral("name"), t.fields[f]},
                                          {QStringLiteral("ord"), f},
                                          {QStringLiteral("sticky"), false}});
            models.insert(QString::number(notetypeId(t.name)),
                          QJsonObject{{QStringLiteral("id"), notetypeId(t.name)},
                                      {QStringLiteral("name"), t.name},
                                      {QStringLiteral("flds"), fields},
                                      {QStringLiteral("type"), 0}});
        }
        deckJson.insert(QStringLiteral("1"), QJsonObject{{QStringLiteral("id"), 1},
                                                         {QStringLiteral("name"), "Default"}});
        for (const QString &d : decks)
            deckJson.insert(
                QString::number(deckId(decks, d)),
                QJsonObject{{QStringLiteral("id"), deckId(decks, d)}, {QStringLiteral("name"), d}});
    }
    exec(db, QStringLiteral("INSERT INTO col VALUES (1, 0, 0, 0, %1, 0, 0, 0, '{}', %2, %3, "
                            "'{}', '{}')")
                 .arg(currentSchema ? 18 : 11)
                 .arg(quoted(currentSchema ? QString()
                                           : QString::fromUtf8(QJsonDocument(models).toJson())),
                      quoted(currentSchema ? QString()
                                           : QString::fromUtf8(QJsonDocument(deckJson).toJson()))));
    for (int i = 0; i < p.notes.size(); ++i) {
        const DeckNote &n = p.notes[i];
        const qint64 id = 1700000000000 + i;
        exec(db, QStringLiteral("INSERT INTO notes VALUES (%1, %2, %3, 0, -1, '', %4, %5, 0, 0, "
                                "'')")
                     .arg(id)
                     .arg(quoted(QStringLiteral("g%1").arg(i)))
                     .arg(notetypeId(n.notetype))
                     .arg(quoted(n.fields.join(QChar(0x1f))), quoted(n.fields.value(0))));
        exec(db, QStringLiteral("INSERT INTO cards VALUES (%1, %2, %3, 0, 0, -1, 0, 0, %4, 0, 0, "
                                "0, 0, 0, 0, 0, 0, '')")
                     .arg(id + 1)
                     .arg(id)
                     .arg(deckId(decks, n.deck))
                     .arg(i + 1));
    }
    exec(db, QStringLiteral("COMMIT"));
    sqlite3_close(db);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace detail

// Writes the package; the file name decides nothing (.apkg or .colpkg).
inline void WritePackage(const QString &path, const Package &p) {
    std::list<QByteArray> kept; // libzip reads the buffers when it closes
    int error = 0;
    zip_t *archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        throw std::runtime_error("cannot create the package");
    const auto add = [&](const QString &name, const QByteArray &bytes) {
        kept.push_back(bytes);
        zip_source_t *source = zip_source_buffer(archive, kept.back().constData(),
                                                 zip_uint64_t(kept.back().size()), 0);
        zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_OVERWRITE);
    };
    const bool current = p.layout == PackageLayout::Anki21b;
    if (current) {
        add(QStringLiteral("collection.anki21b"), detail::zstd(detail::collection(p, true)));
        // For older programs: one note asking to update.
        Package old;
        old.notes = {{{QStringLiteral("Please update to the latest version"), QString()}, {}}};
        add(QStringLiteral("collection.anki2"), detail::collection(old, false));
        QByteArray entries;
        for (const auto &[name, bytes] : p.media) {
            QByteArray entry;
            detail::lengthDelimited(entry, 1, name.toUtf8());
            detail::varint(entry, 2 << 3 | 0);
            detail::varint(entry, quint64(bytes.size()));
            detail::lengthDelimited(entry, 3, QByteArray(20, '\x11'));
            detail::lengthDelimited(entries, 1, entry);
        }
        add(QStringLiteral("media"), detail::zstd(entries));
        QByteArray meta;
        detail::varint(meta, 1 << 3 | 0);
        detail::varint(meta, 3); // the latest version
        add(QStringLiteral("meta"), meta);
    } else {
        add(p.layout == PackageLayout::Anki21 ? QStringLiteral("collection.anki21")
                                              : QStringLiteral("collection.anki2"),
            detail::collection(p, false));
        QJsonObject list;
        for (int i = 0; i < p.media.size(); ++i)
            list.insert(QString::number(i), p.media[i].first);
        add(QStringLiteral("media"), QJsonDocument(list).toJson(QJsonDocument::Compact));
    }
    for (int i = 0; i < p.media.size(); ++i)
        add(QString::number(i), current ? detail::zstd(p.media[i].second) : p.media[i].second);
    if (zip_close(archive) != 0)
        throw std::runtime_error("cannot write the package");
}

} // namespace fixture
