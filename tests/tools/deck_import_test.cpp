// Flash-card packages and vocabulary files made in the test run, imported as
// a teacher would: the texts exact, every phrase with the package's own
// recording where it has one, brought to the level espeak-ng speaks at.
#include "platform/ado.h"
#include "platform/sound.h"
#include "subject_tool.h"
#include "subjects/deck_package.h"
#include "subjects/deck_sound.h"
#include "subjects/kvtml.h"
#include "subject_data/subject_schema.h"
#include "support/deck_files.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

using namespace tvxsubject;
using fixture::Encoding;
using fixture::Tone;

namespace {

struct Phrase {
    QString phrase, translation, translation2;
    QByteArray wave;
};

QVector<Phrase> subjectPhrases(const QString &path) {
    ado::Connection cn;
    cn.Open(ado::ConnectionString(path, subjects::SubjectPassword()));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases ORDER BY pkPhraseNo"), cn);
    QVector<Phrase> rows;
    for (; !rs.EOF_(); rs.MoveNext())
        rows << Phrase{rs.Fields("tPhrase").Text(), rs.Fields("tTranslation").Text(),
                       rs.Fields("tTranslation2").Text(), rs.Fields("bsound").GetChunk(-1)};
    return rows;
}

// What a subject's recording holds: its length, its pitch (a tone's
// frequency from its zero crossings) and its level.
struct Heard {
    int rate = 0;
    int channels = 0;
    int bits = 0;
    double seconds = 0;
    double frequency = 0;
    double loudnessDb = 0;
};

Heard hear(const QByteArray &wave) {
    Heard h;
    const std::optional<WaveLayout> layout = PlayableWaveLayout(wave);
    if (!layout)
        return h;
    h.rate = layout->rate;
    h.channels = layout->channels;
    h.bits = layout->bits;
    h.seconds = double(layout->frames) / layout->rate;
    const auto *samples = reinterpret_cast<const qint16 *>(wave.constData() + layout->dataOffset);
    int crossings = 0;
    for (qsizetype i = 1; i < layout->frames; ++i)
        crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    h.frequency = crossings / 2.0 / h.seconds;
    h.loudnessDb = subjects::MeasureWave(wave).loudnessDb;
    return h;
}

// A recording of the text without espeak-ng: a second of 200 Hz.
QByteArray spoken(const QString &, const QString &) {
    std::vector<qint16> samples(22050);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = qint16(3000 * std::sin(2 * M_PI * 200 * double(i) / 22050));
    return MonoWave16(samples, 22050);
}

class DeckImportTest : public ::testing::Test {
protected:
    ImportOptions options(const QString &file) const {
        ImportOptions o;
        o.list = file;
        o.code = QStringLiteral("tvxito");
        o.out = env.root() + QStringLiteral("Mazzo.ito");
        o.record = spoken;
        return o;
    }
    // A recording as the subject holds it: mono 16-bit at espeak-ng's rate,
    // as long as the package's and of its pitch, at espeak-ng's level.
    static void expectOwnRecording(const QByteArray &wave, const Tone &tone) {
        const Heard h = hear(wave);
        EXPECT_EQ(h.rate, subjects::kSubjectWaveRate);
        EXPECT_EQ(h.channels, 1);
        EXPECT_EQ(h.bits, 16);
        // Lossy coders add a little silence around a recording.
        EXPECT_NEAR(h.seconds, tone.seconds, tone.encoding == Encoding::Wav ? 0.001 : 0.08);
        EXPECT_NEAR(h.frequency, tone.frequency, tone.frequency * 0.03);
        EXPECT_NEAR(h.loudnessDb, subjects::kPhraseLoudnessDb, 1.0);
    }
    TestEnv env;
};

} // namespace

TEST_F(DeckImportTest, OlderPackageKeepsItsRecordingsAndSpeaksTheNotesWithoutOne) {
    // A quiet stereo MP3 at 44.1 kHz, a loud Ogg Vorbis at 48 kHz, a WAV at
    // 8 kHz, a note without a recording.
    const Tone ciao{Encoding::Mp3, 44100, 2, 0.6, 440, 0.05};
    const Tone grazie{Encoding::OggVorbis, 48000, 1, 0.9, 660, 0.8};
    const Tone pane{Encoding::Wav, 8000, 1, 0.5, 300, 0.3};
    fixture::Package p;
    p.notes = {{{"ciao [sound:ciao.mp3]", "hola"}, "Italiano"},
               {{"grazie", "gracias<br>[sound:grazie.ogg]"}, "Italiano"},
               {{"&egrave; un caff&egrave;", "es un caf&eacute;"}, "Italiano"},
               {{"pane<div>[sound:pane 1.wav]</div>", "pan"}, "Italiano::Cibo"}};
    p.media = {{"grazie.ogg", fixture::EncodedTone(grazie)},
               {"ciao.mp3", fixture::EncodedTone(ciao)},
               {"pane 1.wav", fixture::EncodedTone(pane)}};
    const QString file = env.root() + QStringLiteral("Italiano.apkg");
    fixture::WritePackage(file, p);

    const ImportReport report = ImportWordList(options(file));
    EXPECT_EQ(report.phrases, 4);
    EXPECT_EQ(report.ownRecordings, 3);
    EXPECT_EQ(report.recorded, 1);
    EXPECT_TRUE(report.problems.isEmpty()) << report.problems.join("\n").toStdString();
    EXPECT_TRUE(CheckSubject(options(file).out, "tvxito").isEmpty())
        << CheckSubject(options(file).out).join("\n").toStdString();
    const QVector<Phrase> rows = subjectPhrases(options(file).out);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].phrase, QStringLiteral("ciao"));
    EXPECT_EQ(rows[0].translation, QStringLiteral("hola"));
    EXPECT_EQ(rows[1].translation, QStringLiteral("gracias"));
    EXPECT_EQ(rows[2].phrase, QStringLiteral("è un caffè"));
    EXPECT_EQ(rows[2].translation, QStringLiteral("es un café"));
    EXPECT_EQ(rows[3].phrase, QStringLiteral("pane"));
    expectOwnRecording(rows[0].wave, ciao);
    expectOwnRecording(rows[1].wave, grazie);
    expectOwnRecording(rows[3].wave, pane);
    EXPECT_EQ(rows[2].wave, spoken({}, {}));

    // One deck of the package, with its subdecks, by the command line.
    const QString food = env.root() + QStringLiteral("Cibo.ito");
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    ASSERT_EQ(
        tvxsubject::Run({"import", file, "--code", "tvxito", "--out", food, "--deck",
                         "Italiano::Cibo", "--wav-cache", env.root() + QStringLiteral("cache")},
                        out, err),
        0)
        << errText.toStdString();
    EXPECT_TRUE(outText.contains(QLatin1String("1 with their own recording")))
        << outText.toStdString();
    ASSERT_EQ(subjectPhrases(food).size(), 1);
    EXPECT_EQ(subjectPhrases(food)[0].phrase, QStringLiteral("pane"));
    EXPECT_EQ(tvxsubject::Run({"import", file, "--code", "tvxito", "--out", food, "--force",
                               "--deck", "Tedesco"},
                              out, err),
              1);
    EXPECT_TRUE(errText.contains(QLatin1String("no deck named \"Tedesco\"")))
        << errText.toStdString();
}

TEST_F(DeckImportTest, CurrentPackageWithCompressedCollectionAndMediaPicksTheLearnedLanguage) {
    const Tone libro{Encoding::Opus, 48000, 1, 0.7, 500, 0.2};
    const Tone casa{Encoding::Flac, 16000, 2, 0.4, 350, 0.5};
    fixture::Package p;
    p.layout = fixture::PackageLayout::Anki21b;
    // The teacher's own note type: the Spanish field first, the sound apart.
    p.notetypes = {
        {QStringLiteral("Vocabolario"),
         {QStringLiteral("Español"), QStringLiteral("Audio"), QStringLiteral("Italiano")}}};
    p.notes = {{{"el libro", "[sound:libro.opus]", "il libro"}, "Lessico", "Vocabolario"},
               {{"la casa", "[sound:casa.flac]", "la casa"}, "Lessico", "Vocabolario"}};
    p.media = {{"libro.opus", fixture::EncodedTone(libro)},
               {"casa.flac", fixture::EncodedTone(casa)}};
    const QString file = env.root() + QStringLiteral("collection.colpkg");
    fixture::WritePackage(file, p);

    subjects::WordListOptions languages;
    languages.targetLanguage = QStringLiteral("Italian");
    languages.learnerLanguage = QStringLiteral("Spanish");
    const subjects::WordList list = subjects::ReadImportFile(file, languages);
    EXPECT_EQ(list.decks, QStringList{QStringLiteral("Lessico")});
    EXPECT_EQ(list.phraseColumn, 2);
    EXPECT_EQ(list.translationColumn, 0);

    const ImportReport report = ImportWordList(options(file));
    EXPECT_EQ(report.ownRecordings, 2);
    EXPECT_EQ(report.recorded, 0);
    const QVector<Phrase> rows = subjectPhrases(options(file).out);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].phrase, QStringLiteral("il libro"));
    EXPECT_EQ(rows[0].translation, QStringLiteral("el libro"));
    EXPECT_EQ(rows[0].translation2, QString());
    expectOwnRecording(rows[0].wave, libro);
    expectOwnRecording(rows[1].wave, casa);

    // The fields by name, as a CSV file's columns: the other direction.
    ImportOptions byName = options(file);
    byName.out = env.root() + QStringLiteral("Rovescio.ito");
    byName.columns.phraseColumnName = QStringLiteral("espanol");
    byName.columns.translationColumnName = QStringLiteral("Italiano");
    ImportWordList(byName);
    EXPECT_EQ(subjectPhrases(byName.out)[1].phrase, QStringLiteral("la casa"));
    EXPECT_EQ(subjectPhrases(byName.out)[0].translation, QStringLiteral("il libro"));
}

TEST_F(DeckImportTest, DamagedRecordingIsSpokenAndSaidSo) {
    fixture::Package p;
    p.layout = fixture::PackageLayout::Anki21;
    p.notes = {{{"sole [sound:sole.mp3]", "sol"}, {}}};
    p.media = {{"sole.mp3", QByteArray("ID3 not really a recording")}};
    const QString file = env.root() + QStringLiteral("Sole.apkg");
    fixture::WritePackage(file, p);
    const ImportReport report = ImportWordList(options(file));
    EXPECT_EQ(report.recorded, 1);
    EXPECT_TRUE(report.problems.isEmpty());
    ASSERT_EQ(report.unreadableRecordings.size(), 1);
    EXPECT_TRUE(report.unreadableRecordings[0].startsWith(
        QLatin1String("note 1: the recording 'sole.mp3' cannot be played")))
        << report.unreadableRecordings[0].toStdString();
    EXPECT_EQ(subjectPhrases(options(file).out)[0].wave, spoken({}, {}));
}

TEST_F(DeckImportTest, VocabularyFileTakesTheLearnedLanguageAndItsSounds) {
    const Tone acqua{Encoding::OggVorbis, 44100, 1, 0.8, 520, 0.1};
    QDir(env.root()).mkpath(QStringLiteral("parole/suoni"));
    QFile sound(env.root() + QStringLiteral("parole/suoni/acqua.ogg"));
    ASSERT_TRUE(sound.open(QIODevice::WriteOnly));
    sound.write(fixture::EncodedTone(acqua));
    sound.close();
    const QString file = env.root() + QStringLiteral("parole/Parole.kvtml");
    QFile kvtml(file);
    ASSERT_TRUE(kvtml.open(QIODevice::WriteOnly));
    kvtml.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" "http://edu.kde.org/kvtml/kvtml2.dtd">
<kvtml version="2.0">
  <information>
    <generator>a teacher's editor</generator>
    <title>Parole</title>
  </information>
  <identifiers>
    <identifier id="0">
      <name>Español</name>
      <locale>es</locale>
    </identifier>
    <identifier id="1">
      <name>Italiano</name>
      <locale>it</locale>
    </identifier>
  </identifiers>
  <entries>
    <entry id="0">
      <translation id="0"><text>el agua</text></translation>
      <translation id="1"><text>l'acqua</text><sound>suoni/acqua.ogg</sound></translation>
    </entry>
    <entry id="1">
      <translation id="0"><text>el vino &amp; el pan</text></translation>
      <translation id="1"><text>il vino e il pane</text></translation>
    </entry>
  </entries>
  <lessons>
    <container>
      <name>Bevande</name>
      <entry id="0"/>
      <entry id="1"/>
    </container>
  </lessons>
</kvtml>
)");
    kvtml.close();

    const ImportReport report = ImportWordList(options(file));
    EXPECT_EQ(report.ownRecordings, 1);
    EXPECT_EQ(report.recorded, 1);
    EXPECT_EQ(report.decks, QStringList{QStringLiteral("Bevande")});
    const QVector<Phrase> rows = subjectPhrases(options(file).out);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].phrase, QStringLiteral("l'acqua"));
    EXPECT_EQ(rows[0].translation, QStringLiteral("el agua"));
    EXPECT_EQ(rows[1].phrase, QStringLiteral("il vino e il pane"));
    EXPECT_EQ(rows[1].translation, QStringLiteral("el vino & el pan"));
    expectOwnRecording(rows[0].wave, acqua);
    EXPECT_EQ(rows[1].wave, spoken({}, {}));
}
