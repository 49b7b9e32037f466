// Test entry for a high-density screen: the offscreen screen scaled by 2
// (QT_SCALE_FACTOR, read when the application starts), otherwise as the
// other suites: SDL's silent audio driver and throw-away settings.
#include "shell/application_setup.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/data"));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    SetUpApplication(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
