#include "platform/qt_button_sounds.h"

#include <QAbstractButton>

#include <exception>

void AddClickSound(QAbstractButton &button, std::function<void()> play) {
    const auto click = [play = std::move(play)] {
        try {
            play();
        } catch (const std::exception &) {
            // A missing click sound must not stop the button from working.
        }
    };
    QObject::connect(&button, &QAbstractButton::pressed, &button, click);
    QObject::connect(&button, &QAbstractButton::released, &button, click);
}
