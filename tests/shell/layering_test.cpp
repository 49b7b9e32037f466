// The program's folders stand in layers, and includes run one way only:
// each folder of src/ may include its own files and those of the layers
// below it. Folders of one layer (the subsystems) never include each other:
// they meet through the subject data below them, the kernel's interfaces or
// the main window's wiring above them. The widget-free library includes no
// widgets. The README's layout names every folder.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>

#include <gtest/gtest.h>

#include <map>

namespace {

// Lowest first. A folder missing here has no place yet: the test says so.
const std::map<QString, int> &layers() {
    static const std::map<QString, int> order{
        {QStringLiteral("platform"), 0},     {QStringLiteral("frame"), 1},
        {QStringLiteral("subject_data"), 2}, {QStringLiteral("study_data"), 2},
        {QStringLiteral("class_data"), 2},
        {QStringLiteral("subjects"), 3},
        {QStringLiteral("students"), 3},     {QStringLiteral("activities"), 3},
        {QStringLiteral("virtual"), 3},      {QStringLiteral("shell"), 4},
        {QStringLiteral("main.cpp"), 5},
    };
    return order;
}

QString sourceDir() {
    return QStringLiteral(TVX_SOURCE_DIR "/src/");
}

QString readAll(const QString &path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// Every source file of src/, as its path below src/.
QStringList sourceFiles() {
    QStringList files;
    QDirIterator it(sourceDir(), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(sourceDir()).relativeFilePath(it.next());
    files.sort();
    return files;
}

// The includes of a file: quoted ones and angle-bracket ones.
QStringList includes(const QString &text, QChar open) {
    static const QRegularExpression quoted(QStringLiteral(R"re(^\s*#\s*include\s+"([^"]+)")re"),
                                           QRegularExpression::MultilineOption);
    static const QRegularExpression angled(QStringLiteral(R"re(^\s*#\s*include\s+<([^>]+)>)re"),
                                           QRegularExpression::MultilineOption);
    QStringList found;
    auto it = (open == u'"' ? quoted : angled).globalMatch(text);
    while (it.hasNext())
        found << it.next().captured(1);
    return found;
}

// The first part of a path below src/: its folder (or the file itself).
QString folderOf(const QString &path) {
    return path.section(QLatin1Char('/'), 0, 0);
}

// The files a library target lists in src/CMakeLists.txt.
QSet<QString> libraryFiles(const QString &target) {
    const QString cmake = readAll(sourceDir() + QStringLiteral("CMakeLists.txt"));
    const qsizetype start = cmake.indexOf(QStringLiteral("add_library(") + target + u' ');
    EXPECT_GE(start, 0) << target.toStdString();
    const qsizetype end = cmake.indexOf(u')', start);
    QSet<QString> files;
    for (const QString &word :
         cmake.mid(start, end - start)
             .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        if (word.endsWith(QLatin1String(".cpp")) || word.endsWith(QLatin1String(".h")))
            files << word;
    return files;
}

TEST(Layering, IncludesRunDownTheLayersOnly) {
    const QStringList files = sourceFiles();
    ASSERT_GT(files.size(), 50);
    QStringList wrong;
    for (const QString &file : files) {
        const QString from = folderOf(file);
        const auto fromLayer = layers().find(from);
        if (fromLayer == layers().end()) {
            wrong << file + QStringLiteral(": its folder has no layer");
            continue;
        }
        for (const QString &included : includes(readAll(sourceDir() + file), u'"')) {
            const QString to = folderOf(included);
            const auto toLayer = layers().find(to);
            // Generated files (ui_, moc_) and files beside the includer.
            if (toLayer == layers().end() || to == from)
                continue;
            if (toLayer->second >= fromLayer->second)
                wrong << file + QStringLiteral(" includes ") + included;
        }
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(u'\n').toStdString();
}

TEST(Layering, TheWidgetFreeLibraryIncludesNoWidgets) {
    const QSet<QString> core = libraryFiles(QStringLiteral("tvx_core"));
    ASSERT_GT(core.size(), 30);
    const QDir widgets(QStringLiteral(TVX_QT_WIDGETS_DIR));
    ASSERT_TRUE(widgets.exists(QStringLiteral("QWidget"))) << TVX_QT_WIDGETS_DIR;
    QStringList wrong;
    for (const QString &file : core) {
        if (!QFile::exists(sourceDir() + file))
            continue; // a CMake variable or a file made by the build
        const QString text = readAll(sourceDir() + file);
        for (const QString &included : includes(text, u'<'))
            if (included.startsWith(QLatin1String("QtWidgets")) || widgets.exists(included))
                wrong << file + QStringLiteral(" includes <") + included + u'>';
        // Our own headers that come with widgets live in the other libraries.
        for (const QString &included : includes(text, u'"'))
            if (layers().contains(folderOf(included)) && !core.contains(included))
                wrong << file + QStringLiteral(" includes ") + included;
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(u'\n').toStdString();
}

TEST(Layering, TheReadmeLayoutNamesEveryFolder) {
    const QString readme = readAll(QStringLiteral(TVX_SOURCE_DIR "/README.md"));
    const qsizetype layout = readme.indexOf(QStringLiteral("## Layout"));
    ASSERT_GE(layout, 0);
    const QString section =
        readme.mid(layout, readme.indexOf(QStringLiteral("\n## "), layout + 1) - layout);
    QStringList missing;
    for (const QString &folder : QDir(sourceDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!layers().contains(folder))
            missing << folder + QStringLiteral(" (and it has no layer)");
        if (!section.contains(QStringLiteral("src/") + folder + u'/'))
            missing << folder;
    }
    EXPECT_TRUE(missing.isEmpty()) << missing.join(u'\n').toStdString();
}

} // namespace
