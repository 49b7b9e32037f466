#include "dictation_check.h"

#include "study_data/fsrs.h"

#include <QSet>

#include <algorithm>
#include <limits>

namespace activity {

namespace {

enum class Kind { Space, Punct, Letter };

// One character as a reader sees it: a code point with the combining marks
// that follow it (composed form leaves some, e.g. Hebrew or Arabic vowels).
struct Unit {
    qsizetype start = 0;
    qsizetype length = 0;
    Kind kind = Kind::Letter;
    QString exact; // letter case folded; quotes and apostrophes of any shape alike
    QString base;  // the same without its marks
    int word = -1; // for letters: the word it belongs to, counted from 0
};

char32_t codePointAt(const QString &text, qsizetype at, qsizetype *length) {
    const QChar c = text[at];
    if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(c, text[at + 1]);
    }
    *length = 1;
    return c.unicode();
}

bool isMark(char32_t u) {
    const QChar::Category category = QChar::category(u);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
}

// The many shapes of a quote or an apostrophe are one sign: a keyboard
// types the straight ones.
QString foldQuotes(QString text) {
    for (QChar &c : text) {
        switch (c.unicode()) {
        case 0x2018:
        case 0x2019:
        case 0x201A:
        case 0x201B:
        case 0x02BC:
        case 0x00B4:
        case 0x0060:
            c = QLatin1Char('\'');
            break;
        case 0x201C:
        case 0x201D:
        case 0x201E:
        case 0x201F:
        case 0x00AB:
        case 0x00BB:
            c = QLatin1Char('"');
            break;
        default:
            break;
        }
    }
    return text;
}

QString withoutMarks(const QString &text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString bare;
    for (qsizetype i = 0; i < decomposed.size();) {
        qsizetype length = 0;
        const char32_t u = codePointAt(decomposed, i, &length);
        if (!isMark(u))
            bare += decomposed.mid(i, length);
        i += length;
    }
    return bare;
}

QVector<Unit> unitsOf(const QString &text) {
    QVector<Unit> units;
    int word = -1;
    bool inWord = false;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype length = 0;
        const char32_t u = codePointAt(text, i, &length);
        Unit unit;
        unit.start = i;
        qsizetype end = i + length;
        // A mark at the very start has nothing to sit on: it stands alone.
        while (end < text.size()) {
            qsizetype markLength = 0;
            if (!isMark(codePointAt(text, end, &markLength)))
                break;
            end += markLength;
        }
        unit.length = end - i;
        if (QChar::isSpace(u))
            unit.kind = Kind::Space;
        else if (QChar::isPunct(u))
            unit.kind = Kind::Punct;
        else
            unit.kind = Kind::Letter;
        const QString chars = text.mid(i, unit.length);
        unit.exact = foldQuotes(chars.toCaseFolded());
        unit.base = withoutMarks(chars).toCaseFolded();
        if (unit.base.isEmpty())
            unit.base = unit.exact;
        if (unit.kind == Kind::Letter) {
            if (!inWord)
                ++word;
            inWord = true;
            unit.word = word;
        } else {
            inWord = false;
        }
        units << unit;
        i = end;
    }
    return units;
}

// Costs of the alignment, in quarters of a wrong letter.
constexpr int kLetter = 4;
constexpr int kAccent = 2;
constexpr int kPunct = 1;
constexpr int kNever = 1000;

int substitution(const Unit &a, const Unit &b) {
    if (a.kind != b.kind)
        return kNever;
    if (a.exact == b.exact)
        return 0;
    if (a.kind == Kind::Punct)
        return kPunct;
    return a.base == b.base ? kAccent : kLetter;
}

int gap(const Unit &u) {
    return u.kind == Kind::Punct ? kPunct : kLetter;
}

struct Step {
    int phrase = -1; // index into the phrase's checked units, or -1
    int answer = -1; // index into the answer's checked units, or -1
};

// The cheapest way to turn the answer's units into the phrase's, step by
// step in reading order.
QVector<Step> align(const QVector<Unit> &p, const QVector<Unit> &a) {
    const qsizetype n = p.size();
    const qsizetype m = a.size();
    QVector<int> cost((n + 1) * (m + 1), 0);
    const auto at = [m](qsizetype i, qsizetype j) { return i * (m + 1) + j; };
    for (qsizetype i = 1; i <= n; ++i)
        cost[at(i, 0)] = cost[at(i - 1, 0)] + gap(p[i - 1]);
    for (qsizetype j = 1; j <= m; ++j)
        cost[at(0, j)] = cost[at(0, j - 1)] + gap(a[j - 1]);
    for (qsizetype i = 1; i <= n; ++i)
        for (qsizetype j = 1; j <= m; ++j)
            cost[at(i, j)] =
                std::min({cost[at(i - 1, j - 1)] + substitution(p[i - 1], a[j - 1]),
                          cost[at(i - 1, j)] + gap(p[i - 1]), cost[at(i, j - 1)] + gap(a[j - 1])});
    // Walking back, a gap is taken before a pairing that costs the same, so
    // that a word left out goes as a whole ("uno tres" for "uno dos tres"
    // leaves out "dos", not an "o" here and a "d" there).
    QVector<Step> steps;
    qsizetype i = n;
    qsizetype j = m;
    while (i > 0 || j > 0) {
        if (i > 0 && cost[at(i, j)] == cost[at(i - 1, j)] + gap(p[i - 1])) {
            steps << Step{int(i - 1), -1};
            --i;
        } else if (j > 0 && cost[at(i, j)] == cost[at(i, j - 1)] + gap(a[j - 1])) {
            steps << Step{-1, int(j - 1)};
            --j;
        } else {
            steps << Step{int(i - 1), int(j - 1)};
            --i;
            --j;
        }
    }
    std::reverse(steps.begin(), steps.end());
    return steps;
}

void markUnit(QVector<Mark> &marks, const Unit &unit, Mark mark) {
    for (qsizetype k = unit.start; k < unit.start + unit.length; ++k)
        marks[k] = mark;
}

// The checked units of a text: its letters and punctuation, spaces left out.
QVector<Unit> checked(const QVector<Unit> &units) {
    QVector<Unit> kept;
    for (const Unit &u : units)
        if (u.kind != Kind::Space)
            kept << u;
    return kept;
}

} // namespace

bool HasLetters(const QString &text) {
    for (const Unit &u : unitsOf(text.normalized(QString::NormalizationForm_C)))
        if (u.kind == Kind::Letter)
            return true;
    return false;
}

AnswerCheck CheckAnswer(const QString &phrase, const QString &answer) {
    AnswerCheck check;
    check.phrase = phrase.normalized(QString::NormalizationForm_C);
    check.answer = answer.normalized(QString::NormalizationForm_C);
    check.phraseMarks = QVector<Mark>(check.phrase.size(), Mark::Same);
    check.answerMarks = QVector<Mark>(check.answer.size(), Mark::Same);
    const QVector<Unit> p = checked(unitsOf(check.phrase));
    const QVector<Unit> a = checked(unitsOf(check.answer));
    const QVector<Step> steps = align(p, a);

    bool anyWrong = false;
    bool anySlip = false;
    int phraseLetters = 0;
    int lettersRight = 0; // the phrase's letters written, accent slips too
    QSet<int> phraseWordsOff;
    QSet<int> extraAnswerWords;
    for (const Unit &u : p)
        if (u.kind == Kind::Letter)
            ++phraseLetters;
    const auto pairedStep = [&steps, &p](qsizetype from, int direction) -> const Step * {
        for (qsizetype k = from + direction; k >= 0 && k < steps.size(); k += direction)
            if (steps[k].phrase >= 0 && steps[k].answer >= 0 &&
                p[steps[k].phrase].kind == Kind::Letter)
                return &steps[k];
        return nullptr;
    };
    for (qsizetype k = 0; k < steps.size(); ++k) {
        const Step &s = steps[k];
        if (s.phrase >= 0 && s.answer >= 0) {
            const Unit &pu = p[s.phrase];
            const Unit &au = a[s.answer];
            Mark mark = Mark::Same;
            if (pu.exact != au.exact)
                mark = pu.kind == Kind::Punct ? Mark::Punctuation
                       : pu.base == au.base   ? Mark::Accent
                                              : Mark::Wrong;
            markUnit(check.phraseMarks, pu, mark);
            markUnit(check.answerMarks, au, mark);
            if (pu.kind == Kind::Letter && mark != Mark::Wrong)
                ++lettersRight;
            if (mark == Mark::Wrong) {
                anyWrong = true;
                phraseWordsOff.insert(pu.word);
            } else if (mark != Mark::Same) {
                anySlip = true;
            }
        } else if (s.phrase >= 0) {
            const Unit &pu = p[s.phrase];
            if (pu.kind == Kind::Punct) {
                markUnit(check.phraseMarks, pu, Mark::Punctuation);
                anySlip = true;
            } else {
                markUnit(check.phraseMarks, pu, Mark::Wrong);
                anyWrong = true;
                phraseWordsOff.insert(pu.word);
            }
        } else {
            const Unit &au = a[s.answer];
            if (au.kind == Kind::Punct) {
                markUnit(check.answerMarks, au, Mark::Punctuation);
                anySlip = true;
                continue;
            }
            markUnit(check.answerMarks, au, Mark::Wrong);
            anyWrong = true;
            // An extra letter spoils the phrase's word it is written into
            // ("ciaoo"); written as a word of its own it is one word more.
            const Step *before = pairedStep(k, -1);
            const Step *after = pairedStep(k, +1);
            if (before && a[before->answer].word == au.word)
                phraseWordsOff.insert(p[before->phrase].word);
            else if (after && a[after->answer].word == au.word)
                phraseWordsOff.insert(p[after->phrase].word);
            else
                extraAnswerWords.insert(au.word);
        }
    }
    check.wordsOff = int(phraseWordsOff.size() + extraAnswerWords.size());

    const bool answerHasLetters =
        std::any_of(a.begin(), a.end(), [](const Unit &u) { return u.kind == Kind::Letter; });
    if (phraseLetters > 0 && !answerHasLetters)
        check.grade = fsrs::Again;
    else if (!anyWrong)
        check.grade = anySlip ? fsrs::Good : fsrs::Easy;
    else if (check.wordsOff == 1 && 2 * lettersRight >= phraseLetters)
        check.grade = fsrs::Hard;
    else
        check.grade = fsrs::Again;
    return check;
}

} // namespace activity
