// The student database Users.dat: one row per student in tblUsers (the scores
// in tblscores belong to the activities and the progress viewer). Every call
// opens its own connection and closes it before returning; failures throw
// std::exception whose what() is a sentence to show the user.
#pragma once

#include <QString>
#include <QVector>

#include <optional>

struct Student {
    qint64 id = 0;
    QString firstName;
    QString lastName;
    QString password; // empty when the student has none (Null or empty text)
    int icon = 0;     // icon face 1..40

    // "First Last", exactly as stored: the list text, the scores key and the
    // name handed to activities.
    QString DisplayName() const { return firstName + QLatin1Char(' ') + lastName; }
};

// What the profile editor writes.
struct StudentProfile {
    QString firstName;
    QString lastName;
    // No value leaves the field at the template's default (a new student
    // without a password).
    std::optional<QString> password;
    int icon = 1;
};

class Captions;

class StudentDatabase {
public:
    // texts: the captions its failure descriptions are written in.
    StudentDatabase(QString usersPath, const Captions &texts);

    const QString &Path() const { return m_path; }

    // Copies the blank template to the student database when it does not
    // exist yet, writable whatever the template's attributes. Returns true
    // when it made the copy. Throws when the copy cannot be made.
    bool Create_From_Template(const QString &templatePath) const;

    // Every student in the order the table returns them; the first one is the
    // administrator. Names come on one line (students::One_Line).
    QVector<Student> Students() const;

    // Adds a row and returns the key the database gave it.
    qint64 Add(const StudentProfile &profile) const;
    // Changes the row with this key; throws when it no longer exists.
    void Update(qint64 id, const StudentProfile &profile) const;

private:
    QString m_path;
    const Captions &m_texts;
};

namespace students {

// Login ignores case: a password typed in any mix of upper and lower case is
// accepted. A student without a password matches an empty box.
bool Password_Matches(const QString &stored, const QString &typed);

// True when one of the students already has this display name, compared
// without regard to case.
bool Is_Duplicate_Name(const QVector<Student> &students, const QString &displayName);

// Icon face n (1..40) in words, in the learner's language ("Face 12"): what
// screen readers say of a picture that shows none.
QString Face_Name(int face);
// A name keeps to one line: the study file hands it to activities on one,
// and the scores they record carry it so. True when text holds a line break.
bool Has_Line_Break(const QString &text);
// The text with a blank for each line break (CR LF, CR or LF), as the study
// file writes it: a name stored with one before it was refused reads as the
// activities recorded it.
QString One_Line(QString text);

} // namespace students
