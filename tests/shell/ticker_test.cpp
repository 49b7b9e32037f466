// The message ticker: its turning points, which text comes next, and how
// each text looks, from scripted random draws; a linked message opens its
// page when clicked.
#include "frame/program.h"
#include "platform/twips.h"
#include "shell/frm_main.h"
#include "shell/sliding_menu.h"
#include "shell/ticker.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A draw of Rnd that yields the whole number n of Int(Rnd * range).
double draw(int n, int range) {
    return (n + 0.5) / range;
}

void sendMouse(QWidget *widget, QEvent::Type type, Qt::MouseButton button = Qt::LeftButton) {
    const QPointF at(3, 3);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::MouseButtons();
    QMouseEvent event(type, at, widget->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

class TickerTest : public ::testing::Test {
protected:
    TickerTest() : program(host, env.settings()), logic(program) {
        program.captions.Resize(200);
        program.captions.Set(94, QStringLiteral("https://www.tolvanex.example/"));
        program.ticker.tips = {QStringLiteral("tip one"), QStringLiteral("tip two"),
                               QStringLiteral("tip three")};
        program.ticker.tipBound = 4;
    }
    void messages(const QStringList &texts, const QStringList &links) {
        program.ticker.messages = texts;
        program.ticker.links = links;
        program.ticker.messageCount = int(texts.size());
    }
    // Ticks Timer1 until the panel takes up its next text; the text's colour
    // comes from the next scripted draw.
    QString nextText(double colourDraw = 0.0) {
        host.rndValues.push_back(colourDraw);
        while (logic.Timer1_Tick() != TickerLogic::Step::TextChanged) {
        }
        while (logic.Timer1_Tick() != TickerLogic::Step::Rested) {
        }
        return logic.Shown().text;
    }

    TestEnv env;
    FakeHost host;
    Program program;
    TickerLogic logic;
};

TEST_F(TickerTest, FontSizesAndPausesFollowTheTextsLength) {
    const std::pair<int, int> sizes[] = {
        {0, 8},    {1, 20},   {20, 20},  {21, 18}, {30, 18}, {31, 16}, {49, 16},  {50, 15},
        {60, 15},  {61, 14},  {70, 14},  {71, 13}, {80, 13}, {81, 12}, {100, 12}, {101, 11},
        {130, 11}, {131, 10}, {160, 10}, {161, 9}, {215, 9}, {216, 8}, {400, 8}};
    for (const auto &[length, points] : sizes)
        EXPECT_EQ(TickerLogic::Font_Size(length), points) << length << " characters";
    EXPECT_EQ(TickerLogic::Pause_Ms(21), 3150);
    EXPECT_EQ(TickerLogic::Pause_Ms(393), 58950);
    EXPECT_EQ(TickerLogic::Pause_Ms(394), 59000);
    EXPECT_EQ(TickerLogic::Pause_Ms(400), 59000);
    // An empty text (no tips loaded) still ends its rest.
    EXPECT_EQ(TickerLogic::Pause_Ms(0), 150);
}

TEST_F(TickerTest, PaleColourDrawsShowBlue) {
    int blue = 0;
    for (int c = 0; c < 15; ++c) {
        const int shown = TickerLogic::Colour_Index(draw(c, 15));
        if (c == 7 || c == 10 || c == 11 || c == 14)
            EXPECT_EQ(shown, 1) << c;
        else
            EXPECT_EQ(shown, c);
        blue += shown == 1;
    }
    EXPECT_EQ(blue, 5);
    EXPECT_EQ(TickerLogic::Colour_Index(0.99999), 1);
    EXPECT_EQ(TickerLogic::Palette(1), qRgb(0, 0, 128));
    EXPECT_EQ(TickerLogic::Palette(12), qRgb(255, 0, 0));
}

TEST_F(TickerTest, PanelTurnsAtTheTopAndRestsAtTheBottom) {
    logic.pendingMessage = QStringLiteral("Choose a subject, then click an activity");
    // From the design position the first text comes after 15 ticks.
    for (int i = 1; i < 15; ++i)
        EXPECT_EQ(logic.Timer1_Tick(), TickerLogic::Step::Moved) << i;
    host.rndValues = {draw(4, 15)};
    EXPECT_EQ(logic.Timer1_Tick(), TickerLogic::Step::TextChanged);
    EXPECT_EQ(logic.top, 15);
    EXPECT_FALSE(logic.goingUp);
    EXPECT_EQ(logic.Shown().text, QStringLiteral("Choose a subject, then click an activity"));
    EXPECT_EQ(logic.Shown().fontSize, 16);
    EXPECT_EQ(logic.Shown().colourIndex, 4);
    EXPECT_EQ(logic.Shown().pauseMs, 40 * 150);
    EXPECT_TRUE(logic.pendingMessage.isEmpty());
    int ticks = 0;
    while (logic.Timer1_Tick() == TickerLogic::Step::Moved)
        ++ticks;
    EXPECT_EQ(logic.top, 960);
    EXPECT_EQ(ticks, 62);
    EXPECT_TRUE(logic.goingUp);
    // Every tick seeds the generator from the clock.
    EXPECT_EQ(host.seeds.size(), size_t(15 + 63));
}

TEST_F(TickerTest, TipsWrapToTheFirstAndMessagesComeFromTheLastDraw) {
    logic.tipIndex = 2;
    EXPECT_EQ(nextText(), QStringLiteral("tip three"));
    // The tip bound itself is never shown: after the last tip comes tip 1.
    EXPECT_EQ(nextText(), QStringLiteral("tip one"));

    // Without system messages every draw yields a tip.
    host.rndValues = {draw(1, 2)};
    logic.Timer2_Tick();
    EXPECT_EQ(nextText(), QStringLiteral("tip two"));

    // With one message, every draw of 1 shows that same message.
    messages({QStringLiteral("News")}, {QStringLiteral("news.htm")});
    for (int turn = 0; turn < 2; ++turn) {
        host.rndValues = {draw(1, 2)};
        logic.Timer2_Tick();
        EXPECT_EQ(logic.messageIndex, 0);
        EXPECT_EQ(nextText(), QStringLiteral("News"));
        EXPECT_EQ(logic.Shown().link, QStringLiteral("news.htm"));
    }

    // Timer2 fires again while the panel rises: only the last draw counts,
    // though a draw of 1 still used up a message.
    messages({QStringLiteral("First"), QStringLiteral("Second")}, {QString(), QString()});
    host.rndValues = {draw(1, 2), draw(0, 2)};
    logic.Timer2_Tick();
    logic.Timer2_Tick();
    EXPECT_EQ(nextText(), QStringLiteral("tip three"));
    host.rndValues = {draw(1, 2)};
    logic.Timer2_Tick();
    EXPECT_EQ(nextText(), QStringLiteral("Second"));
}

TEST_F(TickerTest, TheFirstTipIsDrawnOverTheWholeList) {
    host.rndValues = {draw(3, 4), draw(0, 4)};
    logic.Start_Tips();
    EXPECT_EQ(logic.tipIndex, 3);
    EXPECT_EQ(nextText(), QStringLiteral("tip one"));
    logic.Start_Tips();
    EXPECT_EQ(nextText(), QStringLiteral("tip one"));
    // Without tips a tip turn shows an empty text.
    program.ticker.tips.clear();
    program.ticker.tipBound = 0;
    logic.Start_Tips();
    EXPECT_EQ(nextText(), QString());
}

TEST_F(TickerTest, MainWindowShowsTheTextAndALinkedMessageOpensItsPage) {
    frmMain main(program);
    // The learner reads the pauses: they keep their length to the millisecond.
    EXPECT_EQ(main.Timer1->timerType(), Qt::PreciseTimer);
    EXPECT_EQ(main.Timer2->timerType(), Qt::PreciseTimer);
    Ticker &ticker = main.ticker();
    messages({QStringLiteral("Visit our news page for the latest lessons")},
             {QStringLiteral("news.htm")});
    ticker.Set_Pending(QStringLiteral("Hello"));
    main.Timer1->start();

    host.rndValues = {draw(2, 15)};
    for (int i = 0; i < 15; ++i)
        ticker.Timer1_Tick();
    EXPECT_EQ(main.lblMsg->text(), QStringLiteral("Hello"));
    EXPECT_EQ(main.lblMsg->font().pointSize(), 20);
    EXPECT_EQ(main.lblMsg->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_EQ(main.PicMsg->y(), TwipsToPixels(15));
    EXPECT_EQ(main.PicMsg->property("Tag").toString(), QStringLiteral("GODOWN"));
    while (main.Timer1->isActive())
        ticker.Timer1_Tick();
    EXPECT_EQ(main.PicMsg->y(), TwipsToPixels(960));
    EXPECT_TRUE(main.Timer2->isActive());
    EXPECT_EQ(main.Timer2->interval(), 5 * 150);

    // A tip: pressing and releasing on it changes nothing and opens nothing.
    host.rndValues = {draw(0, 2)};
    ticker.Timer2_Tick();
    EXPECT_TRUE(main.Timer1->isActive());
    host.rndValues = {draw(5, 15)};
    while (main.Timer1->isActive())
        ticker.Timer1_Tick();
    EXPECT_EQ(main.lblMsg->text(), QStringLiteral("tip one"));
    sendMouse(main.lblMsg, QEvent::MouseMove);
    EXPECT_FALSE(main.lblMsg->font().underline());
    sendMouse(main.lblMsg, QEvent::MouseButtonPress);
    sendMouse(main.lblMsg, QEvent::MouseButtonRelease);
    EXPECT_EQ(main.lblMsg->palette().color(QPalette::WindowText), QColor(128, 0, 128));
    EXPECT_TRUE(host.openedUrls.isEmpty());
    EXPECT_TRUE(host.sounds.empty());

    // A system message with a link.
    host.rndValues = {draw(1, 2)};
    ticker.Timer2_Tick();
    host.rndValues = {draw(0, 15)};
    while (main.Timer1->isActive())
        ticker.Timer1_Tick();
    EXPECT_EQ(main.lblMsg->text(), QStringLiteral("Visit our news page for the latest lessons"));
    // 16 points by its length, smaller if two lines of that size would not
    // rest inside the frame.
    EXPECT_EQ(ticker.logic().Shown().fontSize, 16);
    EXPECT_LE(main.lblMsg->font().pointSize(), 16);
    sendMouse(main.lblMsg, QEvent::MouseMove);
    EXPECT_TRUE(main.lblMsg->font().underline());
    EXPECT_EQ(main.lblMsg->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(main.TimHideMenu->isActive() || main.slidingMenu().IsHidden());
    sendMouse(main.lblMsg, QEvent::MouseButtonPress);
    EXPECT_EQ(main.lblMsg->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    host.connected = true;
    sendMouse(main.lblMsg, QEvent::MouseButtonRelease);
    EXPECT_EQ(main.lblMsg->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(host.openedUrls,
              QStringList{QStringLiteral("https://www.tolvanex.example/news.htm")});
    ASSERT_EQ(host.sounds.size(), 1u);
    EXPECT_TRUE(host.sounds[0].async);

    // Moving over the ticker's frame takes the underline away.
    sendMouse(main.Picture1, QEvent::MouseMove);
    EXPECT_FALSE(main.lblMsg->font().underline());
}

// Where the ticker's frame has room for text: inside the solid border its
// picture draws (the faint line within it is a decoration), found in the
// picture along its middle lines.
QRect innerAreaOf(QWidget &frame, QWidget &panel) {
    panel.hide();
    const QImage picture = frame.grab().toImage();
    panel.show();
    const auto border = [&](int x, int y) { return picture.pixelColor(x, y).lightness() < 185; };
    const int midX = picture.width() / 2;
    const int midY = picture.height() / 2;
    int top = midY;
    int bottom = midY;
    int left = midX;
    int right = midX;
    while (top > 0 && !border(midX, top - 1))
        --top;
    while (bottom + 1 < picture.height() && !border(midX, bottom + 1))
        ++bottom;
    while (left > 0 && !border(left - 1, midY))
        --left;
    while (right + 1 < picture.width() && !border(right + 1, midY))
        ++right;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// Every text the ticker may take up: one at each end of each font-size band,
// longer ones, one word longer than a line, and the tips and messages of
// every build's template.
QStringList tickerTexts() {
    const QString words = QStringLiteral(
        "Los adjetivos concuerdan con el sustantivo: un libro rosso, una casa rossa, dei libri "
        "rossi. Haga doble clic en cualquier frase de la lista para escucharla otra vez. ");
    QStringList texts;
    for (const int length : {1,  20,  21,  30,  31,  49,  50,  60,  61,  70,  71, 80,
                             81, 100, 101, 130, 131, 160, 161, 215, 216, 300, 400})
        texts << words.repeated(3).left(length);
    texts << QStringLiteral("https://www.tolvanex.example/cursos/italiano/nivel-uno/leccion-doce");
    for (const char *file : {"tips.tsv", "messages.tsv"}) {
        QFile tsv(QStringLiteral(TVX_SOURCE_DIR "/content/template/") + QLatin1String(file));
        EXPECT_TRUE(tsv.open(QIODevice::ReadOnly | QIODevice::Text)) << file;
        const QStringList lines = QString::fromUtf8(tsv.readAll()).split(QLatin1Char('\n'));
        const int columns = QLatin1String(file) == QLatin1String("tips.tsv") ? 8 : 2;
        for (int i = 1; i < lines.size(); ++i)
            texts << lines[i].split(QLatin1Char('\t')).mid(0, columns);
    }
    texts.removeAll(QString());
    return texts;
}

TEST_F(TickerTest, EveryTextRestsWholeInsideTheFrame) {
    frmMain main(program);
    Ticker &ticker = main.ticker();
    const QRect inner = innerAreaOf(*main.Picture1, *main.PicMsg);
    ASSERT_GT(inner.height(), 80);
    ASSERT_GT(inner.width(), 350);
    for (const QString &text : tickerTexts()) {
        ticker.Set_Pending(text);
        host.rndValues = {0.0};
        main.Timer1->start();
        while (main.Timer1->isActive())
            ticker.Timer1_Tick();
        ASSERT_EQ(main.PicMsg->y(), TwipsToPixels(TickerLogic::kRestTop));
        QLabel &label = *main.lblMsg;
        const QRect drawn = label.fontMetrics().boundingRect(
            label.rect(), int(label.alignment()) | Qt::TextWordWrap, label.text());
        const QRect inFrame(label.mapTo(main.Picture1, drawn.topLeft()), drawn.size());
        const std::string what = std::to_string(text.size()) + " characters at " +
                                 std::to_string(label.font().pointSize()) +
                                 " points: " + text.toStdString();
        EXPECT_TRUE(inner.contains(inFrame)) << what;
        EXPECT_LE(label.font().pointSize(), TickerLogic::Font_Size(int(text.size()))) << what;
        EXPECT_EQ(label.accessibleName(), text) << what;
        // Whole up to the longest the sizes are made for; a longer one ends
        // with "…" and shows whole as its tooltip.
        if (text.size() <= 215) {
            EXPECT_EQ(label.text(), text) << what;
        } else if (label.text() != text) {
            EXPECT_EQ(label.toolTip(), text) << what;
        }
    }
}

} // namespace
