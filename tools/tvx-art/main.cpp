// tvx-art: draws every picture of the program and synthesizes its click sound.
//
//   tvx-art <resources-dir> [--sheet <png>]
//
// All artwork is drawn here from code so that it can be regenerated and
// tweaked without any image editor, and so that nothing in resources/ comes
// from elsewhere. --sheet additionally writes a contact sheet of everything
// (enlarged and at the sizes the program shows) for checking by eye.
//
// Every picture is drawn twice from the same drawing code: at its size
// (name.png) and at twice it (name@2x.png) for high-density screens, where
// the program loads the larger one so nothing is enlarged from pixels.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

QString g_out;
// The pixel density of the pictures being drawn: 1, or 2 for the @2x set.
int g_scale = 1;

// House palette: deep teal and blue with a warm orange accent.
const QColor kTeal("#0E5E6F");
const QColor kTealMid("#1A8A99");
const QColor kBlue("#1F4E79");
const QColor kOrange("#F29E4C");
const QColor kInk("#2A2320");

// A picture of w x h units, g_scale pixels per unit: the drawing code works
// in units and the painter scales it to the picture's density.
QImage canvas(int w, int h, int scale = g_scale) {
    QImage img(w * scale, h * scale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(scale);
    img.fill(Qt::transparent);
    return img;
}

void begin(QPainter &p, QImage &img) {
    p.begin(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// Writes a picture under its name, with "@2x" before the suffix for the
// double-density set.
void save(const QImage &img, QString rel) {
    if (g_scale != 1)
        rel.insert(rel.lastIndexOf(QLatin1Char('.')), QStringLiteral("@%1x").arg(g_scale));
    const QString path = g_out + "/" + rel;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "tvx-art: cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

QPainterPath circle(double x, double y, double r) {
    QPainterPath path;
    path.addEllipse(QPointF(x, y), r, r);
    return path;
}

QPainterPath ellipse(double x, double y, double rx, double ry, double rotDeg = 0) {
    QPainterPath path;
    path.addEllipse(QPointF(0, 0), rx, ry);
    QTransform t;
    t.translate(x, y);
    t.rotate(rotDeg);
    return t.map(path);
}

QPainterPath polygon(std::initializer_list<QPointF> pts) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(pts)));
    path.closeSubpath();
    return path;
}

void fill(QPainter &p, const QPainterPath &path, const QColor &c, const QColor &edge = QColor(),
          double edgeWidth = 0.8) {
    p.setBrush(c);
    if (edge.isValid())
        p.setPen(QPen(edge, edgeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    else
        p.setPen(Qt::NoPen);
    p.drawPath(path);
}

void stroke(QPainter &p, const QPainterPath &path, const QColor &c, double w) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

QFont font(double px, int weight = QFont::Bold) {
    QFont f("DejaVu Sans");
    f.setPixelSize(qRound(px));
    f.setWeight(QFont::Weight(weight));
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// A speech bubble: rounded body with a tail going down-left (or down-right).
QPainterPath bubble(const QRectF &r, double radius, bool tailLeft, double tailLen) {
    QPainterPath body;
    body.addRoundedRect(r, radius, radius);
    const double w = r.width();
    const double bottom = r.bottom();
    double a, b, tip;
    if (tailLeft) {
        a = r.left() + w * 0.2;
        b = r.left() + w * 0.46;
        tip = r.left() + w * 0.06;
    } else {
        a = r.right() - w * 0.2;
        b = r.right() - w * 0.46;
        tip = r.right() - w * 0.06;
    }
    QPainterPath tail;
    tail.moveTo(a, bottom - 3);
    tail.lineTo(b, bottom - 3);
    tail.quadTo((a + b) / 2, bottom + tailLen * 0.45, tip, bottom + tailLen);
    tail.quadTo(a, bottom + tailLen * 0.35, a, bottom - 3);
    tail.closeSubpath();
    return body.united(tail).simplified();
}

// ---------------------------------------------------------------- logos

struct Build {
    const char *language; // language word of the product title
    const char *tag;      // target language shown in the emblem
    QColor accent;
};

const Build kBuilds[8] = {
    {"Spanish", "ES", QColor("#E4572E")}, {"French", "FR", QColor("#3867D6")},
    {"German", "DE", QColor("#E0A100")},  {"Italian", "IT", QColor("#2E9E5B")},
    {"Inglés", "EN", QColor("#8E44AD")},  {"Francés", "FR", QColor("#17A2B8")},
    {"Alemán", "DE", QColor("#C0392B")},  {"Italiano", "IT", QColor("#7A9A1E")},
};

QImage drawLogo(const Build &b) {
    QImage img = canvas(250, 80);
    QPainter p;
    begin(p, img);

    // Emblem: two overlapping speech bubbles, a conversation between the
    // learner's language (teal, behind) and the target language (accent).
    const QPainterPath back = bubble(QRectF(29, 3, 38, 27), 10, false, 9);
    QLinearGradient gBack(0, 3, 0, 39);
    gBack.setColorAt(0, kTealMid);
    gBack.setColorAt(1, kTeal);
    p.setPen(Qt::NoPen);
    p.setBrush(gBack);
    p.drawPath(back);
    p.setPen(QPen(QColor(255, 255, 255, 235), 3.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i)
        p.drawPoint(QPointF(43 + i * 7, 14.5));

    const QPainterPath front = bubble(QRectF(4, 22, 48, 38), 12, true, 14);
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(front);
    QLinearGradient gFront(0, 22, 0, 70);
    gFront.setColorAt(0, b.accent.lighter(118));
    gFront.setColorAt(1, b.accent.darker(112));
    p.setPen(Qt::NoPen);
    p.setBrush(gFront);
    p.drawPath(front);
    // soft gloss on the upper half of the bubble
    QPainterPath gloss;
    gloss.addRoundedRect(QRectF(8, 25, 40, 14), 8, 8);
    p.setBrush(QColor(255, 255, 255, 45));
    p.drawPath(gloss);

    p.setFont(font(20));
    p.setPen(Qt::white);
    p.drawText(QRectF(4, 22, 48, 38), Qt::AlignCenter, QString::fromLatin1(b.tag));

    // Title: "Tolvanex" in deep teal, the language word in the build's colour.
    const double x = 74;
    QFont title = font(31);
    QFontMetricsF fmTitle(title);
    const QString name = QStringLiteral("Tolvanex");
    while (fmTitle.horizontalAdvance(name) > 250 - x - 2) {
        title.setPixelSize(title.pixelSize() - 1);
        fmTitle = QFontMetricsF(title);
    }
    QPainterPath text;
    text.addText(x, 37, title, name);
    p.setPen(QPen(QColor(255, 255, 255, 200), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(text);
    QLinearGradient gText(0, 12, 0, 38);
    gText.setColorAt(0, kTealMid.darker(110));
    gText.setColorAt(1, kTeal.darker(115));
    p.setPen(Qt::NoPen);
    p.setBrush(gText);
    p.drawPath(text);

    const QString lang = QString::fromUtf8(b.language);
    QFont sub = font(24, QFont::DemiBold);
    QFontMetricsF fmSub(sub);
    while (fmSub.horizontalAdvance(lang) > 250 - x - 4) {
        sub.setPixelSize(sub.pixelSize() - 1);
        fmSub = QFontMetricsF(sub);
    }
    QPainterPath langPath;
    langPath.addText(x + 2, 66, sub, lang);
    p.setPen(QPen(QColor(255, 255, 255, 200), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(langPath);
    QColor langColour = b.accent;
    if (langColour.lightnessF() > 0.45)
        langColour = langColour.darker(125);
    p.setPen(Qt::NoPen);
    p.setBrush(langColour);
    p.drawPath(langPath);

    p.end();
    return img;
}

// ---------------------------------------------------------------- tiles

// A pale, low-contrast tile. The window repeats it with a step a little
// smaller than the tile, so the pattern is kept soft and round enough that
// the overlaps do not show as seams.
QImage drawTile(const QColor &base, const QColor &dot) {
    const int s = g_scale;
    QImage img(24 * s, 12 * s, QImage::Format_RGB888);
    img.setDevicePixelRatio(s);
    for (int py = 0; py < 12 * s; ++py) {
        for (int px = 0; px < 24 * s; ++px) {
            // the pixel's centre in tile units
            const double ux = (px + 0.5) / s, uy = (py + 0.5) / s;
            // two soft dots per tile, distance measured on the torus so the
            // tile wraps seamlessly
            auto weight = [&](double cx, double cy) {
                double dx = std::fabs(ux - cx);
                double dy = std::fabs(uy - cy);
                dx = std::min(dx, 24 - dx);
                dy = std::min(dy, 12 - dy);
                const double d2 = dx * dx + dy * dy;
                return std::exp(-d2 / 2.2);
            };
            const double t = std::min(1.0, weight(6, 3) + weight(18, 9));
            const double wave = 0.5 + 0.5 * std::sin((ux - 0.5 + 2 * (uy - 0.5)) * 2 * M_PI / 24.0);
            const double k = 0.85 * t + 0.06 * wave;
            img.setPixelColor(px, py,
                              QColor(qRound(base.red() + (dot.red() - base.red()) * k),
                                     qRound(base.green() + (dot.green() - base.green()) * k),
                                     qRound(base.blue() + (dot.blue() - base.blue()) * k)));
        }
    }
    return img;
}

// ---------------------------------------------------------------- tree

const QColor kFixedFolder("#F2B544");
const QColor kFixedFolderEdge("#B7791F");
const QColor kVirtualFolder("#4DB6C4");
const QColor kVirtualFolderEdge("#17707D");
const QColor kBook("#2F6FB0");
const QColor kVirtualBook("#1E9E7E");
const QColor kPhrase("#3F86D6");
const QColor kVirtualPhrase("#2EAD8A");

QImage folderIcon(const QColor &body, const QColor &edge, bool open) {
    QImage img = canvas(16, 16);
    QPainter p;
    begin(p, img);
    QPainterPath tab;
    tab.addRoundedRect(QRectF(1.5, 2.5, 6, 4), 1.2, 1.2);
    QPainterPath back;
    back.addRoundedRect(QRectF(1.5, 4.5, 13, 9.5), 1.4, 1.4);
    fill(p, tab.united(back), body.darker(112), edge, 1.0);
    if (!open) {
        QLinearGradient g(0, 5, 0, 14);
        g.setColorAt(0, body.lighter(118));
        g.setColorAt(1, body);
        QPainterPath front;
        front.addRoundedRect(QRectF(1.5, 6, 13, 8), 1.4, 1.4);
        p.setBrush(g);
        p.setPen(QPen(edge, 1.0));
        p.drawPath(front);
        p.setPen(QPen(QColor(255, 255, 255, 110), 1.0));
        p.drawLine(QPointF(3, 7.5), QPointF(13, 7.5));
    } else {
        // a sheet of paper showing inside the open folder
        fill(
            p,
            [] {
                QPainterPath s;
                s.addRect(QRectF(3.5, 3.5, 9, 6));
                return s;
            }(),
            QColor("#FFFDF6"), QColor("#9E9E9E"), 0.8);
        QLinearGradient g(0, 8, 0, 14);
        g.setColorAt(0, body.lighter(125));
        g.setColorAt(1, body.lighter(105));
        p.setBrush(g);
        p.setPen(QPen(edge, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(polygon({{1.5, 14}, {3.8, 8}, {15.5, 8}, {13.2, 14}}));
    }
    p.end();
    return img;
}

void drawBook16(QPainter &p, const QColor &cover) {
    // pages under the cover
    QPainterPath pages;
    pages.addRoundedRect(QRectF(4.5, 11.5, 9.5, 3), 0.8, 0.8);
    fill(p, pages, QColor("#FFFDF6"), cover.darker(150), 1.0);
    QPainterPath c;
    c.addRoundedRect(QRectF(3, 1.5, 10.5, 11.5), 1.3, 1.3);
    QLinearGradient g(3, 0, 13.5, 0);
    g.setColorAt(0, cover.darker(115));
    g.setColorAt(0.25, cover.lighter(115));
    g.setColorAt(1, cover);
    p.setBrush(g);
    p.setPen(QPen(cover.darker(150), 1.0));
    p.drawPath(c);
    p.setPen(QPen(cover.darker(135), 1.0));
    p.drawLine(QPointF(5.5, 2.5), QPointF(5.5, 12.5));
    // title label
    QPainterPath label;
    label.addRoundedRect(QRectF(7, 4, 4.5, 2.6), 0.6, 0.6);
    fill(p, label, QColor(255, 255, 255, 225));
}

QImage bookIcon(const QColor &cover, bool selected, bool sparkle) {
    QImage img = canvas(16, 16);
    QPainter p;
    begin(p, img);
    if (selected) {
        // selected: a warm glow behind a brighter book and a ribbon marker
        QPainterPath halo;
        halo.addRoundedRect(QRectF(0.5, 0.5, 15, 15), 3.5, 3.5);
        fill(p, halo, QColor("#FFE08A"), QColor("#F2B544"), 1.0);
    }
    drawBook16(p, selected ? cover.lighter(120) : cover);
    if (selected)
        fill(p, polygon({{10.5, 10}, {12.5, 10}, {12.5, 15.5}, {11.5, 14.3}, {10.5, 15.5}}),
             QColor("#E4572E"));
    if (sparkle) {
        // the star marks a subject the student put together
        QPainterPath star;
        const QPointF c(9.25, 9.6);
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4 - M_PI / 2;
            const double r = (i % 2 == 0) ? 2.6 : 0.9;
            const QPointF pt = c + QPointF(std::cos(a) * r, std::sin(a) * r);
            if (i == 0)
                star.moveTo(pt);
            else
                star.lineTo(pt);
        }
        star.closeSubpath();
        fill(p, star, QColor("#FFE07A"));
    }
    p.end();
    return img;
}

QImage phraseIcon(const QColor &c) {
    QImage img = canvas(16, 16);
    QPainter p;
    begin(p, img);
    QPainterPath body;
    body.addRoundedRect(QRectF(1.5, 2, 13, 9.5), 3.5, 3.5);
    QPainterPath tail = polygon({{4, 10.5}, {8, 10.5}, {3.2, 14.8}});
    QLinearGradient g(0, 2, 0, 12);
    g.setColorAt(0, c.lighter(120));
    g.setColorAt(1, c);
    p.setBrush(g);
    p.setPen(QPen(c.darker(145), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(body.united(tail).simplified());
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(5 + i * 3, 6.8), 1.05, 1.05);
    p.end();
    return img;
}

QImage brokenIcon() {
    QImage img = canvas(16, 16);
    QPainter p;
    begin(p, img);
    QPainterPath page = polygon({{2.5, 1.5}, {9, 1.5}, {12, 4.5}, {12, 14.5}, {2.5, 14.5}});
    fill(p, page, QColor("#FAFAF7"), QColor("#7D8790"), 1.0);
    fill(p, polygon({{9, 1.5}, {9, 4.5}, {12, 4.5}}), QColor("#D8DDE1"), QColor("#7D8790"), 0.8);
    p.setPen(QPen(QColor("#A9B3BB"), 1.0));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(4.5, 6.5 + i * 2), QPointF(8.5, 6.5 + i * 2));
    fill(p, circle(11.2, 11.2, 4.3), QColor("#D93025"), QColor("#9C1C14"), 0.8);
    p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.6, 9.6), QPointF(12.8, 12.8));
    p.drawLine(QPointF(12.8, 9.6), QPointF(9.6, 12.8));
    p.end();
    return img;
}

// ---------------------------------------------------------------- menu

QImage bulletIcon() {
    QImage img = canvas(16, 16);
    QPainter p;
    begin(p, img);
    QRadialGradient g(QPointF(6.5, 5.5), 8);
    g.setColorAt(0, kOrange.lighter(125));
    g.setColorAt(1, QColor("#E07B24"));
    p.setBrush(g);
    p.setPen(QPen(QColor("#B85F14"), 1.0));
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    QPainterPath chevron;
    chevron.moveTo(6.8, 4.9);
    chevron.lineTo(9.9, 8);
    chevron.lineTo(6.8, 11.1);
    stroke(p, chevron, Qt::white, 1.9);
    p.end();
    return img;
}

QImage tickerFrame() {
    // 376 x 102: the moving message panel sits 16 px in from the top-left
    // corner, so the frame keeps a calm margin around that area.
    QImage img = canvas(376, 102);
    QPainter p;
    begin(p, img);
    QPainterPath shadow;
    shadow.addRoundedRect(QRectF(3, 4, 371, 97), 16, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(14, 94, 111, 40));
    p.drawPath(shadow);

    QPainterPath panel;
    panel.addRoundedRect(QRectF(1.5, 1.5, 371, 96), 15, 15);
    QLinearGradient g(0, 0, 0, 100);
    g.setColorAt(0, QColor("#FFFFFF"));
    g.setColorAt(1, QColor("#E6F3F4"));
    p.setBrush(g);
    p.setPen(QPen(kTealMid, 2.0));
    p.drawPath(panel);

    QPainterPath inner;
    inner.addRoundedRect(QRectF(7.5, 7.5, 359, 84), 10, 10);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(26, 138, 153, 70), 1.0));
    p.drawPath(inner);

    // warm accent corner dots
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    p.drawEllipse(QPointF(364, 9.5), 2.2, 2.2);
    p.setBrush(QColor(242, 158, 76, 150));
    p.drawEllipse(QPointF(357, 9.5), 1.6, 1.6);
    p.end();
    return img;
}

// ---------------------------------------------------------------- faces

enum class Hair { Bald, Short, SidePart, Long, Curly, Bun, Pigtails, Spiky, Bob, Mohawk, Afro };
enum class Hat { None, Cap, Beanie, TopHat, Crown, Headband, Bow };
enum class Glasses { None, Round, Sun };
enum class Beard { None, Full, Moustache, Goatee };

struct Human {
    QColor backdrop;
    QColor skin;
    Hair hair;
    QColor hairColour;
    Hat hat;
    QColor hatColour;
    Glasses glasses;
    Beard beard;
    bool openMouth;
};

void backdrop(QPainter &p, const QColor &c) {
    QRadialGradient g(QPointF(13, 11), 18);
    g.setColorAt(0, c.lighter(118));
    g.setColorAt(1, c);
    p.setBrush(g);
    p.setPen(QPen(c.darker(125), 1.0));
    p.drawEllipse(QPointF(16, 16), 15.2, 15.2);
}

void eyes(QPainter &p, double y, double xl, double xr, double r = 1.5) {
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(xl, y), r, r * 1.1);
    p.drawEllipse(QPointF(xr, y), r, r * 1.1);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawEllipse(QPointF(xl - r * 0.3, y - r * 0.4), r * 0.35, r * 0.35);
    p.drawEllipse(QPointF(xr - r * 0.3, y - r * 0.4), r * 0.35, r * 0.35);
}

void smile(QPainter &p, double y, double half, double depth, const QColor &c = QColor("#5A2E1E"),
           double w = 1.3, double cx = 16) {
    QPainterPath m;
    m.moveTo(cx - half, y);
    m.quadTo(cx, y + depth, cx + half, y);
    stroke(p, m, c, w);
}

void cheeks(QPainter &p, double y, double xl, double xr, double r = 1.7, int alpha = 90) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 110, 120, alpha));
    p.drawEllipse(QPointF(xl, y), r, r * 0.8);
    p.drawEllipse(QPointF(xr, y), r, r * 0.8);
}

QPainterPath shortHairFront() {
    QPainterPath h;
    h.moveTo(7.0, 16.5);
    h.cubicTo(6.0, 3.4, 26.0, 3.4, 25.0, 16.5);
    h.lineTo(23.8, 13.2);
    h.quadTo(20.5, 10.3, 16, 11.6);
    h.quadTo(11.5, 10.3, 8.2, 13.2);
    h.closeSubpath();
    return h;
}

QPainterPath partedHairFront() {
    QPainterPath h;
    h.moveTo(7.0, 20);
    h.cubicTo(5.0, 3.0, 27.0, 3.0, 25.0, 20);
    h.quadTo(23.6, 11.5, 16.2, 10.2);
    h.quadTo(12.5, 12.5, 9.5, 12.8);
    h.quadTo(7.8, 15, 7.0, 20);
    h.closeSubpath();
    return h;
}

void drawHuman(QPainter &p, const Human &h) {
    backdrop(p, h.backdrop);
    const QColor hairEdge = h.hairColour.darker(130);
    const double hairW = 0.7;

    // hair that sits behind the head
    switch (h.hair) {
    case Hair::Long: {
        QPainterPath b;
        b.addRoundedRect(QRectF(5.2, 8.5, 21.6, 20.5), 8, 8);
        // parted below the chin so it reads as hair over the shoulders
        b = b.subtracted(ellipse(16, 30.5, 5.2, 4.2));
        fill(p, b, h.hairColour, hairEdge, hairW);
        break;
    }
    case Hair::Bob: {
        QPainterPath b;
        b.addRoundedRect(QRectF(5.4, 7.5, 21.2, 17.5), 8.5, 8.5);
        fill(p, b, h.hairColour, hairEdge, hairW);
        break;
    }
    case Hair::Afro: {
        QPainterPath b = circle(16, 14.5, 12.0);
        for (int i = 0; i < 10; ++i) {
            const double a = -M_PI * 1.1 + i * (M_PI * 1.2 / 9);
            b = b.united(circle(16 + std::cos(a) * 11.0, 14.5 + std::sin(a) * 10.5, 3.2));
        }
        fill(p, b, h.hairColour, hairEdge, hairW);
        break;
    }
    case Hair::Curly: {
        QPainterPath b = ellipse(16, 13.5, 10.5, 8.5);
        for (int i = 0; i < 8; ++i) {
            const double a = -M_PI * 1.05 + i * (M_PI * 1.1 / 7);
            b = b.united(circle(16 + std::cos(a) * 10.0, 15 + std::sin(a) * 8.6, 3.0));
        }
        fill(p, b, h.hairColour, hairEdge, hairW);
        break;
    }
    case Hair::Bun:
        fill(p, circle(16, 5.2, 3.8), h.hairColour, hairEdge, hairW);
        break;
    case Hair::Pigtails:
        fill(p, ellipse(5.6, 21, 3.2, 4.4, 20), h.hairColour, hairEdge, hairW);
        fill(p, ellipse(26.4, 21, 3.2, 4.4, -20), h.hairColour, hairEdge, hairW);
        fill(p, circle(7.6, 17.2, 1.4), h.hatColour.isValid() ? h.hatColour : QColor("#E4572E"));
        fill(p, circle(24.4, 17.2, 1.4), h.hatColour.isValid() ? h.hatColour : QColor("#E4572E"));
        break;
    default:
        break;
    }

    // ears and head
    const QColor skinEdge = h.skin.darker(125);
    fill(p, circle(7.2, 18.5, 2.3), h.skin, skinEdge, 0.7);
    fill(p, circle(24.8, 18.5, 2.3), h.skin, skinEdge, 0.7);
    QRadialGradient sk(QPointF(14, 15), 12);
    sk.setColorAt(0, h.skin.lighter(106));
    sk.setColorAt(1, h.skin);
    p.setBrush(sk);
    p.setPen(QPen(skinEdge, 0.7));
    p.drawPath(ellipse(16, 17.6, 8.9, 9.6));

    // beard goes under the features
    const bool beardy = h.beard == Beard::Full;
    if (beardy) {
        QPainterPath b = ellipse(16, 17.4, 9.3, 10.2);
        QPainterPath cut;
        cut.addRect(QRectF(0, 19.2, 32, 14));
        QPainterPath beard = b.intersected(cut);
        QPainterPath mouthHole = ellipse(16, 22.6, 3.6, 1.9);
        beard = beard.subtracted(mouthHole);
        fill(p, beard, h.hairColour, hairEdge, hairW);
    }

    // hair in front
    switch (h.hair) {
    case Hair::Short:
    case Hair::Bun:
        fill(p, shortHairFront(), h.hairColour, hairEdge, hairW);
        break;
    case Hair::SidePart: {
        QPainterPath f;
        f.moveTo(7.0, 17);
        f.cubicTo(6.0, 3.4, 26.0, 3.4, 25.0, 17);
        f.quadTo(24.5, 13.5, 22.5, 11.8);
        f.quadTo(16, 13.8, 10, 10.8);
        f.quadTo(8.2, 13, 7.0, 17);
        f.closeSubpath();
        fill(p, f, h.hairColour, hairEdge, hairW);
        break;
    }
    case Hair::Long:
    case Hair::Bob:
    case Hair::Pigtails:
        fill(p, partedHairFront(), h.hairColour, hairEdge, hairW);
        break;
    case Hair::Curly: {
        QPainterPath f;
        for (int i = 0; i < 5; ++i)
            f = f.united(
                circle(9 + i * 3.5, 11.2 - (i == 2 ? 0.6 : 0) + (i == 0 || i == 4 ? 1.2 : 0), 2.9));
        fill(p, f, h.hairColour, hairEdge, hairW);
        break;
    }
    case Hair::Afro: {
        QPainterPath f;
        f.moveTo(7.2, 15.5);
        f.cubicTo(6.5, 6, 25.5, 6, 24.8, 15.5);
        f.quadTo(16, 9.5, 7.2, 15.5);
        f.closeSubpath();
        fill(p, f, h.hairColour);
        break;
    }
    case Hair::Spiky: {
        QPainterPath f = shortHairFront();
        f = f.united(polygon({{7.5, 11},
                              {6.5, 4.5},
                              {11, 8},
                              {12.5, 2.5},
                              {15.5, 7},
                              {18.5, 2.2},
                              {20.5, 7.5},
                              {25.5, 4.5},
                              {24.5, 11}}));
        fill(p, f.simplified(), h.hairColour, hairEdge, hairW);
        break;
    }
    case Hair::Mohawk: {
        QPainterPath f;
        f.addRoundedRect(QRectF(13.2, 2.2, 5.6, 10.5), 2.6, 2.6);
        fill(p, f, h.hairColour, hairEdge, hairW);
        break;
    }
    case Hair::Bald: {
        // a little shine on the crown
        p.setPen(QPen(QColor(255, 255, 255, 120), 1.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(10, 9.5, 8, 6), 100 * 16, 60 * 16);
        break;
    }
    }

    // hats
    const QColor hc = h.hatColour;
    switch (h.hat) {
    case Hat::Cap: {
        QPainterPath dome;
        dome.moveTo(6.6, 12.8);
        dome.arcTo(QRectF(6.6, 3.6, 18.8, 18.4), 180, -180);
        dome.closeSubpath();
        QPainterPath brim;
        brim.addRoundedRect(QRectF(14, 10.8, 14.5, 3.2), 1.6, 1.6);
        fill(p, brim, hc.darker(120), hc.darker(150), 0.7);
        fill(p, dome, hc, hc.darker(150), 0.7);
        fill(p, circle(16, 4.2, 1.2), hc.darker(130));
        p.setPen(QPen(QColor(255, 255, 255, 150), 1.0, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(9, 5.8, 10, 8), 100 * 16, 70 * 16);
        break;
    }
    case Hat::Beanie: {
        QPainterPath dome;
        dome.moveTo(6.8, 12.5);
        dome.arcTo(QRectF(6.8, 3.4, 18.4, 19), 180, -180);
        dome.closeSubpath();
        fill(p, dome, hc, hc.darker(150), 0.7);
        QPainterPath band;
        band.addRoundedRect(QRectF(6.2, 10.4, 19.6, 4.4), 2.2, 2.2);
        fill(p, band, hc.darker(118), hc.darker(150), 0.7);
        p.setPen(QPen(hc.darker(140), 0.7));
        for (int i = 0; i < 6; ++i)
            p.drawLine(QPointF(9 + i * 2.8, 11.2), QPointF(9 + i * 2.8, 14));
        fill(p, circle(16, 3.4, 2.6), QColor("#FFF6E8"), QColor("#C9B9A3"), 0.7);
        break;
    }
    case Hat::TopHat: {
        QPainterPath crown;
        crown.addRoundedRect(QRectF(9.6, 1.2, 12.8, 10.2), 1.2, 1.2);
        fill(p, crown, hc, hc.lighter(160), 0.7);
        fill(
            p,
            [] {
                QPainterPath s;
                s.addRect(QRectF(9.6, 7.6, 12.8, 2.3));
                return s;
            }(),
            QColor("#E4572E"));
        QPainterPath brim;
        brim.addRoundedRect(QRectF(5.2, 10.4, 21.6, 2.8), 1.4, 1.4);
        fill(p, brim, hc, hc.lighter(160), 0.7);
        break;
    }
    case Hat::Crown: {
        QPainterPath c = polygon({{8.2, 11.8},
                                  {7.6, 4.2},
                                  {11.8, 7.8},
                                  {16, 2.4},
                                  {20.2, 7.8},
                                  {24.4, 4.2},
                                  {23.8, 11.8}});
        fill(p, c, QColor("#F6C343"), QColor("#B8860B"), 0.8);
        fill(p, circle(16, 9.4, 1.3), QColor("#E4572E"));
        fill(p, circle(11.4, 10, 0.9), QColor("#3867D6"));
        fill(p, circle(20.6, 10, 0.9), QColor("#2E9E5B"));
        break;
    }
    case Hat::Headband: {
        QPainterPath band;
        band.moveTo(7.2, 13.6);
        band.quadTo(16, 8.4, 24.8, 13.6);
        stroke(p, band, hc, 2.6);
        break;
    }
    case Hat::Bow: {
        fill(p, polygon({{22.5, 8.5}, {18.5, 5.2}, {18.8, 11.3}}), hc, hc.darker(140), 0.7);
        fill(p, polygon({{22.5, 8.5}, {26.6, 5.6}, {26.2, 11.6}}), hc, hc.darker(140), 0.7);
        fill(p, circle(22.5, 8.5, 1.5), hc.darker(115), hc.darker(140), 0.7);
        break;
    }
    case Hat::None:
        break;
    }

    // features
    if (h.glasses != Glasses::Sun)
        eyes(p, 17.6, 12.4, 19.6, 1.45);
    if (h.glasses == Glasses::Round) {
        p.setBrush(QColor(255, 255, 255, 40));
        p.setPen(QPen(QColor("#33302E"), 1.0));
        p.drawEllipse(QPointF(12.2, 17.6), 3.0, 2.8);
        p.drawEllipse(QPointF(19.8, 17.6), 3.0, 2.8);
        p.drawLine(QPointF(15.2, 17.2), QPointF(16.8, 17.2));
        p.drawLine(QPointF(9.2, 17.2), QPointF(7.4, 16.6));
        p.drawLine(QPointF(22.8, 17.2), QPointF(24.6, 16.6));
    } else if (h.glasses == Glasses::Sun) {
        QPainterPath l, r;
        l.addRoundedRect(QRectF(8.8, 15.6, 6.4, 4.2), 1.8, 1.8);
        r.addRoundedRect(QRectF(16.8, 15.6, 6.4, 4.2), 1.8, 1.8);
        fill(p, l.united(r), QColor("#1F2A33"));
        p.setPen(QPen(QColor("#1F2A33"), 1.1));
        p.drawLine(QPointF(15, 16.6), QPointF(17, 16.6));
        p.drawLine(QPointF(8.9, 16.6), QPointF(7.4, 16.2));
        p.drawLine(QPointF(23.1, 16.6), QPointF(24.6, 16.2));
        p.setPen(QPen(QColor(255, 255, 255, 150), 0.9, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10.2, 16.8), QPointF(11.4, 16.5));
        p.drawLine(QPointF(18.2, 16.8), QPointF(19.4, 16.5));
    }

    if (!beardy)
        cheeks(p, 21.2, 10.6, 21.4, 1.6, h.skin.lightnessF() > 0.55 ? 90 : 60);

    const bool moustache = h.beard == Beard::Moustache || h.beard == Beard::Goatee;
    const double my = beardy ? 22.0 : moustache ? 23.0 : 21.9;
    if (h.openMouth) {
        QPainterPath m;
        m.moveTo(13.0, my);
        m.quadTo(16, my + 5.2, 19.0, my);
        m.closeSubpath();
        fill(p, m, QColor("#8C2F39"), QColor("#5A1E25"), 0.6);
        QPainterPath tongue = ellipse(16, my + 2.2, 1.7, 0.9);
        fill(p, tongue.intersected(m), QColor("#E98A93"));
    } else {
        smile(p, my, 3.1, 3.0, beardy ? QColor("#F7E6DA") : QColor("#5A2E1E"), 1.3);
    }

    if (h.beard == Beard::Moustache || h.beard == Beard::Goatee) {
        QPainterPath m;
        m.moveTo(16, 20.3);
        m.cubicTo(14.0, 19.0, 10.8, 19.6, 10.4, 22.6);
        m.cubicTo(12.4, 21.5, 14.4, 22.2, 16, 21.7);
        m.cubicTo(17.6, 22.2, 19.6, 21.5, 21.6, 22.6);
        m.cubicTo(21.2, 19.6, 18.0, 19.0, 16, 20.3);
        m.closeSubpath();
        fill(p, m, h.hairColour.darker(115), hairEdge.darker(115), 0.5);
    }
    if (h.beard == Beard::Goatee) {
        QPainterPath g;
        g.addRoundedRect(QRectF(14.2, 24.6, 3.6, 3.4), 1.6, 1.6);
        fill(p, g, h.hairColour, hairEdge, 0.5);
    }
}

// ---- animals

void whiskers(QPainter &p, double y, double xl, double xr) {
    p.setPen(QPen(QColor(60, 50, 45, 150), 0.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(xl, y), QPointF(xl - 5.5, y - 1.2));
    p.drawLine(QPointF(xl, y + 1.2), QPointF(xl - 5.5, y + 1.6));
    p.drawLine(QPointF(xr, y), QPointF(xr + 5.5, y - 1.2));
    p.drawLine(QPointF(xr, y + 1.2), QPointF(xr + 5.5, y + 1.6));
}

void catMouth(QPainter &p, double y) {
    QPainterPath m;
    m.moveTo(13.4, y);
    m.quadTo(14.7, y + 1.8, 16, y - 0.2);
    m.quadTo(17.3, y + 1.8, 18.6, y);
    stroke(p, m, QColor("#5A2E1E"), 1.0);
}

void drawCat(QPainter &p) {
    backdrop(p, QColor("#8EC9EF"));
    const QColor fur("#F0A04B"), edge("#B86A1E");
    fill(p, polygon({{6.2, 15}, {7.2, 3.6}, {14, 9.5}}), fur, edge);
    fill(p, polygon({{25.8, 15}, {24.8, 3.6}, {18, 9.5}}), fur, edge);
    fill(p, polygon({{8.2, 12}, {8.6, 6.6}, {12, 9.6}}), QColor("#F7B7B0"));
    fill(p, polygon({{23.8, 12}, {23.4, 6.6}, {20, 9.6}}), QColor("#F7B7B0"));
    fill(p, ellipse(16, 18.2, 10.4, 9.0), fur, edge);
    // tabby stripes on the forehead
    p.setPen(QPen(edge, 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 9.6), QPointF(16, 12.4));
    p.drawLine(QPointF(13.4, 10), QPointF(13.9, 12.2));
    p.drawLine(QPointF(18.6, 10), QPointF(18.1, 12.2));
    fill(p, ellipse(16, 22.2, 4.6, 3.2), QColor("#FFE9D2"));
    eyes(p, 17.2, 11.8, 20.2, 1.6);
    fill(p, polygon({{14.8, 20.0}, {17.2, 20.0}, {16, 21.4}}), QColor("#E56B7A"));
    catMouth(p, 21.6);
    whiskers(p, 21.0, 10.6, 21.4);
}

void drawDog(QPainter &p) {
    backdrop(p, QColor("#BFDE7A"));
    const QColor fur("#D9A066"), edge("#8A5A2B"), ear("#7A4A2A");
    fill(p, ellipse(16, 17.8, 9.3, 9.8), fur, edge);
    fill(p, ellipse(20.3, 15.8, 3.4, 3.1), QColor("#B97A40")); // patch
    fill(p, ellipse(6.4, 16.5, 3.4, 7.2, 18), ear, ear.darker(130));
    fill(p, ellipse(25.6, 16.5, 3.4, 7.2, -18), ear, ear.darker(130));
    fill(p, ellipse(16, 22.4, 5.4, 4.2), QColor("#F6E2C6"));
    eyes(p, 16.2, 12.2, 19.8, 1.55);
    fill(p, ellipse(16, 20.3, 2.3, 1.6), kInk);
    QPainterPath tongue;
    tongue.addRoundedRect(QRectF(14.8, 23.2, 2.4, 3.0), 1.2, 1.2);
    fill(p, tongue, QColor("#E9707F"));
    QPainterPath m;
    m.moveTo(13.2, 22.6);
    m.quadTo(14.6, 24, 16, 22.2);
    m.quadTo(17.4, 24, 18.8, 22.6);
    stroke(p, m, QColor("#5A2E1E"), 1.0);
}

void drawBear(QPainter &p) {
    backdrop(p, QColor("#F6D365"));
    const QColor fur("#8B5A3C"), edge("#5E3A24"), light("#DDB084");
    fill(p, circle(8.2, 9.2, 4.0), fur, edge);
    fill(p, circle(23.8, 9.2, 4.0), fur, edge);
    fill(p, circle(8.2, 9.2, 2.1), light);
    fill(p, circle(23.8, 9.2, 2.1), light);
    fill(p, circle(16, 18, 10.2), fur, edge);
    fill(p, ellipse(16, 22, 5.0, 3.9), light);
    eyes(p, 16.4, 11.8, 20.2, 1.55);
    fill(p, ellipse(16, 20.5, 2.0, 1.4), kInk);
    smile(p, 22.6, 1.8, 1.8, QColor("#4A2A18"), 1.0);
}

void drawOwl(QPainter &p) {
    backdrop(p, QColor("#B9A6E6"));
    const QColor body("#8D6E63"), edge("#5D4037");
    QPainterPath head = ellipse(16, 17.5, 10.6, 11.2);
    head = head.united(polygon({{6.2, 12}, {6.8, 3.0}, {12.5, 8}}));
    head = head.united(polygon({{25.8, 12}, {25.2, 3.0}, {19.5, 8}}));
    fill(p, head.simplified(), body, edge);
    fill(p, ellipse(16, 24.5, 5.6, 4.0), QColor("#D7C0A8"));
    p.setPen(QPen(QColor("#A1887F"), 0.8, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        p.drawArc(QRectF(12.2 + i * 2.6, 23.5, 2.2, 2), 200 * 16, 140 * 16);
        p.drawArc(QRectF(13.5 + i * 2.6 - 1.3, 25.6, 2.2, 2), 200 * 16, 140 * 16);
    }
    fill(p, circle(11.4, 15.6, 4.6), QColor("#FFF8E7"), QColor("#C7A984"), 0.8);
    fill(p, circle(20.6, 15.6, 4.6), QColor("#FFF8E7"), QColor("#C7A984"), 0.8);
    fill(p, circle(11.4, 15.8, 2.6), QColor("#F2A93B"));
    fill(p, circle(20.6, 15.8, 2.6), QColor("#F2A93B"));
    eyes(p, 15.8, 11.4, 20.6, 1.5);
    fill(p, polygon({{14.4, 19.2}, {17.6, 19.2}, {16, 22.8}}), QColor("#F28C28"), QColor("#B5651D"),
         0.6);
}

void drawFox(QPainter &p) {
    backdrop(p, QColor("#7FD3E8"));
    const QColor fur("#E8772E"), edge("#A9501B");
    fill(p, polygon({{5.4, 15}, {6.2, 2.8}, {14, 8.8}}), fur, edge);
    fill(p, polygon({{26.6, 15}, {25.8, 2.8}, {18, 8.8}}), fur, edge);
    fill(p, polygon({{7.6, 11.5}, {8.0, 5.8}, {11.8, 8.8}}), QColor("#4A2A18"));
    fill(p, polygon({{24.4, 11.5}, {24.0, 5.8}, {20.2, 8.8}}), QColor("#4A2A18"));
    QPainterPath face;
    face.moveTo(4.8, 14.5);
    face.quadTo(5.6, 24.5, 16, 28.8);
    face.quadTo(26.4, 24.5, 27.2, 14.5);
    face.quadTo(16, 4.8, 4.8, 14.5);
    face.closeSubpath();
    fill(p, face, fur, edge);
    QPainterPath white;
    white.moveTo(5.2, 16.5);
    white.quadTo(10.5, 17.5, 16, 21.8);
    white.quadTo(21.5, 17.5, 26.8, 16.5);
    white.quadTo(25.2, 24.2, 16, 28.8);
    white.quadTo(6.8, 24.2, 5.2, 16.5);
    white.closeSubpath();
    fill(p, white, QColor("#FFF6EC"));
    eyes(p, 16.2, 11.6, 20.4, 1.5);
    fill(p, ellipse(16, 25.2, 1.9, 1.4), kInk);
    smile(p, 26.2, 1.5, 1.3, QColor("#5A2E1E"), 0.9);
}

void drawPanda(QPainter &p) {
    backdrop(p, QColor("#8FD6B4"));
    const QColor black("#262626");
    fill(p, circle(8.2, 9.0, 4.0), black);
    fill(p, circle(23.8, 9.0, 4.0), black);
    fill(p, circle(16, 18, 10.3), QColor("#FCFCFA"), QColor("#9E9E9E"), 0.8);
    fill(p, ellipse(11.6, 17.4, 3.0, 3.9, 35), black);
    fill(p, ellipse(20.4, 17.4, 3.0, 3.9, -35), black);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12.0, 16.8), 1.2, 1.2);
    p.drawEllipse(QPointF(20.0, 16.8), 1.2, 1.2);
    fill(p, ellipse(16, 21.4, 1.9, 1.3), black);
    QPainterPath m;
    m.moveTo(13.8, 23.2);
    m.quadTo(14.9, 24.6, 16, 22.8);
    m.quadTo(17.1, 24.6, 18.2, 23.2);
    stroke(p, m, black, 1.0);
    cheeks(p, 22, 10.2, 21.8, 1.5, 80);
}

void drawRabbit(QPainter &p) {
    backdrop(p, QColor("#F29CB7"));
    const QColor fur("#F4F1F8"), edge("#A9A3B8"), pink("#F5A9BE");
    fill(p, ellipse(11.3, 8.0, 3.0, 7.6, -10), fur, edge);
    fill(p, ellipse(20.7, 8.0, 3.0, 7.6, 10), fur, edge);
    fill(p, ellipse(11.3, 8.4, 1.5, 5.6, -10), pink);
    fill(p, ellipse(20.7, 8.4, 1.5, 5.6, 10), pink);
    fill(p, ellipse(16, 20.2, 9.4, 8.6), fur, edge);
    eyes(p, 18.8, 12.0, 20.0, 1.5);
    fill(p, polygon({{14.9, 21.6}, {17.1, 21.6}, {16, 22.9}}), QColor("#E56B7A"));
    catMouth(p, 23.2);
    QPainterPath teeth;
    teeth.addRect(QRectF(15.0, 24.3, 2.0, 1.9));
    fill(p, teeth, Qt::white, QColor("#B0A8B8"), 0.5);
    cheeks(p, 23, 10.8, 21.2, 1.6, 100);
}

void drawFrog(QPainter &p) {
    backdrop(p, QColor("#F7B58C"));
    const QColor skin("#6CBF4B"), edge("#3E7D2A");
    QPainterPath head = ellipse(16, 19.6, 12.0, 8.8);
    head = head.united(circle(10.4, 11.2, 4.6)).united(circle(21.6, 11.2, 4.6));
    fill(p, head.simplified(), skin, edge);
    fill(p, circle(10.4, 11.0, 3.1), Qt::white);
    fill(p, circle(21.6, 11.0, 3.1), Qt::white);
    eyes(p, 11.3, 10.6, 21.4, 1.6);
    QPainterPath m;
    m.moveTo(9, 20.6);
    m.quadTo(16, 27.4, 23, 20.6);
    stroke(p, m, QColor("#2F5E20"), 1.3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#2F5E20"));
    p.drawEllipse(QPointF(14.6, 17.6), 0.6, 0.6);
    p.drawEllipse(QPointF(17.4, 17.6), 0.6, 0.6);
    cheeks(p, 21.5, 7.6, 24.4, 1.8, 90);
}

void drawPenguin(QPainter &p) {
    backdrop(p, QColor("#7FD3E8").darker(108));
    const QColor dark("#263850");
    fill(p, circle(16, 16.8, 11.2), dark);
    QPainterPath face = circle(12.2, 17.6, 5.6).united(circle(19.8, 17.6, 5.6));
    face = face.united(ellipse(16, 22, 8.2, 5.6));
    fill(p, face.simplified(), QColor("#FBFBF8"));
    eyes(p, 16.8, 12.0, 20.0, 1.5);
    fill(p, polygon({{13.6, 19.6}, {18.4, 19.6}, {16, 22.6}}), QColor("#F5A623"), QColor("#C07A0E"),
         0.6);
    cheeks(p, 21.0, 10.4, 21.6, 1.6, 110);
}

void drawLion(QPainter &p) {
    backdrop(p, QColor("#93A9F0"));
    const QColor mane("#C8641E"), face("#F4BE55"), edge("#9A4E15");
    QPainterPath m = circle(16, 16.5, 11.0);
    for (int i = 0; i < 12; ++i) {
        const double a = i * 2 * M_PI / 12;
        m = m.united(circle(16 + std::cos(a) * 11.2, 16.5 + std::sin(a) * 11.2, 3.0));
    }
    fill(p, m.simplified(), mane, edge);
    fill(p, circle(9.2, 9.8, 2.6), face, edge);
    fill(p, circle(22.8, 9.8, 2.6), face, edge);
    fill(p, circle(16, 17.6, 8.6), face, edge);
    fill(p, ellipse(16, 21.8, 4.4, 3.0), QColor("#FFEBC7"));
    eyes(p, 16.4, 12.6, 19.4, 1.45);
    fill(p, polygon({{14.4, 19.4}, {17.6, 19.4}, {16, 21.2}}), QColor("#7A3E1A"));
    catMouth(p, 21.6);
}

void drawMouse(QPainter &p) {
    backdrop(p, QColor("#F6D365"));
    const QColor fur("#A7A9AC"), edge("#6D7074");
    fill(p, circle(7.4, 10.2, 5.6), fur, edge);
    fill(p, circle(24.6, 10.2, 5.6), fur, edge);
    fill(p, circle(7.4, 10.2, 3.5), QColor("#F5B5C3"));
    fill(p, circle(24.6, 10.2, 3.5), QColor("#F5B5C3"));
    QPainterPath head;
    head.moveTo(7.5, 16.5);
    head.cubicTo(7.5, 8.0, 24.5, 8.0, 24.5, 16.5);
    head.cubicTo(24.5, 22.5, 19.0, 27.2, 16, 27.6);
    head.cubicTo(13.0, 27.2, 7.5, 22.5, 7.5, 16.5);
    head.closeSubpath();
    fill(p, head, fur, edge);
    eyes(p, 17.2, 12.4, 19.6, 1.5);
    fill(p, circle(16, 22.6, 1.5), QColor("#E56B7A"));
    whiskers(p, 22.4, 12.8, 19.2);
    cheeks(p, 21.2, 10.8, 21.2, 1.4, 80);
}

void drawPig(QPainter &p) {
    backdrop(p, QColor("#8FD6B4").darker(105));
    const QColor skin("#F7A8BC"), edge("#C46A84");
    fill(p, polygon({{6.6, 6.2}, {14, 9.0}, {8.0, 14.0}}), skin.darker(108), edge);
    fill(p, polygon({{25.4, 6.2}, {18, 9.0}, {24.0, 14.0}}), skin.darker(108), edge);
    fill(p, circle(16, 18, 10.2), skin, edge);
    fill(p, ellipse(16, 21.0, 4.6, 3.3), QColor("#EE8AA4"), edge, 0.7);
    fill(p, ellipse(14.4, 21.0, 0.9, 1.3), QColor("#A8465F"));
    fill(p, ellipse(17.6, 21.0, 0.9, 1.3), QColor("#A8465F"));
    eyes(p, 15.4, 12.0, 20.0, 1.45);
    smile(p, 25.0, 2.0, 1.4, QColor("#A8465F"), 1.0);
}

void drawMonkey(QPainter &p) {
    backdrop(p, QColor("#BFDE7A").darker(104));
    const QColor fur("#7B4B2A"), edge("#4E2E18"), face("#EBC7A0");
    fill(p, circle(5.6, 17.2, 3.6), fur, edge);
    fill(p, circle(26.4, 17.2, 3.6), fur, edge);
    fill(p, circle(5.6, 17.2, 2.0), face);
    fill(p, circle(26.4, 17.2, 2.0), face);
    fill(p, circle(16, 16.8, 10.0), fur, edge);
    QPainterPath f = circle(12.6, 15.6, 4.3).united(circle(19.4, 15.6, 4.3));
    f = f.united(ellipse(16, 21.6, 6.8, 5.0));
    fill(p, f.simplified(), face);
    eyes(p, 15.8, 12.8, 19.2, 1.45);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#6B4226"));
    p.drawEllipse(QPointF(15.1, 19.6), 0.6, 0.5);
    p.drawEllipse(QPointF(16.9, 19.6), 0.6, 0.5);
    smile(p, 22.0, 3.0, 2.8, QColor("#5A2E1E"), 1.1);
}

void drawKoala(QPainter &p) {
    backdrop(p, QColor("#F28B82"));
    const QColor fur("#9EA7AD"), edge("#667078");
    fill(p, circle(6.4, 11.4, 5.6), fur, edge);
    fill(p, circle(25.6, 11.4, 5.6), fur, edge);
    fill(p, circle(6.6, 11.8, 3.4), QColor("#F1F1F1"));
    fill(p, circle(25.4, 11.8, 3.4), QColor("#F1F1F1"));
    fill(p, ellipse(16, 18.4, 9.4, 9.2), fur, edge);
    eyes(p, 16.2, 11.4, 20.6, 1.5);
    fill(p, ellipse(16, 20.4, 2.8, 3.6), QColor("#3A3F44"));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 120));
    p.drawEllipse(QPointF(15.0, 18.8), 0.8, 1.0);
    smile(p, 25.0, 1.8, 1.3, QColor("#3A3F44"), 1.0);
    cheeks(p, 21.8, 10.6, 21.4, 1.5, 90);
}

void drawTiger(QPainter &p) {
    backdrop(p, QColor("#7FD3E8"));
    const QColor fur("#F08A24"), edge("#A65A12"), stripe("#3B2A1E");
    fill(p, circle(8.4, 9.8, 3.4), fur, edge);
    fill(p, circle(23.6, 9.8, 3.4), fur, edge);
    fill(p, circle(8.4, 9.8, 1.8), QColor("#FFF3E0"));
    fill(p, circle(23.6, 9.8, 1.8), QColor("#FFF3E0"));
    fill(p, ellipse(16, 18.0, 10.6, 9.6), fur, edge);
    p.setPen(QPen(stripe, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 8.8), QPointF(16, 12.0));
    p.drawLine(QPointF(13.4, 9.2), QPointF(14.0, 11.4));
    p.drawLine(QPointF(18.6, 9.2), QPointF(18.0, 11.4));
    p.drawLine(QPointF(5.8, 16.8), QPointF(8.6, 17.6));
    p.drawLine(QPointF(6.0, 19.6), QPointF(8.8, 19.8));
    p.drawLine(QPointF(26.2, 16.8), QPointF(23.4, 17.6));
    p.drawLine(QPointF(26.0, 19.6), QPointF(23.2, 19.8));
    fill(p, circle(13.8, 22.0, 3.2).united(circle(18.2, 22.0, 3.2)), QColor("#FFF6EA"));
    eyes(p, 16.4, 11.8, 20.2, 1.5);
    fill(p, polygon({{14.6, 19.6}, {17.4, 19.6}, {16, 21.2}}), QColor("#E56B7A"));
    catMouth(p, 21.7);
}

void drawChick(QPainter &p) {
    backdrop(p, QColor("#93A9F0").lighter(105));
    const QColor body("#FFD23F"), edge("#C99A0A");
    fill(p, ellipse(13.6, 6.6, 1.6, 3.2, -25), body, edge);
    fill(p, ellipse(17.2, 6.0, 1.6, 3.4, 20), body, edge);
    fill(p, circle(16, 18.2, 10.8), body, edge);
    eyes(p, 16.4, 11.8, 20.2, 1.6);
    fill(p, polygon({{13.4, 20.2}, {16, 18.6}, {18.6, 20.2}, {16, 22.6}}), QColor("#F28C28"),
         QColor("#B5651D"), 0.6);
    p.setPen(QPen(QColor("#B5651D"), 0.6));
    p.drawLine(QPointF(13.4, 20.2), QPointF(18.6, 20.2));
    cheeks(p, 20.6, 9.8, 22.2, 1.7, 110);
}

// Skin tones and hair colours used by the human faces.
const QColor S1("#FFE0C4"), S2("#F5C9A0"), S3("#E3AA7C"), S4("#C68A5C"), S5("#9E6B45"),
    S6("#6F4628");
const QColor HBlack("#2B2622"), HDark("#4E3526"), HBrown("#7B4B2A"), HAuburn("#A4452C"),
    HBlonde("#E8BE5E"), HGinger("#D9772B"), HGrey("#A0A0A0"), HWhite("#ECECEC"), HBlue("#3E7CC9"),
    HPink("#E5679A"), HPurple("#7E57C2"), HGreen("#3FA66B");

// The 40 faces students choose from, interleaving people and animals.
std::vector<std::function<void(QPainter &)>> faceList() {
    auto human = [](Human h) { return [h](QPainter &p) { drawHuman(p, h); }; };
    const QColor none;
    using H = Hair;
    using T = Hat;
    using G = Glasses;
    using B = Beard;
    return {
        human({QColor("#8EC9EF"), S2, H::Short, HBrown, T::None, none, G::None, B::None,
               false}), // 101
        human({QColor("#F29CB7"), S1, H::Long, HBlonde, T::None, none, G::None, B::None,
               false}), // 102
        drawCat,        // 103
        human(
            {QColor("#F6D365"), S5, H::Afro, HBlack, T::None, none, G::None, B::None, true}), // 104
        drawDog,                                                                              // 105
        human({QColor("#8FD6B4"), S3, H::SidePart, HDark, T::None, none, G::Round, B::None,
               false}), // 106
        human({QColor("#B9A6E6"), S1, H::Pigtails, HGinger, T::None, QColor("#3FA66B"), G::None,
               B::None, true}), // 107
        drawBear,               // 108
        human({QColor("#F7B58C"), S4, H::Short, HBlack, T::Cap, QColor("#E4572E"), G::None, B::None,
               false}), // 109
        drawOwl,        // 110
        human({QColor("#7FD3E8"), S2, H::Bald, HGrey, T::None, none, G::Round, B::Full,
               false}), // 111
        human(
            {QColor("#BFDE7A"), S6, H::Bun, HBlack, T::None, none, G::None, B::None, false}), // 112
        drawFox,                                                                              // 113
        human(
            {QColor("#F28B82"), S1, H::Spiky, HBlue, T::None, none, G::None, B::None, true}), // 114
        drawPanda,                                                                            // 115
        human({QColor("#93A9F0"), S3, H::Bob, HAuburn, T::None, none, G::Round, B::None,
               false}), // 116
        human({QColor("#E5CFA0"), S5, H::Short, HDark, T::Beanie, QColor("#3867D6"), G::None,
               B::None, false}), // 117
        drawRabbit,              // 118
        human({QColor("#8FD6B4"), S2, H::SidePart, HBrown, T::None, none, G::None, B::Moustache,
               false}), // 119
        drawFrog,       // 120
        human({QColor("#F6D365"), S1, H::Bob, HWhite, T::None, none, G::Round, B::None,
               false}), // 121
        human({QColor("#7FD3E8"), S4, H::Curly, HBrown, T::Headband, QColor("#F29E4C"), G::None,
               B::None, true}), // 122
        drawPenguin,            // 123
        human({QColor("#B9A6E6"), S3, H::Short, HBlack, T::None, none, G::Sun, B::None,
               false}), // 124
        drawLion,       // 125
        human(
            {QColor("#F7B58C"), S1, H::Long, HPink, T::None, none, G::None, B::None, false}), // 126
        human({QColor("#93A9F0"), S6, H::Bald, HBlack, T::None, none, G::None, B::Goatee,
               true}), // 127
        drawMouse,     // 128
        human({QColor("#F29CB7"), S2, H::Short, HDark, T::TopHat, QColor("#30343A"), G::None,
               B::Moustache, false}), // 129
        drawPig,                      // 130
        human({QColor("#BFDE7A"), S3, H::Long, HBlack, T::Bow, QColor("#E4572E"), G::None, B::None,
               false}), // 131
        human({QColor("#8EC9EF"), S5, H::Mohawk, HGreen, T::None, none, G::None, B::None,
               true}), // 132
        drawMonkey,    // 133
        human({QColor("#F28B82"), S1, H::Short, HBlonde, T::Crown, none, G::None, B::None,
               false}), // 134
        drawKoala,      // 135
        human({QColor("#E5CFA0"), S4, H::Bun, HAuburn, T::None, none, G::Round, B::None,
               false}), // 136
        human({QColor("#7FD3E8"), S2, H::Curly, HPurple, T::None, none, G::None, B::None,
               true}), // 137
        drawTiger,     // 138
        human({QColor("#F6D365"), S5, H::Short, HGrey, T::None, none, G::None, B::Full,
               false}), // 139
        drawChick,      // 140
    };
}

QImage drawFace(const std::function<void(QPainter &)> &draw) {
    QImage img = canvas(32, 32);
    QPainter p;
    begin(p, img);
    draw(p);
    p.end();
    return img;
}

QPainterPath puzzlePiece() {
    QPainterPath body;
    body.addRoundedRect(QRectF(4.5, 9.5, 18, 18), 2.2, 2.2);
    body = body.united(circle(13.5, 7.0, 3.4)); // knob on top
    body = body.united(polygon({{11.6, 10}, {15.4, 10}, {14.8, 8}, {12.2, 8}}));
    body = body.united(circle(25.0, 18.5, 3.4)); // knob on the right
    body = body.united(polygon({{22, 16.6}, {22, 20.4}, {24, 19.8}, {24, 17.2}}));
    body = body.subtracted(circle(6.6, 18.5, 3.0));  // socket on the left
    body = body.subtracted(circle(13.5, 25.4, 3.0)); // socket at the bottom
    return body.simplified();
}

QImage activityIcon(bool selected) {
    QImage img = canvas(32, 32);
    QPainter p;
    begin(p, img);
    QColor c = QColor("#F29E4C");
    if (selected) {
        QRadialGradient glow(QPointF(16, 16), 16);
        glow.setColorAt(0, QColor(255, 226, 120, 255));
        glow.setColorAt(0.7, QColor(255, 210, 90, 190));
        glow.setColorAt(1, QColor(255, 210, 90, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(QRectF(0, 0, 32, 32));
        c = QColor("#E4572E");
    }
    const QPainterPath piece = puzzlePiece();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawPath(piece.translated(0.8, 1.2));
    QLinearGradient g(0, 5, 0, 28);
    g.setColorAt(0, c.lighter(125));
    g.setColorAt(1, c.darker(108));
    p.setBrush(g);
    p.setPen(QPen(selected ? QColor("#FFFFFF") : c.darker(150), selected ? 1.6 : 1.0));
    p.drawPath(piece);
    // shine
    p.setPen(QPen(QColor(255, 255, 255, 140), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(7, 12, 10, 10), 95 * 16, 70 * 16);
    if (selected) {
        // sparkle announcing the chosen activity
        QPainterPath star;
        const QPointF sc(26.2, 6.2);
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4 - M_PI / 2;
            const double r = (i % 2 == 0) ? 4.2 : 1.4;
            const QPointF pt = sc + QPointF(std::cos(a) * r, std::sin(a) * r);
            if (i == 0)
                star.moveTo(pt);
            else
                star.lineTo(pt);
        }
        star.closeSubpath();
        fill(p, star, Qt::white, QColor("#E0A100"), 0.8);
    }
    p.end();
    return img;
}

QImage subjectIcon32() {
    QImage img = canvas(32, 32);
    QPainter p;
    begin(p, img);
    const QColor cover = kBook;
    QPainterPath pages;
    pages.addRoundedRect(QRectF(8.5, 23, 19, 5.5), 1.5, 1.5);
    fill(p, pages, QColor("#FFFDF6"), cover.darker(150), 1.0);
    p.setPen(QPen(QColor("#C9C2B2"), 0.7));
    p.drawLine(QPointF(10, 25), QPointF(26.5, 25));
    p.drawLine(QPointF(10, 26.8), QPointF(26.5, 26.8));
    QPainterPath c;
    c.addRoundedRect(QRectF(5.5, 3, 21, 21.5), 2.4, 2.4);
    QLinearGradient g(5, 0, 27, 0);
    g.setColorAt(0, cover.darker(118));
    g.setColorAt(0.22, cover.lighter(118));
    g.setColorAt(1, cover);
    p.setBrush(g);
    p.setPen(QPen(cover.darker(150), 1.0));
    p.drawPath(c);
    p.setPen(QPen(cover.darker(135), 1.2));
    p.drawLine(QPointF(10, 4), QPointF(10, 23.5));
    QPainterPath label;
    label.addRoundedRect(QRectF(13, 7.5, 10.5, 5.5), 1.2, 1.2);
    fill(p, label, QColor(255, 255, 255, 235));
    p.setPen(QPen(QColor("#9AB6D3"), 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14.8, 9.5), QPointF(21.7, 9.5));
    p.drawLine(QPointF(14.8, 11.2), QPointF(19.5, 11.2));
    // speech mark on the cover: the book holds phrases to speak
    fill(p, bubble(QRectF(14, 15.2, 9, 5.6), 2.2, true, 2.4), kOrange);
    fill(p, polygon({{23, 24.5}, {25.5, 24.5}, {25.5, 30.5}, {24.25, 29}, {23, 30.5}}),
         QColor("#E4572E"));
    p.end();
    return img;
}

// ---------------------------------------------------------------- app icon

// Drawn on a 64-unit grid and scaled, so every size the desktop asks for
// (16 to 256 pixels) is drawn sharp rather than resampled.
QImage appIcon(int size = 64) {
    QImage img = canvas(size, size, 1);
    QPainter p;
    begin(p, img);
    p.scale(size / 64.0, size / 64.0);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(2, 2, 60, 60), 14, 14);
    QLinearGradient g(0, 2, 64, 62);
    g.setColorAt(0, QColor("#1FA2A8"));
    g.setColorAt(1, kBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawPath(tile.translated(0, 1.5));
    p.setBrush(g);
    p.drawPath(tile);

    const QPainterPath back = bubble(QRectF(28, 7, 28, 20), 7, false, 7);
    fill(p, back, kOrange);
    p.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i)
        p.drawPoint(QPointF(37 + i * 6, 15.5));

    const QPainterPath front = bubble(QRectF(8, 22, 36, 27), 9, true, 10);
    p.setPen(QPen(QColor(14, 94, 111, 140), 2));
    p.setBrush(Qt::white);
    p.drawPath(front);
    p.setFont(font(24));
    p.setPen(kTeal);
    p.drawText(QRectF(8, 22, 36, 27), Qt::AlignCenter, QStringLiteral("T"));
    p.end();
    return img;
}

// ---------------------------------------------------------------- click

// A soft, short tick: two damped sine partials with a fast fade-in, written
// as 8-bit mono PCM so the embedded wave stays a few hundred bytes.
QByteArray clickWave() {
    const int rate = 11025;
    const int n = rate * 45 / 1000;
    QByteArray pcm;
    pcm.reserve(n);
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        const double attack = std::min(1.0, t / 0.0012);
        const double env = attack * std::exp(-t / 0.0075);
        const double s = 0.62 * std::sin(2 * M_PI * 1650 * t) + 0.38 * std::sin(2 * M_PI * 820 * t);
        const double tail = (i > n - 40) ? double(n - i) / 40.0 : 1.0;
        const int v = 128 + qRound(s * env * tail * 70.0);
        pcm.append(char(std::clamp(v, 0, 255)));
    }
    QByteArray wav;
    auto u32 = [&](quint32 v) {
        for (int k = 0; k < 4; ++k)
            wav.append(char((v >> (8 * k)) & 0xFF));
    };
    auto u16 = [&](quint16 v) {
        wav.append(char(v & 0xFF));
        wav.append(char(v >> 8));
    };
    wav.append("RIFF");
    u32(36 + pcm.size());
    wav.append("WAVE");
    wav.append("fmt ");
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(rate);
    u32(rate); // bytes per second
    u16(1);    // block align
    u16(8);    // bits per sample
    wav.append("data");
    u32(pcm.size());
    wav.append(pcm);
    if (pcm.size() % 2)
        wav.append(char(0)); // RIFF chunks are word aligned
    return wav;
}

// ---------------------------------------------------------------- sheet

QImage contactSheet(const std::vector<QImage> &faces, const std::vector<QImage> &tree,
                    const std::vector<QImage> &logos, const QImage &tile, const QImage &splash,
                    const QImage &bullet, const QImage &ticker, const QImage &app,
                    const std::vector<QImage> &extra) {
    QImage sheet(1100, 1100, QImage::Format_RGB32);
    sheet.fill(QColor("#D9D9D9"));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    auto tiled = [&](const QRect &r, const QImage &t) {
        // the window steps by 88% of the tile, so the tiles overlap
        const int sx = int(t.width() * 0.88), sy = int(t.height() * 0.88);
        p.save();
        p.setClipRect(r);
        for (int y = r.top(); y < r.bottom(); y += sy)
            for (int x = r.left(); x < r.right(); x += sx)
                p.drawImage(x, y, t);
        p.restore();
    };

    // faces at 2x, 1x and 16 px
    for (int i = 0; i < 40; ++i) {
        const int col = i % 10, row = i / 10;
        p.drawImage(QRect(10 + col * 72, 10 + row * 72, 64, 64), faces[i]);
        p.drawImage(10 + col * 40, 310 + row * 36, faces[i]);
        p.drawImage(QRect(420 + col * 22, 310 + row * 22, 16, 16), faces[i]);
        p.drawImage(QRect(670 + col * 22, 310 + row * 22, 16, 16),
                    faces[i].scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    for (size_t i = 0; i < extra.size(); ++i) {
        p.drawImage(QRect(740 + int(i) * 72, 10, 64, 64), extra[i]);
        p.drawImage(740 + int(i) * 40, 90, extra[i]);
        p.drawImage(QRect(740 + int(i) * 22, 130, 16, 16),
                    extra[i].scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    p.drawImage(QRect(740, 160, 128, 128), app);
    p.drawImage(880, 160, app);

    // tree icons at 4x (nearest) and 1x on white and on the tile
    p.fillRect(QRect(10, 460, 1080, 90), Qt::white);
    for (size_t i = 0; i < tree.size(); ++i) {
        p.drawImage(QRect(20 + int(i) * 72, 466, 64, 64), tree[i]);
        p.drawImage(36 + int(i) * 72, 532, tree[i]);
    }

    // logos on the tiled background
    tiled(QRect(10, 560, 1080, 360), tile);
    for (int i = 0; i < 8; ++i)
        p.drawImage(20 + (i % 4) * 265, 570 + (i / 4) * 90, logos[i]);
    p.drawImage(20, 760, ticker);
    p.setFont(font(13, QFont::Normal));
    p.setPen(kInk);
    p.drawText(
        QRect(36, 776, 345, 78), Qt::AlignLeft | Qt::TextWordWrap,
        QStringLiteral(
            "Tip: practise a little every day. Press a game to study the selected subject."));
    for (int i = 0; i < 4; ++i) {
        p.drawImage(420, 770 + i * 28, bullet);
        p.drawText(442, 783 + i * 28, QStringLiteral("Menu link number %1").arg(i + 1));
    }
    tiled(QRect(700, 770, 380, 140), splash);
    p.drawImage(QRect(10, 930, 240, 120), tile);
    p.drawImage(QRect(260, 930, 240, 120), splash);
    p.end();
    return sheet;
}

// ---------------------------------------------------------------- all

struct Pictures {
    std::vector<QImage> logos, tree, faces, extra;
    QImage tile, splash, bullet, ticker;
};

// Draws and writes every picture the program shows at one density.
Pictures drawAndSave(int scale) {
    g_scale = scale;
    Pictures all;
    for (int i = 0; i < 8; ++i) {
        all.logos.push_back(drawLogo(kBuilds[i]));
        save(all.logos.back(), QStringLiteral("logos/logo%1.png").arg(i + 1));
    }

    all.tile = drawTile(QColor(236, 244, 243), QColor(214, 231, 230));
    all.splash = drawTile(QColor(250, 245, 235), QColor(240, 226, 205));
    save(all.tile, QStringLiteral("tiles/background.png"));
    save(all.splash, QStringLiteral("tiles/splash.png"));

    all.tree = {
        folderIcon(kFixedFolder, kFixedFolderEdge, false),
        folderIcon(kFixedFolder, kFixedFolderEdge, true),
        folderIcon(kVirtualFolder, kVirtualFolderEdge, false),
        folderIcon(kVirtualFolder, kVirtualFolderEdge, true),
        bookIcon(kBook, false, false),
        bookIcon(kBook, true, false),
        bookIcon(kVirtualBook, false, true),
        bookIcon(kVirtualBook, true, true),
        phraseIcon(kPhrase),
        phraseIcon(kVirtualPhrase),
        brokenIcon(),
    };
    for (size_t i = 0; i < all.tree.size(); ++i)
        save(all.tree[i], QStringLiteral("tree/%1.png").arg(i + 1));

    all.bullet = bulletIcon();
    all.ticker = tickerFrame();
    save(all.bullet, QStringLiteral("menu/bullet.png"));
    save(all.ticker, QStringLiteral("menu/ticker_frame.png"));

    const auto list = faceList();
    for (size_t i = 0; i < list.size(); ++i) {
        all.faces.push_back(drawFace(list[i]));
        save(all.faces.back(), QStringLiteral("faces/%1.png").arg(101 + i));
    }
    all.extra = {activityIcon(false), activityIcon(true), subjectIcon32()};
    for (size_t i = 0; i < all.extra.size(); ++i)
        save(all.extra[i], QStringLiteral("faces/%1.png").arg(141 + i));
    return all;
}

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tvx-art <resources-dir> [--sheet <png>]\n");
        return 2;
    }
    g_out = args.at(1);
    QString sheetPath;
    const int sheetArg = args.indexOf(QStringLiteral("--sheet"));
    if (sheetArg > 0 && sheetArg + 1 < args.size())
        sheetPath = args.at(sheetArg + 1);

    // The pictures the program shows at 1x, then the same at 2x.
    const Pictures pictures = drawAndSave(1);
    g_scale = 2;
    drawAndSave(2);
    g_scale = 1;

    const QImage icon = appIcon();
    save(icon, QStringLiteral("app/tolvanex.png"));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        save(appIcon(size), QStringLiteral("app/icons/%1.png").arg(size));

    QDir().mkpath(g_out + "/sounds");
    QFile wav(g_out + "/sounds/click.wav");
    if (!wav.open(QIODevice::WriteOnly) || wav.write(clickWave()) < 0) {
        std::fprintf(stderr, "tvx-art: cannot write %s\n", qPrintable(wav.fileName()));
        return 1;
    }
    wav.close();

    if (!sheetPath.isEmpty())
        contactSheet(pictures.faces, pictures.tree, pictures.logos, pictures.tile, pictures.splash,
                     pictures.bullet, pictures.ticker, icon, pictures.extra)
            .save(sheetPath);
    return 0;
}
