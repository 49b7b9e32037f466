// Test entry: an offscreen QApplication, SDL's silent audio driver and a
// throw-away settings folder, so no test reaches a screen, speakers or the
// user's configuration.
#include "shell/application_setup.h"
#include "subjects/voice_module.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/data"));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    SetUpApplication(app);
    // The voice module the build put in its program folder.
    voiceModule::Set_Folder(QStringLiteral(TVX_BINARY_DIR "/" TVX_LANGUAGE_CODE));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
