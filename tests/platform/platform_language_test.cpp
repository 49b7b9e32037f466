#include "platform/ado.h"
#include "platform/platform_language.h"
#include "support/test_env.h"

#include <QFile>
#include <QRegularExpression>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

// Every test leaves the application in English, as it found it.
class PlatformLanguageTest : public ::testing::Test {
protected:
    ~PlatformLanguageTest() override { platformLanguage::Use_Learner_Language("English"); }

    QString openFailure(const QString &file) {
        ado::Connection cn;
        try {
            cn.Open(ado::ConnectionString(file, QStringLiteral("pw")));
        } catch (const ado::Error &e) {
            return e.description();
        }
        return {};
    }

    TestEnv env;
};

TEST_F(PlatformLanguageTest, DatabaseErrorsSpeakTheLearnersLanguage) {
    const QString junk = env.root() + QStringLiteral("letter.ito");
    writeFile(junk, QByteArray("Dear friend, this is a letter and no database. ").repeated(40));

    platformLanguage::Use_Learner_Language("Spanish");
    EXPECT_EQ(openFailure(junk),
              QStringLiteral("El archivo '%1' no es un archivo de base de datos.").arg(junk));
    platformLanguage::Use_Learner_Language("Spanish"); // twice changes nothing
    EXPECT_EQ(openFailure(env.root() + QStringLiteral("none.ito")),
              QStringLiteral("No se encuentra el archivo '%1'.").arg(env.root() + "none.ito"));

    platformLanguage::Use_Learner_Language("English");
    EXPECT_EQ(openFailure(junk), QStringLiteral("The file '%1' is not a database file.").arg(junk));
    platformLanguage::Use_Learner_Language("Spanish");
    EXPECT_TRUE(openFailure(junk).startsWith(QLatin1String("El archivo")));
}

// The texts marked in the source must all be in the compiled Spanish file,
// so a text added without refreshing the translations is caught here.
TEST_F(PlatformLanguageTest, EveryDatabaseTextHasASpanishTranslation) {
    QFile source(QStringLiteral(TVX_SOURCE_DIR "/src/platform/ado.cpp"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QString code = QString::fromUtf8(source.readAll());
    // translate("ado", "piece" "piece" ...), the pieces as C string literals.
    static const QRegularExpression call(
        QStringLiteral(R"re(translate\(\s*"ado"\s*,\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\))re"));
    static const QRegularExpression piece(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    QTranslator spanish;
    ASSERT_TRUE(spanish.load(QStringLiteral(":/i18n/tolvanex_es.qm")));
    int texts = 0;
    for (auto calls = call.globalMatch(code); calls.hasNext();) {
        QString text;
        for (auto pieces = piece.globalMatch(calls.next().captured(1)); pieces.hasNext();)
            text += pieces.next().captured(1);
        text.replace(QLatin1String("\\\""), QLatin1String("\""))
            .replace(QLatin1String("\\\\"), QLatin1String("\\"));
        const QString translated = spanish.translate("ado", text.toUtf8().constData());
        EXPECT_FALSE(translated.isEmpty()) << text.toStdString();
        EXPECT_EQ(translated.count(QLatin1Char('%')), text.count(QLatin1Char('%')))
            << text.toStdString();
        ++texts;
    }
    EXPECT_GE(texts, 20);
}

} // namespace
