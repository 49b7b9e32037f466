#include "shell/qt_button_sounds.h"

#include "frame/mod_main.h"

#include <QAbstractButton>

void AddClickSound(Program &program, QAbstractButton &button) {
    const auto click = [&program] {
        try {
            modMain::Play_Click(program, QStringLiteral("click"), modMain::SND_ASYNC);
        } catch (const std::exception &) {
            // A missing click sound must not stop the button from working.
        }
    };
    QObject::connect(&button, &QAbstractButton::pressed, &button, click);
    QObject::connect(&button, &QAbstractButton::released, &button, click);
}
