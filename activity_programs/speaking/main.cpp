// Speaking: hear each phrase of the study set and say it after the model.
//   Speaking <study file>
#include "common/activity_main.h"
#include "speaking_window.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    return activity::RunActivity(
        app, activity::Text::SpeakingName,
        [](const activity::StudyFile &study, const activity::ActivityTexts &texts) {
            return std::make_unique<activity::SpeakingWindow>(study, texts);
        });
}
