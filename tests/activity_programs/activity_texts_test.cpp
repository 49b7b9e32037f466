// The activities speak to a Spanish-speaking learner as the shell does: with
// the formal "usted".
#include "common/activity_texts.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using activity::ActivityTexts;
using activity::Text;

TEST(ActivityTexts, SpanishAddressesTheLearnerAsUsted) {
    const ActivityTexts spanish(QStringLiteral("Spanish"));
    // Words of the familiar "tú" that a sentence to the learner would use.
    const QSet<QString> familiar{"tu",     "tus",    "tú",      "te",      "ti",      "contigo",
                                 "tuyo",   "tuya",   "oyes",    "sabías",  "sabes",   "elige",
                                 "pulsa",  "abre",   "escucha", "vuelve",  "intenta", "quieres",
                                 "puedes", "tienes", "has",     "eres",    "estás",   "mira",
                                 "haz",    "pon",    "prueba",  "escribe", "cierra",  "deseas"};
    static const QRegularExpression word(QStringLiteral("[^\\w]+"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    for (int i = 0; i < int(Text::Count); ++i) {
        // A name kept for stored scores, never shown as a sentence.
        if (Text(i) == Text::ListeningQuizScoreName)
            continue;
        const QString text = spanish(Text(i));
        for (const QString &w : text.toLower().remove(QLatin1Char('&')).split(word))
            EXPECT_FALSE(familiar.contains(w))
                << "text " << i << " says \"" << w.toStdString() << "\": " << text.toStdString();
    }
    EXPECT_EQ(spanish(Text::ListeningQuizName), QStringLiteral("Escuche y elija"));
    EXPECT_EQ(spanish(Text::ScoreSaved), QStringLiteral("Su puntuación se ha guardado."));
    EXPECT_TRUE(spanish(Text::NoStudyFile).contains(QStringLiteral("Abra esta actividad")));
    EXPECT_TRUE(spanish(Text::NoStudyFile).contains(QStringLiteral("elija un tema y pulse")));
    EXPECT_EQ(spanish(Text::WhichTranslation),
              QStringLiteral("¿Cuál es la traducción de lo que oye?"));
    EXPECT_TRUE(spanish(Text::FlashCardsResult).startsWith(QStringLiteral("Se sabía")));
}
