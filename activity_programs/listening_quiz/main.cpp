// ListeningQuiz: hear a phrase of the study set and pick its translation.
//   ListeningQuiz <study file>
#include "common/activity_main.h"
#include "listening_quiz_window.h"

#include <QApplication>
#include <QRandomGenerator>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    return activity::RunActivity(
        app, activity::Text::ListeningQuizName,
        [](const activity::StudyFile &study, const activity::ActivityTexts &texts) {
            return std::make_unique<activity::ListeningQuizWindow>(
                study, texts, QRandomGenerator::global()->generate());
        });
}
