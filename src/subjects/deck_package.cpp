#include "subjects/deck_package.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QMutex>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <zip.h>
#include <zstd.h>

#include <memory>

namespace subjects {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("wordList", text);
}

struct ZipCloser {
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

ZipHandle openZip(const QString &path, QString *error) {
    int code = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive && error) {
        zip_error_t e;
        zip_error_init_with_code(&e, code);
        *error = QString::fromLocal8Bit(zip_error_strerror(&e));
        zip_error_fini(&e);
    }
    return ZipHandle(archive);
}

bool hasEntry(zip_t *archive, const char *name) {
    return zip_name_locate(archive, name, 0) >= 0;
}

// A whole entry of the archive; a null array when it is not there.
QByteArray readEntry(zip_t *archive, const QString &name, QString *error) {
    zip_stat_t st;
    const QByteArray encoded = name.toUtf8();
    if (zip_stat(archive, encoded.constData(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
        if (error)
            *error = tr("the package holds no file '%1'").arg(name);
        return {};
    }
    zip_file_t *file = zip_fopen(archive, encoded.constData(), 0);
    if (!file) {
        if (error)
            *error = QString::fromLocal8Bit(zip_strerror(archive));
        return {};
    }
    QByteArray bytes(qsizetype(st.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(file, bytes.data(), st.size);
    zip_fclose(file);
    if (got != zip_int64_t(st.size)) {
        if (error)
            *error = tr("the package's file '%1' is damaged").arg(name);
        return {};
    }
    return bytes;
}

bool isZstd(const QByteArray &bytes) {
    return bytes.startsWith("\x28\xB5\x2F\xFD");
}

// The protobuf list of current packages: MediaEntries { repeated MediaEntry
// entries = 1; }, MediaEntry { string name = 1; uint32 size = 2; bytes sha1
// = 3; optional uint32 legacy_zip_filename = 255; }. A few varints read it.
struct ProtoReader {
    const QByteArray &bytes;
    qsizetype at = 0;
    bool broken = false;

    bool atEnd() const { return broken || at >= bytes.size(); }
    quint64 varint() {
        quint64 value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (at >= bytes.size()) {
                broken = true;
                return 0;
            }
            const auto b = static_cast<unsigned char>(bytes[at++]);
            value |= quint64(b & 0x7F) << shift;
            if (!(b & 0x80))
                return value;
        }
        broken = true;
        return 0;
    }
    QByteArray lengthDelimited() {
        const quint64 length = varint();
        if (broken || length > quint64(bytes.size() - at)) {
            broken = true;
            return {};
        }
        const QByteArray part = bytes.mid(at, qsizetype(length));
        at += qsizetype(length);
        return part;
    }
    void skip(int wireType) {
        switch (wireType) {
        case 0:
            varint();
            break;
        case 1:
            at += 8;
            break;
        case 2:
            lengthDelimited();
            break;
        case 5:
            at += 4;
            break;
        default:
            broken = true;
        }
        broken = broken || at > bytes.size();
    }
};

// Media file name -> the archive entry holding it.
QHash<QString, QString> protobufMediaList(const QByteArray &bytes, bool &ok) {
    QHash<QString, QString> files;
    ProtoReader list{bytes};
    int index = 0;
    while (!list.atEnd()) {
        const quint64 key = list.varint();
        if (key >> 3 != 1 || (key & 7) != 2) {
            list.skip(int(key & 7));
            continue;
        }
        const QByteArray entryBytes = list.lengthDelimited();
        ProtoReader entry{entryBytes};
        QString name;
        QString zipName = QString::number(index++);
        while (!entry.atEnd()) {
            const quint64 k = entry.varint();
            if (k >> 3 == 1 && (k & 7) == 2)
                name = QString::fromUtf8(entry.lengthDelimited());
            else if (k >> 3 == 255 && (k & 7) == 0)
                zipName = QString::number(entry.varint());
            else
                entry.skip(int(k & 7));
        }
        if (entry.broken)
            list.broken = true;
        if (!name.isEmpty())
            files.insert(name, zipName);
    }
    ok = !list.broken;
    return files;
}

class PackageMedia : public WordListMedia {
public:
    PackageMedia(ZipHandle archive, QHash<QString, QString> files)
        : m_archive(std::move(archive)), m_files(std::move(files)) {}

    QByteArray read(const QString &name, QString *error) const override {
        const auto it = m_files.constFind(name);
        if (it == m_files.constEnd()) {
            if (error)
                *error = tr("the package holds no recording '%1'").arg(name);
            return {};
        }
        QMutexLocker lock(&m_mutex);
        QByteArray bytes = readEntry(m_archive.get(), it.value(), error);
        // Current packages compress every media file.
        if (isZstd(bytes))
            bytes = ZstdDecompress(bytes, error);
        return bytes;
    }

private:
    ZipHandle m_archive;
    QHash<QString, QString> m_files;
    mutable QMutex m_mutex;
};

struct SqliteCloser {
    void operator()(sqlite3 *db) const { sqlite3_close(db); }
};

class Query {
public:
    Query(sqlite3 *db, const char *sql) { sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr); }
    ~Query() { sqlite3_finalize(m_statement); }
    bool valid() const { return m_statement != nullptr; }
    bool next() { return m_statement && sqlite3_step(m_statement) == SQLITE_ROW; }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    QString text(int column) const {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_statement, column)) : QString();
    }

private:
    sqlite3_stmt *m_statement = nullptr;
};

struct Note {
    qint64 notetype = 0;
    QString fields;
};

struct Collection {
    QMap<qint64, QStringList> fieldNames; // note type -> its fields in order
    QHash<qint64, QString> deckNames;
    QHash<qint64, qint64> deckOfNote; // from the note's first card
    QVector<Note> notes;
};

// Both schemas: current collections keep note types, fields and decks in
// tables of their own; older ones as JSON in the col table.
bool readCollection(sqlite3 *db, Collection &c, QString *error) {
    bool tables = false;
    {
        Query q(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'fields'");
        tables = q.next();
    }
    if (tables) {
        Query fields(db, "SELECT ntid, name FROM fields ORDER BY ntid, ord");
        while (fields.next())
            c.fieldNames[fields.integer(0)] << fields.text(1);
        Query decks(db, "SELECT id, name FROM decks");
        // Their names separate a deck from its parent with 0x1f.
        while (decks.next())
            c.deckNames.insert(decks.integer(0),
                               decks.text(1).replace(QChar(0x1f), QStringLiteral("::")));
    } else {
        Query col(db, "SELECT models, decks FROM col");
        if (!col.next()) {
            if (error)
                *error = tr("the collection holds no note types");
            return false;
        }
        const QJsonObject models = QJsonDocument::fromJson(col.text(0).toUtf8()).object();
        for (auto it = models.begin(); it != models.end(); ++it) {
            QMap<int, QString> byOrder;
            for (const QJsonValue &f :
                 it.value().toObject().value(QStringLiteral("flds")).toArray())
                byOrder.insert(f.toObject().value(QStringLiteral("ord")).toInt(),
                               f.toObject().value(QStringLiteral("name")).toString());
            c.fieldNames[it.key().toLongLong()] = byOrder.values();
        }
        const QJsonObject decks = QJsonDocument::fromJson(col.text(1).toUtf8()).object();
        for (auto it = decks.begin(); it != decks.end(); ++it)
            c.deckNames.insert(it.key().toLongLong(),
                               it.value().toObject().value(QStringLiteral("name")).toString());
    }
    {
        Query cards(db, "SELECT nid, did FROM cards ORDER BY nid, ord");
        while (cards.next())
            if (!c.deckOfNote.contains(cards.integer(0)))
                c.deckOfNote.insert(cards.integer(0), cards.integer(1));
    }
    Query notes(db, "SELECT id, mid, flds FROM notes ORDER BY id");
    if (!notes.valid()) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    QVector<qint64> ids;
    while (notes.next()) {
        c.notes << Note{notes.integer(1), notes.text(2)};
        ids << notes.integer(0);
    }
    // Keep the deck by note position from here on.
    QHash<qint64, qint64> byPosition;
    for (int i = 0; i < ids.size(); ++i)
        byPosition.insert(i, c.deckOfNote.value(ids[i], -1));
    c.deckOfNote = byPosition;
    return true;
}

WordList unreadable(const QString &reason) {
    WordList list;
    list.unit = RowUnit::Note;
    list.problems << WordListProblem{0, WordListProblemKind::Unreadable, reason, 0};
    return list;
}

} // namespace

QByteArray ZstdDecompress(const QByteArray &bytes, QString *error) {
    std::unique_ptr<ZSTD_DStream, size_t (*)(ZSTD_DStream *)> stream(ZSTD_createDStream(),
                                                                     ZSTD_freeDStream);
    QByteArray out;
    QByteArray chunk(qsizetype(ZSTD_DStreamOutSize()), Qt::Uninitialized);
    ZSTD_inBuffer in{bytes.constData(), size_t(bytes.size()), 0};
    size_t pending = 1;
    while (in.pos < in.size || pending != 0) {
        ZSTD_outBuffer o{chunk.data(), size_t(chunk.size()), 0};
        pending = ZSTD_decompressStream(stream.get(), &o, &in);
        if (ZSTD_isError(pending)) {
            if (error)
                *error = QString::fromLatin1(ZSTD_getErrorName(pending));
            return {};
        }
        out.append(chunk.constData(), qsizetype(o.pos));
        if (in.pos >= in.size && o.pos < o.size && pending != 0) {
            if (error)
                *error = tr("the compressed data ends too early");
            return {};
        }
    }
    return out;
}

bool IsDeckPackage(const QString &path) {
    const ZipHandle archive = openZip(path, nullptr);
    return archive && (hasEntry(archive.get(), "collection.anki21b") ||
                       hasEntry(archive.get(), "collection.anki21") ||
                       hasEntry(archive.get(), "collection.anki2"));
}

WordList ReadDeckPackage(const QString &path, const WordListOptions &options) {
    QString error;
    ZipHandle archive = openZip(path, &error);
    if (!archive)
        return unreadable(error);
    // A current package also holds an old-style collection, only to tell
    // older programs to update.
    QString collectionName;
    for (const char *name : {"collection.anki21b", "collection.anki21", "collection.anki2"})
        if (collectionName.isEmpty() && hasEntry(archive.get(), name))
            collectionName = QLatin1String(name);
    if (collectionName.isEmpty())
        return unreadable(tr("the package holds no collection"));
    QByteArray collection = readEntry(archive.get(), collectionName, &error);
    if (collection.isNull())
        return unreadable(error);
    if (isZstd(collection)) {
        collection = ZstdDecompress(collection, &error);
        if (collection.isEmpty())
            return unreadable(error);
    }

    // SQLite reads files: the collection goes to a folder of its own.
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("collection.sqlite"));
    {
        QFile out(file);
        if (!folder.isValid() || !out.open(QIODevice::WriteOnly) ||
            out.write(collection) != collection.size())
            return unreadable(tr("cannot unpack the collection: %1").arg(out.errorString()));
    }
    Collection c;
    {
        sqlite3 *raw = nullptr;
        const int opened = sqlite3_open_v2(QFile::encodeName(file).constData(), &raw,
                                           SQLITE_OPEN_READONLY, nullptr);
        std::unique_ptr<sqlite3, SqliteCloser> db(raw);
        if (opened != SQLITE_OK)
            return unreadable(QString::fromUtf8(sqlite3_errmsg(raw)));
        if (!readCollection(db.get(), c, &error))
            return unreadable(error);
    }

    QHash<QString, QString> files;
    const QByteArray mediaList = readEntry(archive.get(), QStringLiteral("media"), nullptr);
    if (isZstd(mediaList)) {
        bool ok = false;
        files = protobufMediaList(ZstdDecompress(mediaList, &error), ok);
        if (!ok)
            return unreadable(tr("the package's media list is damaged"));
    } else if (!mediaList.isEmpty()) {
        const QJsonObject map = QJsonDocument::fromJson(mediaList).object();
        for (auto it = map.begin(); it != map.end(); ++it)
            files.insert(it.value().toString(), it.key());
    }

    // Notes of one note type share their field names: each type is a table
    // of its own, with the names as its header.
    QMap<qint64, WordTable> tables;
    QStringList decks;
    for (int i = 0; i < c.notes.size(); ++i) {
        const Note &note = c.notes[i];
        WordTable &table = tables[note.notetype];
        table.unit = RowUnit::Note;
        table.html = 1;
        table.header = c.fieldNames.value(note.notetype);
        const QString deck = c.deckNames.value(c.deckOfNote.value(i, -1));
        if (!deck.isEmpty() && !decks.contains(deck))
            decks << deck;
        table.entries << WordTable::Entry{i + 1, note.fields.split(QChar(0x1f)), deck, {}};
    }
    WordList list;
    list.unit = RowUnit::Note;
    bool first = true;
    for (const WordTable &table : std::as_const(tables)) {
        const WordList part = WordListFromTable(table, options);
        if (first) {
            list = part;
            first = false;
            continue;
        }
        list.rows += part.rows;
        list.problems += part.problems;
    }
    // A deck asked for is missing only when no note type has it.
    QVector<WordListProblem> problems;
    bool deckMissing = false;
    for (const WordListProblem &p : std::as_const(list.problems)) {
        if (p.kind == WordListProblemKind::NoSuchDeck || p.kind == WordListProblemKind::NoRows)
            deckMissing = deckMissing || p.kind == WordListProblemKind::NoSuchDeck;
        else
            problems << p;
    }
    std::stable_sort(
        problems.begin(), problems.end(),
        [](const WordListProblem &a, const WordListProblem &b) { return a.line < b.line; });
    std::stable_sort(list.rows.begin(), list.rows.end(),
                     [](const WordListRow &a, const WordListRow &b) { return a.line < b.line; });
    list.problems = problems;
    if (list.rows.isEmpty() && list.problems.isEmpty())
        list.problems << WordListProblem{
            0, deckMissing ? WordListProblemKind::NoSuchDeck : WordListProblemKind::NoRows,
            options.deck, 0};
    list.unit = RowUnit::Note;
    list.decks = decks;
    list.encoding = QStringLiteral("UTF-8");
    list.media = std::make_shared<PackageMedia>(std::move(archive), std::move(files));
    return list;
}

} // namespace subjects
