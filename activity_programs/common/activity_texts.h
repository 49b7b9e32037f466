// The activity programs' own texts in the two languages a learner can speak.
// The study file names the learner's language (line 4); every text a learner
// reads comes from here in that language, so a Spanish-speaking learner never
// meets an English sentence. Each text is written in both languages side by
// side, and the compiler refuses a table with a text missing.
#pragma once

#include <QString>

namespace activity {

enum class Text {
    // Activity names: window titles, tblscores.tActivity, button pictures.
    FlashCardsName,
    ListeningQuizName,
    // The quiz's name in tblscores.tActivity: the one its earlier versions
    // wrote, so that a learner's scores stay one activity in the viewer.
    ListeningQuizScoreName,

    // Study file and database problems; %1 is the file concerned.
    NoStudyFile,
    CannotReadStudyFile, // %1 file, %2 reason
    StudyFileNotText,
    StudyFileTooShort, // %1 file, %2 lines found, %3 lines needed
    BadNumberLine,     // %1 file, %2 line number, %3 line text
    BadPhraseCount,    // %1 file, %2 line text
    NotQuoted,         // %1 file, %2 line number, %3 line text
    NoDatabaseNamed,
    DatabaseMissing,
    SoundMissing,     // %1 sound file, %2 phrase number
    SoundNotPlayable, // %1 phrase
    SoundProblemName,
    ScoreSaved,
    ScoreNotSaved, // %1 reason
    ScoreSaving,
    ScoreWaiting,
    ScoreKeptBusy,
    ScoreKept,    // %1 reason
    ScoreNotKept, // %1 folder

    // Shared by both games. Accessible names (…Name) say what a control
    // does, without its key.
    ListenAgain,
    ListenAgainName,
    Close,
    CloseName,
    ResultName,
    SavedName,
    Retry,
    RetryName,
    StopQuestion,
    Yes,
    YesName,
    No,
    NoName,

    // Flash cards.
    CardOfCards,       // %1 card, %2 cards
    CardsStillToLearn, // %1
    ShowTranslation,
    ShowTranslationName,
    KnewIt,
    KnewItName,
    DidNotKnow,
    DidNotKnowName,
    PhraseName,
    TranslationName,
    Translation2Name,
    ProgressName,
    FlashCardsResult, // %1 known at the first try, %2 cards, %3 percentage

    // Listening quiz.
    QuestionOfQuestions, // %1, %2
    WhichTranslation,
    ChoiceName, // %1 number, %2 text
    Correct,
    Wrong, // %1 the right answer
    Next,
    NextName,
    HeardPhraseName,
    FeedbackName,
    QuizResult, // %1 correct, %2 questions

    // Dictation.
    DictationName,
    PhraseOfPhrases, // %1, %2
    WriteWhatYouHear,
    DictationListen,
    ListenSlowly,
    ListenSlowlyName,
    AnswerName,
    CheckAnswer,
    CheckAnswerName,
    AccentLetterName, // %1 the letter, %2 its key
    AccentLettersHint,
    GradeExact,
    GradeAccents,
    GradeOneWord,
    GradeMore,
    ThePhrase,
    YouWrote,
    MarkedPhraseName,
    MarkedAnswerName,
    MarksLegend,
    NextPhraseName,
    DictationResult, // %1 right, %2 phrases, %3 exactly, %4 percentage

    // Matching pairs.
    MatchingPairsName,
    PairsProgress, // %1 found, %2 pairs, %3 tries
    PairsHint,
    CardsName,
    CardFaceDown,    // %1 card number
    CardPhrase,      // %1 card number, %2 text
    CardTranslation, // %1 card number, %2 text
    CardFound,       // %1 card number, %2 text
    PairFound,       // %1 phrase, %2 translation
    NotAPair,
    PairsResult, // %1 pairs, %2 tries, %3 percentage

    // Speaking (PhraseOfPhrases and NextPhraseName above serve it too).
    SpeakingName,
    TryOfTries,      // %1 try, %2 tries
    SpeakingPrompt,
    SpeakNow, // %1 seconds left
    Comparing,
    ClosenessFigure, // %1 of 100
    BestFigure,      // %1 of 100
    VeryClose,
    CloseBand,
    KeepPractising,
    NothingHeard,
    TooNoisy,
    TryAgainOrGoOn, // %1 tries left
    GoOn,
    NotComparable,
    Record,
    RecordName,
    StopRecording,
    StopRecordingName,
    HearMine,
    HearMineName,
    NextPhrase,
    LevelName,
    StatusName,
    ClosenessName,
    BandName,
    TriesName,
    BestName,
    NoMicrophone,
    NoModels,
    NoMicrophoneName,
    SpeakingResult, // %1 mean figure, %2 very close, %3 close, %4 keep practising

    Count
};

class ActivityTexts {
public:
    // learnerLanguage as in line 4 of the study file: "Spanish" (in any
    // letter case) picks Spanish, anything else English.
    explicit ActivityTexts(const QString &learnerLanguage = QString());

    bool isSpanish() const { return m_spanish; }
    QString operator()(Text text) const;

private:
    bool m_spanish = false;
};

} // namespace activity
