#include "activity_texts.h"

#include <cstddef>
#include <iterator>

namespace activity {

namespace {

struct Entry {
    Text text;
    const char *english;
    const char *spanish;
};

// clang-format off
constexpr Entry kTexts[] = {
    {Text::FlashCardsName, "Flash cards", "Tarjetas"},
    {Text::ListeningQuizName, "Listening quiz", "Escuche y elija"},
    {Text::ListeningQuizScoreName, "Listening quiz", "Escucha y elige"},

    {Text::NoStudyFile,
     "No study file was given. Start this activity from Tolvanex: choose a subject and press the "
     "activity's button.",
     "No se ha indicado ningún archivo de estudio. Abra esta actividad desde Tolvanex: elija un "
     "tema y pulse el botón de la actividad."},
    {Text::CannotReadStudyFile,
     "The study file %1 cannot be read: %2",
     "No se puede leer el archivo de estudio %1: %2"},
    {Text::StudyFileNotText,
     "The study file %1 is not a text file of the expected kind.",
     "El archivo de estudio %1 no es un archivo de texto del tipo esperado."},
    {Text::StudyFileTooShort,
     "The study file %1 is incomplete: it has %2 lines, but it needs %3.",
     "El archivo de estudio %1 está incompleto: tiene %2 líneas y necesita %3."},
    {Text::BadNumberLine,
     "Line %2 of the study file %1 should hold a whole number, but it reads \"%3\".",
     "La línea %2 del archivo de estudio %1 debería contener un número entero, pero dice \"%3\"."},
    {Text::BadPhraseCount,
     "Line 8 of the study file %1 should give the number of phrases, from 1 to 10, but it reads "
     "\"%2\".",
     "La línea 8 del archivo de estudio %1 debería dar el número de frases, de 1 a 10, pero dice "
     "\"%2\"."},
    {Text::NotQuoted,
     "Line %2 of the study file %1 should hold a value between double quotes, but it reads "
     "\"%3\".",
     "La línea %2 del archivo de estudio %1 debería contener un valor entre comillas dobles, pero "
     "dice \"%3\"."},
    {Text::NoDatabaseNamed,
     "The study file %1 does not name the student database (line 9).",
     "El archivo de estudio %1 no indica la base de datos de alumnos (línea 9)."},
    {Text::DatabaseMissing,
     "The student database %1 does not exist.",
     "La base de datos de alumnos %1 no existe."},
    {Text::SoundMissing,
     "The sound file %1 of phrase %2 does not exist.",
     "El archivo de sonido %1 de la frase %2 no existe."},
    {Text::SoundNotPlayable,
     "The recording of \"%1\" is damaged: this phrase is studied without sound.",
     "La grabación de \"%1\" está dañada: esta frase se estudia sin sonido."},
    {Text::SoundProblemName, "Sound problem", "Problema de sonido"},
    {Text::ScoreSaved, "Your score has been saved.", "Su puntuación se ha guardado."},
    {Text::ScoreNotSaved,
     "Your score could not be saved: %1",
     "No se ha podido guardar su puntuación: %1"},
    {Text::ScoreSaving, "Saving your score…", "Guardando su puntuación…"},
    {Text::ScoreWaiting,
     "Another program is using the student database. Waiting for it to save your score…",
     "Otro programa está usando la base de datos de alumnos. Esperando para guardar su "
     "puntuación…"},
    {Text::ScoreKeptBusy,
     "Another program is still using the student database, so your score is not saved yet. It "
     "is kept and will be saved the next time you start this activity or Tolvanex. Press Retry "
     "to try again now.",
     "Otro programa sigue usando la base de datos de alumnos, así que su puntuación aún no se ha "
     "guardado. Se conserva y se guardará la próxima vez que abra esta actividad o Tolvanex. "
     "Pulse Reintentar para probar de nuevo ahora."},
    {Text::ScoreKept,
     "Your score could not be saved yet: %1\nIt is kept and will be saved the next time you "
     "start this activity or Tolvanex. Press Retry to try again now.",
     "Su puntuación aún no se ha podido guardar: %1\nSe conserva y se guardará la próxima vez "
     "que abra esta actividad o Tolvanex. Pulse Reintentar para probar de nuevo ahora."},
    {Text::ScoreNotKept,
     "It could not be kept for later either: the folder %1 cannot be written. Press Retry to "
     "try again.",
     "Tampoco se ha podido conservar para más tarde: no se puede escribir en la carpeta %1. "
     "Pulse Reintentar para probar de nuevo."},

    {Text::ListenAgain, "Listen again (R)", "Escuchar otra vez (R)"},
    {Text::ListenAgainName, "Listen again", "Escuchar otra vez"},
    {Text::Close, "Close (Enter)", "Cerrar (Intro)"},
    {Text::CloseName, "Close", "Cerrar"},
    {Text::ResultName, "Result", "Resultado"},
    {Text::SavedName, "Saving the score", "Guardado de la puntuación"},
    {Text::Retry, "&Retry", "&Reintentar"},
    {Text::RetryName, "Retry saving the score", "Reintentar guardar la puntuación"},
    {Text::StopQuestion,
     "Stop this game now, without a score?",
     "¿Desea terminar ahora esta partida, sin puntuación?"},
    {Text::Yes, "&Yes", "&Sí"},
    {Text::YesName, "Yes, stop without a score", "Sí, terminar sin puntuación"},
    {Text::No, "&No", "&No"},
    {Text::NoName, "No, go on playing", "No, seguir jugando"},

    {Text::CardOfCards, "Card %1 of %2", "Tarjeta %1 de %2"},
    {Text::CardsStillToLearn, "Cards still to learn: %1", "Tarjetas por aprender: %1"},
    {Text::ShowTranslation, "Show the translation (Space)", "Mostrar la traducción (Espacio)"},
    {Text::ShowTranslationName, "Show the translation", "Mostrar la traducción"},
    {Text::KnewIt, "1  I knew it", "1  Me la sabía"},
    {Text::KnewItName, "I knew it", "Me la sabía"},
    {Text::DidNotKnow, "2  I did not know it", "2  No me la sabía"},
    {Text::DidNotKnowName, "I did not know it", "No me la sabía"},
    {Text::PhraseName, "Phrase", "Frase"},
    {Text::TranslationName, "Translation", "Traducción"},
    {Text::Translation2Name, "Second translation", "Segunda traducción"},
    {Text::ProgressName, "Progress", "Progreso"},
    {Text::FlashCardsResult,
     "You knew %1 of %2 cards at the first try.\nScore: %3%",
     "Se sabía %1 de %2 tarjetas a la primera.\nPuntuación: %3 %"},

    {Text::QuestionOfQuestions, "Question %1 of %2", "Pregunta %1 de %2"},
    {Text::WhichTranslation,
     "Which is the translation of what you hear?",
     "¿Cuál es la traducción de lo que oye?"},
    {Text::ChoiceName, "Answer %1: %2", "Respuesta %1: %2"},
    {Text::Correct, "Correct!", "¡Correcto!"},
    {Text::Wrong, "Not quite. The right answer is: %1", "No es así. La respuesta correcta es: %1"},
    {Text::Next, "Next (Enter)", "Siguiente (Intro)"},
    {Text::NextName, "Next question", "Pregunta siguiente"},
    {Text::HeardPhraseName, "Phrase heard", "Frase escuchada"},
    {Text::FeedbackName, "Answer check", "Corrección"},
    {Text::QuizResult, "%1 of %2 answers correct.", "%1 de %2 respuestas correctas."},

    // Dictation.
    {Text::DictationName, "Dictation", "Dictado"},
    {Text::PhraseOfPhrases, "Phrase %1 of %2", "Frase %1 de %2"},
    {Text::WriteWhatYouHear, "Write what you hear.", "Escriba lo que oye."},
    {Text::DictationListen, "Listen again (Ctrl+R)", "Escuchar otra vez (Ctrl+R)"},
    {Text::ListenSlowly, "Slowly (Ctrl+Shift+R)", "Despacio (Ctrl+Mayús+R)"},
    {Text::ListenSlowlyName, "Listen slowly", "Escuchar despacio"},
    {Text::AnswerName, "Your answer", "Su respuesta"},
    {Text::CheckAnswer, "Check (Enter)", "Comprobar (Intro)"},
    {Text::CheckAnswerName, "Check the answer", "Comprobar la respuesta"},
    {Text::AccentLetterName, "Type %1 (Alt+%2)", "Escribir %1 (Alt+%2)"},
    {Text::AccentLettersHint,
     "Letters with accents: the buttons, or Alt with the letter (press it again for the next "
     "accent).",
     "Letras con acento: los botones, o Alt con la letra (púlsela otra vez para el acento "
     "siguiente)."},
    {Text::GradeExact, "Exactly right!", "¡Exacto!"},
    {Text::GradeAccents,
     "Right, apart from accents or punctuation.",
     "Bien, salvo acentos o puntuación."},
    {Text::GradeOneWord, "Nearly: one word is off.", "Casi: falla una palabra."},
    {Text::GradeMore,
     "Not quite: more than one word is off.",
     "No del todo: falla más de una palabra."},
    {Text::ThePhrase, "The phrase:", "La frase:"},
    {Text::YouWrote, "You wrote:", "Usted escribió:"},
    {Text::MarkedPhraseName,
     "The phrase, with the differences marked",
     "La frase, con las diferencias marcadas"},
    {Text::MarkedAnswerName,
     "What you wrote, with the differences marked",
     "Lo que escribió, con las diferencias marcadas"},
    {Text::MarksLegend,
     "Red: a wrong, missing or extra letter. Orange: an accent. Grey: punctuation.",
     "Rojo: una letra equivocada, que falta o que sobra. Naranja: un acento. Gris: la "
     "puntuación."},
    {Text::NextPhraseName, "Next phrase", "Frase siguiente"},
    {Text::DictationResult,
     "You wrote %1 of %2 phrases right, %3 of them exactly.\nScore: %4%",
     "Escribió bien %1 de %2 frases, %3 de ellas exactamente.\nPuntuación: %4 %"},

    // Matching pairs.
    {Text::MatchingPairsName, "Matching pairs", "Parejas"},
    {Text::PairsProgress,
     "Pairs found: %1 of %2    Tries: %3",
     "Parejas encontradas: %1 de %2    Intentos: %3"},
    {Text::PairsHint,
     "Find each phrase's translation. Arrows choose a card, Enter or Space turns it, R plays the "
     "last phrase again.",
     "Busque la traducción de cada frase. Las flechas eligen una tarjeta, Intro o Espacio la "
     "destapa, R repite la última frase."},
    {Text::CardsName, "Cards", "Tarjetas"},
    {Text::CardFaceDown, "Card %1, face down", "Tarjeta %1, boca abajo"},
    {Text::CardPhrase, "Card %1, phrase: %2", "Tarjeta %1, frase: %2"},
    {Text::CardTranslation, "Card %1, translation: %2", "Tarjeta %1, traducción: %2"},
    {Text::CardFound, "Card %1, pair found: %2", "Tarjeta %1, pareja encontrada: %2"},
    {Text::PairFound, "A pair! %1 = %2", "¡Pareja! %1 = %2"},
    {Text::NotAPair,
     "Not a pair. Turn another card and they go face down again.",
     "No son pareja. Al volver otra tarjeta, estas vuelven boca abajo."},
    {Text::PairsResult,
     "Pairs found: %1. Tries: %2.\nScore: %3%",
     "Parejas encontradas: %1. Intentos: %2.\nPuntuación: %3 %"},

    // Speaking.
    {Text::SpeakingName, "Speaking", "Escuche y repita"},
    {Text::TryOfTries, "Try %1 of %2", "Intento %1 de %2"},
    {Text::SpeakingPrompt,
     "Listen to the model, then press Space and say the phrase.",
     "Escuche el modelo; luego pulse Espacio y diga la frase."},
    {Text::SpeakNow,
     "Speak now: %1 s left. Space or Enter stops.",
     "Hable ahora: quedan %1 s. Espacio o Intro termina."},
    {Text::Comparing,
     "Comparing your recording with the model…",
     "Comparando su grabación con el modelo…"},
    {Text::ClosenessFigure, "Closeness to the model: %1 of 100", "Parecido con el modelo: %1 de 100"},
    {Text::BestFigure, "Your best: %1 of 100", "Su mejor cifra: %1 de 100"},
    {Text::VeryClose, "Very close", "Muy parecido"},
    {Text::CloseBand, "Close", "Parecido"},
    {Text::KeepPractising, "Keep practising", "Siga practicando"},
    {Text::NothingHeard,
     "Nothing was heard. Speak close to the microphone and try again.",
     "No se oyó nada. Hable cerca del micrófono y vuelva a intentarlo."},
    {Text::TooNoisy,
     "Too noisy: try again closer to the microphone.",
     "Hay demasiado ruido: vuelva a intentarlo más cerca del micrófono."},
    {Text::TryAgainOrGoOn,
     "Space: try again (%1 left).  Enter: go on.",
     "Espacio: intentarlo otra vez (quedan %1).  Intro: seguir."},
    {Text::GoOn, "Enter: go on.", "Intro: seguir."},
    {Text::NotComparable,
     "Without its recording this phrase cannot be compared: say it aloud, then press Enter to go "
     "on.",
     "Sin su grabación esta frase no se puede comparar: dígala en voz alta y pulse Intro para "
     "seguir."},
    {Text::Record, "Record (Space)", "Grabar (Espacio)"},
    {Text::RecordName, "Record yourself saying the phrase", "Grabarse diciendo la frase"},
    {Text::StopRecording, "Stop (Space)", "Parar (Espacio)"},
    {Text::StopRecordingName, "Stop recording", "Parar la grabación"},
    {Text::HearMine, "Hear mine (I)", "Escuchar la mía (I)"},
    {Text::HearMineName, "Hear my last recording", "Escuchar mi última grabación"},
    {Text::NextPhrase, "Go on (Enter)", "Seguir (Intro)"},
    {Text::LevelName, "Microphone level", "Nivel del micrófono"},
    {Text::StatusName, "What to do now", "Qué hacer ahora"},
    {Text::ClosenessName, "Closeness to the model", "Parecido con el modelo"},
    {Text::BandName, "Closeness in words", "Parecido en palabras"},
    {Text::TriesName, "Tries", "Intentos"},
    {Text::BestName, "Your best take", "Su mejor intento"},
    {Text::NoMicrophone,
     "No microphone can be used, so this activity cannot hear you. Connect one, or allow this "
     "program to use it, and start the activity again. Nothing has been saved.",
     "No se puede usar ningún micrófono, así que esta actividad no puede oírle. Conecte uno, o "
     "permita que este programa lo use, y vuelva a abrir la actividad. No se ha guardado nada."},
    {Text::NoModels,
     "None of these phrases' recordings can be played, so there is nothing to compare your "
     "voice with. Nothing has been saved.",
     "No se puede reproducir ninguna grabación de estas frases, así que no hay nada con lo que "
     "comparar su voz. No se ha guardado nada."},
    {Text::NoMicrophoneName, "Why the activity cannot start", "Por qué no puede empezar la actividad"},
    {Text::SpeakingResult,
     "Mean closeness to the models: %1 of 100.\nVery close: %2   Close: %3   Keep practising: %4",
     "Parecido medio con los modelos: %1 de 100.\nMuy parecido: %2   Parecido: %3   Siga "
     "practicando: %4"},
};
// clang-format on

constexpr bool tableIsComplete() {
    if (std::size(kTexts) != static_cast<std::size_t>(Text::Count))
        return false;
    for (std::size_t i = 0; i < std::size(kTexts); ++i) {
        if (static_cast<std::size_t>(kTexts[i].text) != i)
            return false;
        if (!kTexts[i].english || !kTexts[i].english[0] || !kTexts[i].spanish ||
            !kTexts[i].spanish[0])
            return false;
    }
    return true;
}
static_assert(tableIsComplete(), "every text needs its English and Spanish form, in enum order");

} // namespace

ActivityTexts::ActivityTexts(const QString &learnerLanguage)
    : m_spanish(learnerLanguage.trimmed().compare(QLatin1String("Spanish"), Qt::CaseInsensitive) ==
                0) {}

QString ActivityTexts::operator()(Text text) const {
    const Entry &entry = kTexts[static_cast<std::size_t>(text)];
    return QString::fromUtf8(m_spanish ? entry.spanish : entry.english);
}

} // namespace activity
