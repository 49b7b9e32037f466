// Reading the study file the shell writes, and refusing damaged ones with a
// sentence the learner can read.
#include "study_fixture.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using activity::LoadStudyFile;
using activity::StudyLoad;
using fixture::Phrase;
using fixture::StudyFolder;

TEST(StudyFile, ReadsEveryLineOfTheShellsFormat) {
    StudyFolder study;
    const QVector<Phrase> phrases{
        {QStringLiteral("Buongiorno"), QStringLiteral("Buenos días"), QString()},
        // Nothing is escaped: quotes inside a value belong to it.
        {QStringLiteral("Dice \"ciao\""), QStringLiteral("Dice \"hola\""),
         QStringLiteral("Saluda")}};
    const QString name = study.write(phrases);

    const StudyLoad load = LoadStudyFile(name, study.folder());
    ASSERT_TRUE(load.ok()) << load.error.toStdString();
    const activity::StudyFile &f = load.file;
    EXPECT_EQ(f.path, study.folder() + name);
    EXPECT_EQ(f.shellProcess, 4242);
    EXPECT_EQ(f.languageCode, "tvxito");
    EXPECT_EQ(f.productTitle, "Tolvanex Italiano");
    EXPECT_EQ(f.learnerLanguage, "Spanish");
    EXPECT_EQ(f.targetLanguage, "Italian");
    EXPECT_EQ(f.studentName, QStringLiteral("Ana Pérez"));
    EXPECT_EQ(f.subjectTitle, "La comida");
    EXPECT_EQ(f.databasePath, study.databasePath());
    EXPECT_EQ(f.formatVersion, 1);
    ASSERT_EQ(f.phrases.size(), 2);
    EXPECT_EQ(f.phrases[1].phrase, "Dice \"ciao\"");
    EXPECT_EQ(f.phrases[1].translation, "Dice \"hola\"");
    EXPECT_EQ(f.phrases[1].translation2, "Saluda");
    EXPECT_EQ(f.phrases[0].translation2, "");
    EXPECT_EQ(f.phrases[0].soundFile, study.folder() + "~tvx42421.wav");
    EXPECT_TRUE(load.texts.isSpanish());

    // A full path on the command line works from any working folder.
    const StudyLoad byPath = LoadStudyFile(study.folder() + name, QDir::rootPath());
    ASSERT_TRUE(byPath.ok()) << byPath.error.toStdString();
    EXPECT_EQ(byPath.file.phrases.size(), 2);
}

// Each damaged file is named in the learner's language with what is wrong.
TEST(StudyFile, DamagedFilesAreRefusedWithAClearSentence) {
    StudyFolder study;
    const QStringList good = study.lines(fixture::numbered(2));
    struct Case {
        const char *what;
        QStringList lines;
        const char *expected;
    };
    QStringList cut = good.mid(0, 20);
    QStringList tooMany = good;
    tooMany[7] = QStringLiteral("11");
    QStringList unquoted = good;
    unquoted[16] = QStringLiteral("hola");
    QStringList noSound = good;
    noSound[22] = QStringLiteral("\"%1gone.wav\"").arg(study.folder());
    QStringList noDatabase = good;
    noDatabase[8] = study.folder() + QStringLiteral("Missing.dat");
    QStringList englishCut = good.mid(0, 9);
    englishCut[3] = QStringLiteral("English");
    const Case cases[] = {
        {"lines missing", cut, "está incompleto: tiene 20 líneas y necesita 23"},
        {"too many phrases", tooMany, "La línea 8 del archivo de estudio"},
        {"unquoted value", unquoted, "La línea 17 del archivo de estudio"},
        {"missing sound", noSound, "gone.wav de la frase 2 no existe"},
        {"missing database", noDatabase, "Missing.dat no existe"},
        {"English learner", englishCut, "is incomplete: it has 9 lines, but it needs 15"},
    };
    for (const Case &c : cases) {
        const StudyLoad load = LoadStudyFile(study.write(c.lines), study.folder());
        EXPECT_FALSE(load.ok()) << c.what;
        EXPECT_TRUE(load.error.contains(QString::fromUtf8(c.expected)))
            << c.what << ": " << load.error.toStdString();
        EXPECT_TRUE(load.error.contains(QStringLiteral("~tvx4242.txt")) ||
                    load.error.contains(QStringLiteral(".wav")) ||
                    load.error.contains(QStringLiteral(".dat")))
            << c.what << " does not name the file";
    }

    // Without line 4 nothing tells the learner's language: English.
    const StudyLoad missing = LoadStudyFile(QStringLiteral("~tvx1.txt"), study.folder());
    EXPECT_TRUE(missing.error.contains(QStringLiteral("cannot be read")))
        << missing.error.toStdString();
    const StudyLoad none = LoadStudyFile(QString(), study.folder());
    EXPECT_TRUE(none.error.startsWith(QStringLiteral("No study file was given")));
#ifndef Q_OS_WIN
    // A file in another encoding than UTF-8 is not taken for a study file.
    writeFile(study.folder() + QStringLiteral("latin1.txt"),
              good.join(QStringLiteral("\r\n")).toLatin1());
    const StudyLoad latin1 = LoadStudyFile(QStringLiteral("latin1.txt"), study.folder());
    EXPECT_TRUE(latin1.error.contains(QStringLiteral("is not a text file of the expected kind")))
        << latin1.error.toStdString();
#endif
}
