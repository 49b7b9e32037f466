// Dictation: hear each phrase of the study set and write it.
//   Dictation <study file>
#include "common/activity_main.h"
#include "dictation_window.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    return activity::RunActivity(
        app, activity::Text::DictationName,
        [](const activity::StudyFile &study, const activity::ActivityTexts &texts) {
            return std::make_unique<activity::DictationWindow>(study, texts);
        });
}
