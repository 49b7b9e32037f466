// Making a virtual subject of chosen installed phrases from outside the
// virtual subject editor: the progress viewer turns a class's trouble phrases
// into a subject every student finds in the tree. The virtual store answers
// it; the viewer asks through this interface, without knowing the store.
#pragma once

#include "subject_data/phrase.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace subjectData {

class VirtualSubjectMaker {
public:
    virtual ~VirtualSubjectMaker() = default;
    // The virtual folders there are, by their display names, sorted.
    virtual QStringList Folder_Names() const = 0;
    // Empty when displayName can name a folder (an existing one, or a new
    // one to be made); otherwise why not.
    virtual QString Folder_Name_Problem(const QString &displayName) const = 0;
    // A new subject named subjectName in the folder (made first when there
    // is none of that name) with copies of phrases (at most ten, in their
    // order). Throws with a description; a failure leaves no subject.
    virtual void Make_Subject(const QString &folder, const QString &subjectName,
                              const QVector<Phrase> &phrases) = 0;
};

} // namespace subjectData
