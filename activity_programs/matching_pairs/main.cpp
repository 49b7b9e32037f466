// MatchingPairs: find each phrase of the study set and its translation
// among cards lying face down.
//   MatchingPairs <study file>
#include "common/activity_main.h"
#include "matching_pairs_window.h"

#include <QApplication>
#include <QRandomGenerator>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    return activity::RunActivity(
        app, activity::Text::MatchingPairsName,
        [](const activity::StudyFile &study, const activity::ActivityTexts &texts) {
            return std::make_unique<activity::MatchingPairsWindow>(
                study, texts, QRandomGenerator::global()->generate());
        });
}
