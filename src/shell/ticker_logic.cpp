#include "shell/ticker_logic.h"

#include "frame/program.h"
#include "platform/host.h"

#include <algorithm>

TickerLogic::TickerLogic(Program &program) : m_program(program) {}

void TickerLogic::seed() {
    Host &host = m_program.host();
    host.Randomize(static_cast<quint32>(host.Now().time().msecsSinceStartOfDay()));
}

void TickerLogic::Start_Tips() {
    const int bound = m_program.ticker.tipBound;
    tipIndex = bound > 0 ? std::min(int(m_program.host().Rnd() * bound), bound - 1) : 0;
}

int TickerLogic::Font_Size(int length) {
    struct Band {
        int upTo;
        int points;
    };
    static constexpr Band kBands[] = {{20, 20}, {30, 18},  {49, 16},  {60, 15},  {70, 14},
                                      {80, 13}, {100, 12}, {130, 11}, {160, 10}, {215, 9}};
    if (length <= 0)
        return 8;
    for (const Band &band : kBands)
        if (length <= band.upTo)
            return band.points;
    return 8;
}

int TickerLogic::Pause_Ms(int length) {
    return std::min(150 * std::max(length, 1), kPauseCapMs);
}

int TickerLogic::Colour_Index(double draw) {
    const int c = std::clamp(int(draw * 15), 0, 14);
    switch (c) {
    case 7:
    case 10:
    case 11:
    case 14:
        return 1;
    default:
        return c;
    }
}

QRgb TickerLogic::Palette(int index) {
    static constexpr QRgb kPalette[16] = {
        qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
        qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
        qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255)};
    return kPalette[std::clamp(index, 0, 15)];
}

TickerText TickerLogic::takeNextText() {
    TickerText next;
    const TickerTexts &texts = m_program.ticker;
    if (!pendingMessage.isEmpty()) {
        next.text = pendingMessage;
        next.link = pendingLink;
        pendingMessage.clear();
        pendingLink.clear();
    } else {
        ++tipIndex;
        if (tipIndex == texts.tipBound)
            tipIndex = 1;
        // Without tips a tip turn shows an empty text.
        next.text = texts.tips.value(tipIndex - 1);
    }
    const int length = int(next.text.size());
    next.pauseMs = Pause_Ms(length);
    next.fontSize = Font_Size(length);
    next.colourIndex = Colour_Index(m_program.host().Rnd());
    return next;
}

TickerLogic::Step TickerLogic::Timer1_Tick() {
    seed();
    if (goingUp) {
        top -= kStep;
        if (top > kTopTurn)
            return Step::Moved;
        m_shown = takeNextText();
        goingUp = false;
        return Step::TextChanged;
    }
    top += kStep;
    if (top >= kBottomTurn) {
        goingUp = true;
        return Step::Rested;
    }
    return Step::Moved;
}

void TickerLogic::Timer2_Tick() {
    seed();
    const int r = std::min(int(m_program.host().Rnd() * 2), 1);
    const TickerTexts &texts = m_program.ticker;
    if (r == 1 && texts.messageCount >= 1) {
        ++messageIndex;
        pendingMessage = texts.messages.value(messageIndex - 1);
        pendingLink = texts.links.value(messageIndex - 1);
        if (messageIndex >= texts.messageCount)
            messageIndex = 0;
    } else {
        pendingMessage.clear();
        pendingLink.clear();
    }
}

bool MenuSlide::Show_Tick() {
    if (IsShown())
        return false;
    left += kStep;
    return true;
}

bool MenuSlide::Hide_Tick() {
    if (IsHidden())
        return false;
    left -= kStep;
    return true;
}
