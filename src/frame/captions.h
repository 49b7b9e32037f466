// The numbered texts of the template database in the learner's language.
// Numbers 0 to n + 1 exist (0 and n + 1 empty); asking above n + 1 is an error.
#pragma once

#include <QString>
#include <QVector>

class Captions {
public:
    // Sizes the list for numbers 0 .. count + 1, all empty.
    void Resize(int count);
    void Set(int number, const QString &text);
    // Throws std::out_of_range above count + 1 (or below 0).
    const QString &operator[](int number) const;
    QString at(int number) const { return (*this)[number]; }
    int Count() const { return m_texts.isEmpty() ? 0 : m_texts.size() - 2; }
    bool IsEmpty() const { return m_texts.isEmpty(); }

private:
    QVector<QString> m_texts;
};

// Numbers of the program's own texts for cases the template's first 150
// captions leave open; each reads the same in every build of a learner language.
namespace caption {
inline constexpr int ConnectingTo = 151;
inline constexpr int UnusableFileNames = 152;
inline constexpr int PhrasesWithoutSource = 153;  // %1: how many
inline constexpr int UnnamedVirtualSubject = 154; // %1: folder file
inline constexpr int NoPhrases = 155;
inline constexpr int NoSubjectSelected = 156;
inline constexpr int FileNameTooShort = 157;
inline constexpr int NoSuchTagField = 158;  // %1: node, %2: field
inline constexpr int EmptyField = 159;      // %1: field name
inline constexpr int TemplateMissing = 160; // %1: path
inline constexpr int TemplateNotCopied = 161;
inline constexpr int CopyNotFound = 162;
inline constexpr int StudentGone = 163;
inline constexpr int FolderNotCreated = 164;
inline constexpr int FileNotCopied = 165; // %1: source, %2: target
inline constexpr int FolderNotFile = 166;
inline constexpr int LegalNotice = 167; // the splash window's copyright line
inline constexpr int NoPhrasesToStudy = 168;
inline constexpr int StudyFileNotWritten = 169; // followed by the file
inline constexpr int ActivityNotStarted = 170;  // followed by the program
inline constexpr int TextWithStarOrBreak = 171;
inline constexpr int PhraseNotSaved = 172;  // followed by the reason
inline constexpr int PhraseGone = 173;      // %1: subject file
inline constexpr int FileNotWritten = 174;  // %1: file, %2: reason
inline constexpr int NoRecordedSound = 175; // %1: phrase
// The progress viewer's export, chart and clearing; 176 to 179 are left
// empty.
inline constexpr int ExportScores = 180;     // the export button
inline constexpr int CsvFilter = 181;        // the save dialog's file filter
inline constexpr int ExportTitle = 182;      // the save dialog's title
inline constexpr int ExportNotWritten = 183; // followed by the file and the reason
inline constexpr int ScoreChart = 184;       // names of the chart, the list and the tree
inline constexpr int ScoreList = 185;
inline constexpr int ScoreTree = 186;
inline constexpr int UsersNotDeleted = 187;   // %1: the student database
inline constexpr int WeeklyUpdateCheck = 188; // the progress viewer's switch
// The virtual subject editor.
inline constexpr int CopyPasteHint = 200;
inline constexpr int NothingCopied = 201;
inline constexpr int UnusableFolderName = 202;
inline constexpr int FolderFileExists = 203;  // %1: file
inline constexpr int CopiedKeyLimit = 204;    // %1: folder
inline constexpr int FileNotDeleted = 205;    // %1: file, %2: reason
inline constexpr int FileNotRenamed = 206;    // %1: file, %2: new name, %3: reason
inline constexpr int SourceSubjectGone = 207; // %1: installed subject file
// Importing a word list.
inline constexpr int ImportWordList = 240;
inline constexpr int ImportTitle = 241; // the window title, the button's tooltip
inline constexpr int ChooseWordList = 242;
inline constexpr int WordListFilter = 243; // the open dialog's filter
inline constexpr int ImportSubjectName = 244;
inline constexpr int ColumnPhrase = 245;
inline constexpr int ColumnTranslation = 246;
inline constexpr int ColumnTranslation2 = 247;
inline constexpr int ImportButton = 248;
inline constexpr int ImportCancel = 249;
inline constexpr int ProblemLine = 250; // %1: line, %2: problem
inline constexpr int ProblemEmptyPhrase = 251;
inline constexpr int ProblemStar = 252;      // %1: text
inline constexpr int ProblemLineBreak = 253; // %1: text
inline constexpr int ProblemDuplicate = 254; // %1: phrase, %2: line
inline constexpr int ProblemTooMany = 255;   // %1: limit, %2: rows
inline constexpr int ProblemUnclosedQuote = 256;
inline constexpr int ProblemNoRows = 257;
inline constexpr int ProblemUnreadable = 258; // %1: file, %2: reason
inline constexpr int PhrasesReady = 259;      // %1: count
inline constexpr int LeaveOutProblemRows = 260;
inline constexpr int RecordingPhrases = 261;      // %1: done, %2: all
inline constexpr int ImportedSubjectExists = 262; // %1: name
inline constexpr int UnusableSubjectName = 263;
inline constexpr int RecordingFailed = 264;  // %1: reason
inline constexpr int ImportNotWritten = 265; // %1: file, %2: reason
inline constexpr int ImportProblems = 266;   // the problem list's name
inline constexpr int ImportPreview = 267;    // the preview table's name
// Hearing slowly, recording and comparing.
inline constexpr int HearSlowly = 280;
inline constexpr int RecordAndCompare = 281;
inline constexpr int NoMicrophone = 282;
inline constexpr int SpeakNow = 283;  // %1: seconds left
inline constexpr int Closeness = 284; // %1: 0..100
inline constexpr int ClosenessMeaning = 285;
inline constexpr int PlayModel = 286;
inline constexpr int PlayMine = 287;
inline constexpr int PlayBoth = 288;
inline constexpr int RecordAgain = 289;
inline constexpr int CompareTitle = 290;
inline constexpr int ModelLabel = 291;
inline constexpr int MineLabel = 292;
inline constexpr int NothingHeard = 293;
inline constexpr int TooNoisy = 294;
inline constexpr int VeryClose = 295; // the bands of the closeness figure
inline constexpr int CloseBand = 296;
inline constexpr int KeepPractising = 297;
inline constexpr int Comparing = 298;
inline constexpr int LastFigures = 299; // %1: the figures, latest last
// Telling what happened and asking before it happens.
inline constexpr int DeleteFolderQuestion = 300; // %1: folder
inline constexpr int FirstTenOfPhrases = 301;    // %1: phrases in the subject
inline constexpr int SoundNotPlayable = 302;     // %1: phrase
inline constexpr int NoBrowser = 303;            // %1: address
inline constexpr int NoActivities = 304;         // %1: the Activities folder
// Where the program keeps its files: the temporary folder, a full disk, a
// student database that may only be read, a student's name.
inline constexpr int TemporaryFolderUnusable = 320; // %1: folder, %2: reason
inline constexpr int ProgramDiskFull = 321;         // %1: the program folder
inline constexpr int UsersReadOnly = 322;           // %1: the student database
inline constexpr int NameWithLineBreak = 323;
// What the class remembers of each phrase: the progress viewer's view by
// phrase, its list and export, and the desired retention.
inline constexpr int ByPhrase = 330;
inline constexpr int ResultsUnmatched = 331; // %1: how many
inline constexpr int PhraseFigures = 332;    // %1 phrase, %2 students, %3 right first, %4 recall
inline constexpr int Answers = 333;
inline constexpr int RecallToday = 334;
inline constexpr int NextReview = 335;
inline constexpr int DesiredRetention = 336;
inline constexpr int SubjectFile = 337;
inline constexpr int PhraseNumber = 338;
inline constexpr int RightFirstTime = 339;
// What a learner reviews: the tree's review nodes, and the virtual subject an
// administrator makes of trouble phrases.
inline constexpr int ReviewToday = 340;
inline constexpr int DifficultPhrases = 341;
inline constexpr int NextReviewOn = 342; // %1: the day
inline constexpr int NothingToReviewYet = 343;
inline constexpr int NoDifficultPhrases = 344;
inline constexpr int ReviewsUnreadable = 345; // %1: why
inline constexpr int MakeVirtualSubject = 346;
inline constexpr int VirtualSubjectMade = 347; // %1 subject, %2 phrases, %3 folder
inline constexpr int PhrasesToPractise = 348;
inline constexpr int VirtualFolderLabel = 349;
inline constexpr int PhrasesOf = 350;
inline constexpr int WholeClass = 351;
inline constexpr int VirtualSubjectName = 352;
inline constexpr int ChooseAPhrase = 353;
// The highest number the program reads: a template with fewer texts is not ours.
inline constexpr int Last = 353;
} // namespace caption
