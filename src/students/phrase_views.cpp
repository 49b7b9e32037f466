#include "students/phrase_views.h"

#include "frame/captions.h"
#include "frame/program.h"
#include "platform/platform_language.h"

#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <tuple>

namespace phraseViews {

namespace {

int percentOf(double share) {
    return int(std::lround(share * 100.0));
}

bool worse(const PhraseRow &a, const PhraseRow &b) {
    if (a.meanRetrievability != b.meanRetrievability)
        return a.meanRetrievability < b.meanRetrievability;
    if (a.rightFirstShare != b.rightFirstShare)
        return a.rightFirstShare < b.rightFirstShare;
    if (a.lapses != b.lapses)
        return a.lapses > b.lapses;
    return std::tie(a.source.file, a.source.phraseNo) < std::tie(b.source.file, b.source.phraseNo);
}

QString answersText(const PhraseSchedule &s) {
    QStringList grades;
    for (const fsrs::Review &review : s.history.reviews)
        grades << QString::number(review.grade);
    return grades.join(QLatin1Char(' '));
}

QString dueText(const PhraseSchedule &s, const scores::DateForms &forms) {
    return s.due.isValid() ? forms.locale.toString(s.due, forms.date) : QString();
}

QString decimalComma(QString number) {
    return number.replace(QLatin1Char('.'), QLatin1Char(','));
}

// A share as a number of the export: 0.6667.
QString shareNumber(double share, scores::CsvForm form) {
    const QString text = QString::number(share, 'f', 4);
    return form == scores::CsvForm::Spreadsheet ? decimalComma(text) : text;
}

} // namespace

QVector<PhraseRow> By_Phrase(const QVector<PhraseSchedule> &schedule) {
    struct Key {
        QString file;
        int phraseNo;
        bool operator<(const Key &o) const {
            return std::tie(file, phraseNo) < std::tie(o.file, o.phraseNo);
        }
    };
    struct Collected {
        PhraseRow row;
        QDate textsFrom; // the last review of the student whose texts it shows
    };
    std::map<Key, Collected> byPhrase;
    for (const PhraseSchedule &s : schedule) {
        if (s.state.reviews == 0)
            continue;
        Collected &c = byPhrase[Key{s.history.source.file, s.history.source.phraseNo}];
        PhraseRow &row = c.row;
        if (row.students.isEmpty() || s.state.lastReview > c.textsFrom) {
            row.source = s.history.source;
            row.phrase = s.history.phrase;
            row.translation = s.history.translation;
            row.translation2 = s.history.translation2;
            c.textsFrom = s.state.lastReview;
        }
        // The history is oldest first: its first review is the first answer.
        if (s.history.reviews.first().grade != fsrs::Again)
            ++row.rightFirst;
        row.lapses += s.state.lapses;
        row.meanRetrievability += s.retrievability;
        row.students << s;
    }
    QVector<PhraseRow> rows;
    rows.reserve(qsizetype(byPhrase.size()));
    for (auto &[key, c] : byPhrase) {
        PhraseRow &row = c.row;
        const double students = double(row.students.size());
        row.rightFirstShare = row.rightFirst / students;
        row.meanRetrievability /= students;
        std::stable_sort(row.students.begin(), row.students.end(),
                         [](const PhraseSchedule &a, const PhraseSchedule &b) {
                             return a.history.student < b.history.student;
                         });
        rows << std::move(row);
    }
    std::sort(rows.begin(), rows.end(), worse);
    return rows;
}

QVector<PhraseRow> Worst_Phrases(const QVector<PhraseRow> &rows, int most,
                                 const QString &sourceFile) {
    QVector<PhraseRow> worst;
    for (const PhraseRow &row : rows) {
        if (int(worst.size()) >= most)
            break;
        if (sourceFile.isEmpty() || row.source.file.compare(sourceFile, Qt::CaseInsensitive) == 0)
            worst << row;
    }
    return worst;
}

subjectData::Phrase Source_Phrase(const PhraseRow &row) {
    subjectData::Phrase phrase;
    phrase.sourceFile = row.source.file;
    phrase.number = row.source.phraseNo;
    phrase.phrase = row.phrase;
    phrase.translation = row.translation;
    phrase.translation2 = row.translation2;
    return phrase;
}

QStringList Source_Files(const QVector<PhraseRow> &rows) {
    QStringList files;
    for (const PhraseRow &row : rows)
        if (!files.contains(row.source.file, Qt::CaseInsensitive))
            files << row.source.file;
    return files;
}

PhraseView Read_Phrase_View(const QString &usersPath, const QDate &at,
                            const fsrs::Parameters &parameters) {
    const studyResults::Histories histories = studyResults::Read_Histories(usersPath);
    PhraseView view;
    view.phrases = By_Phrase(studyResults::Schedule(histories.phrases, at, parameters));
    view.unmatched = histories.unmatched;
    return view;
}

void Move_Next_Reviews(PhraseView &view, const fsrs::Parameters &parameters) {
    for (PhraseRow &row : view.phrases)
        for (PhraseSchedule &student : row.students)
            student.due = fsrs::Due_Date(student.state, parameters);
}

QString Percent_Text(double share) {
    return QString::number(percentOf(share)) + QStringLiteral(" %");
}

QString Node_Text(const PhraseRow &row, const Captions &captions) {
    return captions[caption::PhraseFigures]
        .arg(row.phrase)
        .arg(row.Students())
        .arg(Percent_Text(row.rightFirstShare), Percent_Text(row.meanRetrievability));
}

QStringList List_Headings(const Captions &captions) {
    return {captions[75], captions[caption::Answers], captions[caption::RecallToday],
            captions[caption::NextReview]};
}

QStringList Student_Row(const PhraseSchedule &schedule, const scores::DateForms &forms) {
    return {schedule.history.student, answersText(schedule), Percent_Text(schedule.retrievability),
            dueText(schedule, forms)};
}

QString Unmatched_Text(int unmatched, const Captions &captions) {
    return captions[caption::ResultsUnmatched].arg(unmatched);
}

QStringList Csv_Header(const Captions &captions) {
    return {captions[caption::SubjectFile], captions[caption::PhraseNumber],
            captions[109],                  captions[110],
            captions[50],                   captions[caption::RightFirstTime],
            captions[caption::RecallToday], captions[75],
            captions[caption::Answers],     captions[caption::RecallToday],
            captions[caption::NextReview]};
}

QStringList Csv_Record(const PhraseRow &row, const PhraseSchedule &student,
                       const scores::DateForms &forms, scores::CsvForm form) {
    return {row.source.file,
            QString::number(row.source.phraseNo),
            row.phrase,
            row.translation,
            QString::number(row.Students()),
            shareNumber(row.rightFirstShare, form),
            shareNumber(row.meanRetrievability, form),
            student.history.student,
            answersText(student),
            shareNumber(student.retrievability, form),
            dueText(student, forms)};
}

void Export_Csv(const PhraseView &view, const Captions &captions, const QString &path,
                const scores::DateForms &forms, scores::CsvForm form) {
    const char separator = scores::Csv_Separator(form);
    QSaveFile file(path);
    const auto fail = [&file] {
        throw std::runtime_error(platformLanguage::System_Reason(file).toStdString());
    };
    if (!file.open(QIODevice::WriteOnly))
        fail();
    const auto write = [&](const QByteArray &line) {
        if (file.write(line) != line.size())
            fail();
    };
    write(scores::Csv_Start(form) + scores::Csv_Line(Csv_Header(captions), separator));
    for (const PhraseRow &row : view.phrases)
        for (const PhraseSchedule &student : row.students)
            write(scores::Csv_Line(Csv_Record(row, student, forms, form), separator));
    if (!file.commit())
        fail();
}

} // namespace phraseViews
