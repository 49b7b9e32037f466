#include "platform/file_list_box.h"
#include "platform/image_list.h"
#include "platform/twips.h"
#include "support/test_env.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <stdexcept>

#include <gtest/gtest.h>

namespace {

QStringList listed(const FileListBox &box) {
    QStringList names;
    for (int i = 0; i < box.ListCount(); ++i)
        names << box.List(i);
    return names;
}

QPixmap filled(QColor colour, QSize size = QSize(16, 16)) {
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return pixmap;
}

} // namespace

TEST(Twips, FifteenTwipsMakeAPixelRoundedToTheNearest) {
    static_assert(TwipsToPixels(1440) == 96);
    EXPECT_EQ(TwipsToPixels(0), 0);
    EXPECT_EQ(TwipsToPixels(7), 0);
    EXPECT_EQ(TwipsToPixels(8), 1);
    EXPECT_EQ(TwipsToPixels(22), 1);
    EXPECT_EQ(TwipsToPixels(23), 2);
    EXPECT_EQ(TwipsToPixels(-8), -1);
    EXPECT_EQ(TwipsToPixels(-7), 0);
    EXPECT_EQ(PixelsToTwips(96), 1440);
    for (int pixels = -50; pixels <= 50; ++pixels)
        EXPECT_EQ(TwipsToPixels(PixelsToTwips(pixels)), pixels);

    QWidget parent;
    QWidget child(&parent);
    PlaceTwips(child, 120, 2400, 1500, 495);
    EXPECT_EQ(child.geometry(), QRect(8, 160, 100, 33));
}

TEST(ImageList, PicturesAreNumberedFromOneInOrderOfAdding) {
    ImageList list(QSize(16, 16));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Add(filled(Qt::red)), 1);
    EXPECT_EQ(list.Add(QIcon(filled(Qt::blue, QSize(32, 32)))), 2);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.ListImages(1).toImage().pixelColor(0, 0), QColor(Qt::red));
    // An icon is drawn at the list's size.
    EXPECT_EQ(list.ListImages(2).size(), QSize(16, 16));
    EXPECT_EQ(list.ListImages(2).toImage().pixelColor(5, 5), QColor(Qt::blue));
    EXPECT_FALSE(list.Icon(2).isNull());

    EXPECT_THROW(list.ListImages(0), std::out_of_range);
    EXPECT_THROW(list.ListImages(3), std::out_of_range);
    EXPECT_THROW(list.Icon(3), std::out_of_range);
    list.Clear();
    EXPECT_THROW(list.ListImages(1), std::out_of_range);
}

TEST(FileListBox, ListsMatchingPlainFilesSortedWithoutRegardToCase) {
    TestEnv env;
    const QString dir = env.root() + "Soggetti/";
    for (const char *name : {"family.ito", "Animals.ito", "colours.ITO", "My_Words.vito",
                             ".hidden.ito", "readme.txt", "ito", "b.ito.bak", "x.ito "})
        writeFile(dir + name, "x");
    QDir().mkpath(dir + "folder.ito");

    FileListBox box;
    box.SetPattern("*.ito");
    box.SetPath(dir);
    EXPECT_EQ(listed(box), QStringList({"Animals.ito", "colours.ITO", "family.ito"}));

    box.SetPattern("*.vito");
    EXPECT_EQ(listed(box), QStringList({"My_Words.vito"}));

    box.SetPattern("*.ito;*.TXT");
    EXPECT_EQ(listed(box), QStringList({"Animals.ito", "colours.ITO", "family.ito", "readme.txt"}));

    box.SetPattern("??????.ito");
    EXPECT_EQ(listed(box), QStringList({"family.ito"}));

    box.SetPattern("*.*");
    EXPECT_EQ(listed(box), QStringList({"Animals.ito", "b.ito.bak", "colours.ITO", "family.ito",
                                        "ito", "My_Words.vito", "readme.txt", "x.ito "}));
    EXPECT_EQ(box.ListCount(), 8);
}

TEST(FileListBox, RefreshSeesNewFilesAndAMissingFolderIsEmpty) {
    TestEnv env;
    const QString dir = env.root() + "Attività";
    FileListBox box;
    box.SetPattern("*.exe");
    box.SetPath(dir);
    EXPECT_EQ(box.ListCount(), 0);
    EXPECT_THROW(box.List(0), std::out_of_range);

    writeFile(dir + "/Memory.exe", "x");
    EXPECT_EQ(box.ListCount(), 0) << "the list is read when asked to";
    box.Refresh();
    EXPECT_EQ(listed(box), QStringList({"Memory.exe"}));
    EXPECT_THROW(box.List(1), std::out_of_range);
    EXPECT_THROW(box.List(-1), std::out_of_range);

    QFile::remove(dir + "/Memory.exe");
    box.Refresh();
    EXPECT_EQ(box.ListCount(), 0);
}

TEST(FileListBox, PatternMatchingIsWildcardOnTheWholeName) {
    EXPECT_TRUE(FileListBox::Matches("a.ito", "*.ito"));
    EXPECT_TRUE(FileListBox::Matches("A.ITO", "*.ito"));
    EXPECT_FALSE(FileListBox::Matches("a.vito", "*.ito"));
    EXPECT_FALSE(FileListBox::Matches("a.itox", "*.ito"));
    EXPECT_FALSE(FileListBox::Matches("aito", "*.ito"));
    EXPECT_TRUE(FileListBox::Matches("a.vito", "*.vito"));
    EXPECT_TRUE(FileListBox::Matches("a+b (1).ito", "*.ito"));
    EXPECT_FALSE(FileListBox::Matches("a.ito", "[a].ito"));
    EXPECT_TRUE(FileListBox::Matches("[a].ito", "[a].ito"));
    EXPECT_TRUE(FileListBox::Matches("a.spa", " *.ito ; *.spa "));
    EXPECT_TRUE(FileListBox::Matches("noext", "*.*"));
    EXPECT_TRUE(FileListBox::Matches("anything", ""));
}
