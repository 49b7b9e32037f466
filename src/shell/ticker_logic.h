// The message ticker without its widgets: where the panel stands, which way
// it moves, which text comes next and how that text looks (size, colour,
// pause). The window class (Ticker) only copies this state onto its controls,
// so every turn can be tested from scripted random draws.
#pragma once

#include <QRgb>
#include <QString>

class Program;

// The look of a text that the ticker has just taken up at the top.
struct TickerText {
    QString text;
    QString link; // page name of a system message; empty for a tip
    int fontSize = 8;
    int colourIndex = 0; // entry of the 16-colour palette
    int pauseMs = 0;     // how long the panel rests at the bottom
};

class TickerLogic {
public:
    // Panel positions in twips, relative to the frame that clips it.
    static constexpr int kDesignTop = 240;
    static constexpr int kStep = 15;
    static constexpr int kTopTurn = 20;
    static constexpr int kBottomTurn = 950;
    static constexpr int kPauseCapMs = 59000;
    // Where the panel takes up a new text and where it rests: the first
    // steps from the design position at or past each turning point.
    static constexpr int kTurnTop =
        kDesignTop - (kDesignTop - kTopTurn + kStep - 1) / kStep * kStep;
    static constexpr int kRestTop = kTurnTop + (kBottomTurn - kTurnTop + kStep - 1) / kStep * kStep;

    enum class Step {
        Moved,       // the panel moved; nothing else changed
        TextChanged, // at the top: a new text (see Shown), now sinking
        Rested,      // at the bottom: Timer1 stops, Timer2 counts the pause
    };

    explicit TickerLogic(Program &program);

    // After the tips are loaded: the tip sequence starts at a random place.
    void Start_Tips();
    // One 30 ms tick of Timer1.
    Step Timer1_Tick();
    // One tick of Timer2: decides whether the next text is a system message.
    void Timer2_Tick();

    // The text taken up at the last top turning point.
    const TickerText &Shown() const { return m_shown; }

    // Character count -> points; 0 or more than 215 characters: 8 points.
    static int Font_Size(int length);
    // 150 ms per character, at most 59 s. An empty text rests as one
    // character does, so the ticker never stops for good.
    static int Pause_Ms(int length);
    // A uniform draw in [0, 1) -> palette entry 0 … 14; the pale entries
    // (7, 10, 11, 14), hard to read on the frame, become blue.
    static int Colour_Index(double draw);
    // The standard 16-colour palette.
    static QRgb Palette(int index);

    int top = kDesignTop;
    bool goingUp = true; // the panel's direction: "GOUP" or "GODOWN"
    QString pendingMessage;
    QString pendingLink;
    int messageIndex = 0;
    int tipIndex = 0;

private:
    void seed();
    TickerText takeNextText();

    Program &m_program;
    TickerText m_shown;
};

// The sliding menu's position without its widgets: a panel of the given
// width whose left edge moves in steps of 250 twips between hidden (only a
// 100-twip strip shows) and shown.
class MenuSlide {
public:
    static constexpr int kStep = 250;
    static constexpr int kStrip = 100;

    explicit MenuSlide(int width) : width(width), left(kStrip - width) {}

    bool IsHidden() const { return left <= kStrip - width; }
    bool IsShown() const { return left >= -kStrip; }
    // One tick of the slide; false (and no move) when the panel has arrived
    // and the timer stops. The last step may overshoot by up to 249 twips.
    bool Show_Tick();
    bool Hide_Tick();
    void Reset_Hidden() { left = kStrip - width; }

    int width;
    int left;
};
