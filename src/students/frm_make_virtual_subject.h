// The progress viewer's "make a virtual subject of these": the administrator
// picks up to ten of the worst phrases of one subject (or of the whole class),
// a virtual folder (an existing one, or a new name) and the subject's name,
// and the virtual store makes the subject with copies of those phrases, for
// every student to study from the tree.
#pragma once

#include "students/phrase_views.h"

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class Program;
namespace subjectData {
class VirtualSubjectMaker;
}

class frmMakeVirtualSubject : public QDialog {
    Q_OBJECT
public:
    // rows: the view by phrase, worst first.
    frmMakeVirtualSubject(Program &program, subjectData::VirtualSubjectMaker &maker,
                          QVector<phraseViews::PhraseRow> rows, QWidget *parent = nullptr);

    // Lists the worst phrases of the source chosen in cboSource, all ticked.
    void cboSource_Click();
    // Makes the subject; the window stays open, saying why, when it cannot.
    void cmdMake_Click();

    QLabel *lblSource;
    QComboBox *cboSource; // the whole class first, then each subject file
    QLabel *lblPhrases;
    QListWidget *lstPhrases;
    QLabel *lblFolder;
    QComboBox *cboFolder; // editable: a new name makes a new folder
    QLabel *lblName;
    QLineEdit *txtName;
    QDialogButtonBox *buttons;

private:
    // The phrases ticked in the list, in its order.
    QVector<subjectData::Phrase> tickedPhrases() const;
    QString sourceTitle(int choice) const;

    Program &m_program;
    subjectData::VirtualSubjectMaker &m_maker;
    QVector<phraseViews::PhraseRow> m_rows;
    QStringList m_files;
    QVector<phraseViews::PhraseRow> m_listed;
};
