#include "activities/activity_catalogue.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/file_list_box.h"
#include "platform/host.h"

#include <QFileInfo>

#include <stdexcept>

namespace activities {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
constexpr int kColumnStep = 2550; // twips between the two columns
constexpr int kRowStep = 640;     // twips between rows
constexpr int kFirstTop = 45;
constexpr int kVisibleHeight = 5000;
constexpr int kHolderHeight = 5175; // PicActsHolder.Height
constexpr int kMoreActsHeight = 300;

// Throws for a picture that cannot be read; Get_Activities reports the
// activity in the user's words.
QImage pictureOf(ado::Recordset &rs, const QString &column) {
    const QByteArray bytes = rs.Fields(column).GetChunk(rs.Fields(column).ActualSize());
    QImage picture;
    if (!picture.loadFromData(bytes))
        throw std::runtime_error("the picture in " + column.toStdString() + " cannot be read");
    return picture;
}
} // namespace

void Point_Activity_List(FileListBox &files, const QString &activitiesFolder) {
#ifdef Q_OS_WIN
    files.SetPattern(QStringLiteral("*.exe"));
#else
    files.SetPattern(QStringLiteral("*"));
    files.SetExecutablesOnly(true, QStringLiteral("*.cfg"));
#endif
    files.SetPath(activitiesFolder);
}

QString Descriptor_Path(const QString &activitiesFolder, const QString &programFileName) {
    return activitiesFolder + programFileName.section(QLatin1Char('.'), 0, 0) +
           QStringLiteral(".cfg");
}

QString Picture_Column(const QString &languageCode) {
    static const QStringList spanishSpeakers{QStringLiteral("tvxeng"), QStringLiteral("tvxfra"),
                                             QStringLiteral("tvxale"), QStringLiteral("tvxito")};
    return spanishSpeakers.contains(languageCode) ? QStringLiteral("bSpanish")
                                                  : QStringLiteral("bEnglish");
}

void Load_Activity_Images(Activity &activity, const QString &descriptorPath,
                          const QString &column) {
    ado::Connection connection;
    connection.Open(modMain::Get_Descriptor_Connection_String(descriptorPath));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblImages"), connection);
    rs.MoveFirst();
    // Read from memory: a temporary picture file would be shared by two
    // shells starting at once.
    activity.normal = pictureOf(rs, column);
    rs.MoveNext();
    activity.highlighted = pictureOf(rs, column);
    // A picture shows its words to the eye only; a PNG file may also carry
    // them as text.
    activity.shownText = activity.normal.text(QStringLiteral("Title")).trimmed();
}

QString Display_Name(const Activity &activity) {
    if (!activity.shownText.isEmpty())
        return activity.shownText;
    return QFileInfo(activity.fileName).completeBaseName();
}

ActivityLayout Layout_Buttons(int count) {
    ActivityLayout layout;
    if (count <= 0)
        return layout;
    const int highest = count - 1;
    const int columns = highest <= 1 ? 1 : 2;
    layout.buttons.resize(count);
    layout.buttons[0] = QPoint(0, kFirstTop);
    for (int i = 1; i < count; ++i) {
        const QPoint above = layout.buttons[i - columns < 0 ? 0 : i - columns];
        if (i < columns)
            layout.buttons[i] = QPoint(layout.buttons[i - 1].x() + kColumnStep, kFirstTop);
        else
            layout.buttons[i] = QPoint(above.x(), above.y() + kRowStep);
    }
    const QPoint last = layout.buttons[highest];
    layout.moreActsTop = last.y() + 800;
    // Every button and the link stay reachable: the scroll bar comes as soon
    // as the link would reach past the holder's bottom, and the panel is tall
    // enough to scroll the link into view.
    const int linkBottom = layout.moreActsTop + kMoreActsHeight;
    layout.scrollBar = linkBottom > kHolderHeight;
    layout.panelHeight = kButtonHeight + last.y() + 500;
    if (layout.scrollBar)
        layout.panelHeight = qMax(layout.panelHeight, linkBottom + kFirstTop);
    layout.scrollMax = layout.scrollBar ? qMax(0, layout.panelHeight - kVisibleHeight) : 0;
    return layout;
}

QVector<Activity> Get_Activities(Program &program, const FileListBox &files) {
    QVector<Activity> catalogue;
    ShellWindows &windows = program.windows();
    modMain::EventPump events(program.host());
    const QString column = Picture_Column(program.identity.languageCode);
    for (int t = 0; t < files.ListCount(); ++t) {
        const QString fileName = files.List(t);
        windows.SplashPrepend(modMain::Safe_Caption(program, 23) + QLatin1Char(' ') + fileName +
                              kCrLf);
        events.Pump();
        Activity activity;
        activity.fileName = fileName;
        try {
            Load_Activity_Images(
                activity, Descriptor_Path(program.folders.activitiesFolder, fileName), column);
            catalogue << activity;
        } catch (const std::exception &) {
            // One broken activity must not take the others, or the program,
            // with it.
            program.host().MsgBox(program.captions[105] + kCrLf + fileName + kCrLf + kCrLf +
                                      program.captions[106],
                                  vb::vbCritical, program.identity.productTitle);
        }
        windows.SplashPrepend(modMain::Safe_Caption(program, 8) + kCrLf);
        events.Pump();
    }
    return catalogue;
}

} // namespace activities
