// The activity catalogue: the activity programs of the Activities folder,
// each with the two button pictures (normal and highlighted) its descriptor
// holds in the learner's language, and where the buttons go in the panel.
// Works without a window; the main window's panel shows it.
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVector>

class FileListBox;
class Program;

struct Activity {
    QString fileName; // the program's file name in the Activities folder
    QImage normal;
    QImage highlighted;
    // What the button says, as its picture tells (the picture's "Title"
    // text); empty when the picture does not tell.
    QString shownText;
};

// The button panel's geometry in twips for a number of buttons.
struct ActivityLayout {
    QVector<QPoint> buttons; // top-left corner of each button in the panel
    int panelHeight = 0;     // picActs.Height
    bool scrollBar = false;  // VScroll shown
    int scrollMax = 0;       // VScroll.Max
    int moreActsTop = 0;     // lblMoreActs.Top
};

namespace activities {

inline constexpr int kButtonWidth = 2415; // twips
inline constexpr int kButtonHeight = 630;

// Points the file list at the Activities folder with this platform's rule
// for activity programs: "*.exe" on Windows; elsewhere every executable
// plain file except descriptors (a script with a "#!" line counts).
void Point_Activity_List(FileListBox &files, const QString &activitiesFolder);

// The descriptor of an activity program: its name up to the first "." plus
// ".cfg", in the same folder ("Memory.Game.exe" -> "Memory.cfg").
QString Descriptor_Path(const QString &activitiesFolder, const QString &programFileName);

// The picture column of the descriptor for a build: "bSpanish" for the
// builds whose learners speak Spanish, "bEnglish" for the others.
QString Picture_Column(const QString &languageCode);

// Reads the normal (first row) and highlighted (second row) pictures of a
// descriptor, and the text the normal picture carries as its "Title";
// throws (ado::Error or std::runtime_error) when the file, the table, a row
// or a picture cannot be read.
void Load_Activity_Images(Activity &activity, const QString &descriptorPath, const QString &column);

// The activity's name for screen readers and tooltips: what its button
// says, or the program's name when its picture does not tell.
QString Display_Name(const Activity &activity);

// Where count buttons go: two buttons in one column, three or more in two
// columns (even indexes left), rows 640 twips apart; a single button alone.
ActivityLayout Layout_Buttons(int count);

// Builds the catalogue from the listing: each program with its pictures, in
// the listing's order, with progress lines on the splash window. A program
// whose descriptor cannot be read is reported (captions 105 and 106 with
// its name) and left out; the others go on, so a button's index always
// names its own program and pictures.
QVector<Activity> Get_Activities(Program &program, const FileListBox &files);

} // namespace activities
