#include "platform/registry.h"
#include "support/test_env.h"

#include <QByteArray>
#include <QSettings>
#include <QStringList>

#include <gtest/gtest.h>

using namespace modRegistry;

namespace {

const QString kRoot = QStringLiteral("HKEY_CURRENT_USER");
const QString kKey = QStringLiteral("Software\\Tolvanex\\tvxito");

// Another program's writer on the same store as the registry procedures.
QSettings otherWriter() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tolvanex"));
}

} // namespace

TEST(Registry, SavedValueReadsBackAndMissingValuesGiveTheDefault) {
    TestEnv env;
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "ProgramDir"), QString());
    EXPECT_TRUE(Get_String_Value(kRoot, kKey, "ProgramDir").isEmpty());
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "ProgramDir", "none"), "none");

    Save_String_Value(kRoot, kKey, "ProgramDir", "/opt/Tolvanex Italiano/");
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "ProgramDir", "none"), "/opt/Tolvanex Italiano/");
    // Another value of the same key and the same value of a missing key stay missing.
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "DateChecked", "none"), "none");
    EXPECT_EQ(Get_String_Value(kRoot, "Software\\Tolvanex\\tvxger", "ProgramDir", "none"), "none");

    // An empty text is a value, not a missing one.
    Save_String_Value(kRoot, kKey, "DateChecked", "");
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "DateChecked", "none"), "");

    Save_String_Value(kRoot, kKey, "ProgramDir", "/elsewhere/");
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "ProgramDir"), "/elsewhere/");
}

TEST(Registry, ValuesLiveInTheUsersSettingsStoreAndSurviveANewReader) {
    TestEnv env;
    Save_String_Value(kRoot, kKey, "VirtualSubjectsDir", "/data/Soggetti virtuali/");
    QSettings file(env.root() + "config/Tolvanex.conf", QSettings::IniFormat);
    EXPECT_EQ(file.value("Software/Tolvanex/tvxito/VirtualSubjectsDir").toString(),
              "/data/Soggetti virtuali/");
}

TEST(Registry, TextEndsAtItsFirstNul) {
    TestEnv env;
    otherWriter().setValue("Software/Tolvanex/tvxito/ProgramDir",
                           QString::fromUtf8("/opt/tvx/\0\0\0   garbage", 24));
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "ProgramDir", "none"), "/opt/tvx/");

    Save_String_Value(kRoot, kKey, "DateChecked", QString::fromUtf8("\0padding", 8));
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "DateChecked", "none"), "");
}

TEST(Registry, ValueOfAnotherTypeGivesTheDefault) {
    TestEnv env;
    {
        QSettings other = otherWriter();
        other.setValue("Software/Tolvanex/tvxito/ProgramDir", QByteArray("\x01\x02\x03", 3));
        other.setValue("Software/Tolvanex/tvxito/InstalledSubjectsDir", QStringList{"one", "two"});
        other.setValue("Software/Tolvanex/tvxito/DateChecked", 20261208);
    }
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "ProgramDir", "dflt"), "dflt");
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "InstalledSubjectsDir", "dflt"), "dflt");
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "DateChecked", "dflt"), "dflt");

    // Writing text over it makes it ours again.
    Save_String_Value(kRoot, kKey, "ProgramDir", "/opt/tvx/");
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "ProgramDir", "dflt"), "/opt/tvx/");
}

TEST(Registry, EachBuildHasItsOwnKey) {
    TestEnv env;
    Save_String_Value(kRoot, "Software\\Tolvanex\\tvxito", "ProgramDir", "/opt/ito/");
    Save_String_Value(kRoot, "Software\\Tolvanex\\tvxspa", "ProgramDir", "/opt/spa/");
    EXPECT_EQ(Get_String_Value(kRoot, "Software\\Tolvanex\\tvxito", "ProgramDir"), "/opt/ito/");
    EXPECT_EQ(Get_String_Value(kRoot, "Software\\Tolvanex\\tvxspa", "ProgramDir"), "/opt/spa/");
    // A parent key does not see its children's values.
    EXPECT_EQ(Get_String_Value(kRoot, "Software\\Tolvanex", "ProgramDir", "none"), "none");
}

TEST(Registry, NamesIgnoreCaseLikeTheRegistry) {
    TestEnv env;
    Save_String_Value(kRoot, kKey, "ProgramDir", "/opt/tvx/");
    EXPECT_EQ(Get_String_Value("hkey_current_user", "SOFTWARE\\tolvanex\\TVXITO", "programdir"),
              "/opt/tvx/");
    // Writing with another spelling replaces the value instead of adding a second one.
    Save_String_Value(kRoot, "software/TOLVANEX/tvxITO", "PROGRAMDIR", "/new/");
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "ProgramDir"), "/new/");
    QSettings file(env.root() + "config/Tolvanex.conf", QSettings::IniFormat);
    file.beginGroup("Software/Tolvanex/tvxito");
    EXPECT_EQ(file.childKeys(), QStringList{"ProgramDir"});
    EXPECT_EQ(file.value("ProgramDir").toString(), "/new/");
}

TEST(Registry, OtherRootsAreNeitherReadNorWritten) {
    TestEnv env;
    Save_String_Value("HKEY_LOCAL_MACHINE", kKey, "ProgramDir", "/machine/");
    EXPECT_EQ(Get_String_Value(kRoot, kKey, "ProgramDir", "none"), "none");
    Save_String_Value(kRoot, kKey, "ProgramDir", "/user/");
    EXPECT_EQ(Get_String_Value("HKEY_LOCAL_MACHINE", kKey, "ProgramDir", "none"), "none");
}
