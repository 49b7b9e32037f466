// FlashCards: the phrases of the study set as cards to turn over.
//   FlashCards <study file>
#include "common/activity_main.h"
#include "flash_cards_window.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    return activity::RunActivity(
        app, activity::Text::FlashCardsName,
        [](const activity::StudyFile &study, const activity::ActivityTexts &texts) {
            return std::make_unique<activity::FlashCardsWindow>(study, texts);
        });
}
