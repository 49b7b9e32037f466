#include "activity_tool.h"

#include "platform/ado.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

namespace tvxactivity {

namespace {

// The program's palette: deep teal at rest, warm orange under the mouse.
const QColor kTeal("#0E5E6F");
const QColor kTealMid("#1A8A99");
const QColor kOrange("#F29E4C");
const QColor kOrangeLight("#FBD19E");
const QColor kInk("#2A2320");

QByteArray pngOf(const QImage &image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QPainterPath roundedRect(const QRectF &r, double radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// Two cards fanned out, the front one showing a line of text.
void drawCards(QPainter &p, const QPointF &centre, const QColor &ink, const QColor &paper) {
    for (int i = 0; i < 2; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(i == 0 ? -14 : 8);
        const QRectF card(-15 + i * 4, -19, 28, 38);
        p.setPen(QPen(ink, 2.2));
        p.setBrush(i == 0 ? paper.darker(112) : paper);
        p.drawRoundedRect(card, 4, 4);
        if (i == 1) {
            p.setPen(QPen(ink, 2.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(card.left() + 7, -4), QPointF(card.right() - 7, -4));
            p.drawLine(QPointF(card.left() + 7, 4), QPointF(card.right() - 11, 4));
        }
        p.restore();
    }
}

// A loudspeaker with two sound waves.
void drawSpeaker(QPainter &p, const QPointF &c, const QColor &ink) {
    QPainterPath speaker;
    speaker.moveTo(c + QPointF(-17, -7));
    speaker.lineTo(c + QPointF(-9, -7));
    speaker.lineTo(c + QPointF(1, -16));
    speaker.lineTo(c + QPointF(1, 16));
    speaker.lineTo(c + QPointF(-9, 7));
    speaker.lineTo(c + QPointF(-17, 7));
    speaker.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(speaker);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 2; ++i) {
        const double r = 9 + i * 8;
        p.drawArc(QRectF(c.x() + 1 - r, c.y() - r, 2 * r, 2 * r), -50 * 16, 100 * 16);
    }
}

// A pencil writing a wavy line.
void drawPencil(QPainter &p, const QPointF &c, const QColor &ink, const QColor &paper) {
    p.save();
    p.translate(c);
    p.setPen(QPen(ink, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath line;
    line.moveTo(-20, 16);
    line.cubicTo(-14, 9, -9, 23, -3, 16);
    p.drawPath(line);
    p.rotate(-45);
    const QRectF body(-6, -22, 12, 30);
    p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(paper);
    p.drawRect(body);
    QPainterPath tip;
    tip.moveTo(-6, 8);
    tip.lineTo(6, 8);
    tip.lineTo(0, 19);
    tip.closeSubpath();
    p.drawPath(tip);
    p.setBrush(ink);
    p.drawRect(QRectF(-6, -22, 12, 6));
    p.restore();
}

// Two cards side by side, joined: a pair found.
void drawPairs(QPainter &p, const QPointF &c, const QColor &ink, const QColor &paper) {
    for (int i = 0; i < 2; ++i) {
        const QRectF card(c.x() - 24 + i * 26, c.y() - 16, 22, 32);
        p.setPen(QPen(ink, 2.2));
        p.setBrush(i == 0 ? paper : paper.darker(108));
        p.drawRoundedRect(card, 4, 4);
        p.setPen(QPen(ink, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(card.left() + 6, c.y() - 4), QPointF(card.right() - 6, c.y() - 4));
        p.drawLine(QPointF(card.left() + 6, c.y() + 4), QPointF(card.right() - 8, c.y() + 4));
    }
    p.setPen(QPen(ink, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - 6, c.y() - 21), QPointF(c.x() + 6, c.y() - 21));
    p.drawLine(QPointF(c.x() - 6, c.y() + 21), QPointF(c.x() + 6, c.y() + 21));
}

// A microphone on its stand, a sound wave on either side.
void drawMicrophone(QPainter &p, const QPointF &c, const QColor &ink) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(c.x() - 6.5, c.y() - 19, 13, 24), 6.5, 6.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(c.x() - 11, c.y() - 12, 22, 22), 200 * 16, 140 * 16);
    p.drawLine(c + QPointF(0, 10), c + QPointF(0, 17));
    p.drawLine(c + QPointF(-8, 18), c + QPointF(8, 18));
    p.setPen(QPen(ink, 2.4, Qt::SolidLine, Qt::RoundCap));
    for (const double side : {-1.0, 1.0}) {
        const double r = 19;
        p.drawArc(QRectF(c.x() - r, c.y() - 7 - r, 2 * r, 2 * r), side < 0 ? 155 * 16 : -25 * 16,
                  50 * 16);
    }
}

QFont buttonFont(double pixels) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qRound(pixels));
    font.setWeight(QFont::Bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QImage drawPicture(const QString &name, Symbol symbol, bool highlighted) {
    QImage image(kButtonWidth, kButtonHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF body(2, 2, kButtonWidth - 4, kButtonHeight - 4);
    QLinearGradient fill(0, body.top(), 0, body.bottom());
    fill.setColorAt(0, highlighted ? kOrangeLight : kTealMid);
    fill.setColorAt(1, highlighted ? kOrange : kTeal);
    p.setPen(QPen(highlighted ? Qt::white : kTeal.darker(130), highlighted ? 3 : 2));
    p.setBrush(fill);
    p.drawPath(roundedRect(body, 16));
    // A soft gloss over the upper half.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, highlighted ? 70 : 40));
    p.drawPath(roundedRect(QRectF(8, 6, kButtonWidth - 16, kButtonHeight / 2.0 - 6), 12));

    const QColor ink = highlighted ? kInk : Qt::white;
    QRectF textArea = body.adjusted(14, 6, -14, -6);
    if (symbol != Symbol::None) {
        const QPointF centre(body.left() + 42, body.center().y());
        p.setPen(Qt::NoPen);
        p.setBrush(highlighted ? QColor(255, 255, 255, 150) : QColor(255, 255, 255, 45));
        p.drawEllipse(centre, 30, 30);
        const QColor cardInk = highlighted ? kInk : kTeal.darker(120);
        if (symbol == Symbol::Cards)
            drawCards(p, centre, cardInk, QColor("#FFF8EC"));
        else if (symbol == Symbol::Pencil)
            drawPencil(p, centre, ink, QColor("#FFF8EC"));
        else if (symbol == Symbol::Pairs)
            drawPairs(p, centre, cardInk, QColor("#FFF8EC"));
        else if (symbol == Symbol::Speak)
            drawMicrophone(p, centre, ink);
        else
            drawSpeaker(p, centre, ink);
        textArea.setLeft(centre.x() + 40);
    }

    // The largest size at which the name fits on one line.
    QFont font = buttonFont(30);
    while (font.pixelSize() > 12 && QFontMetricsF(font).horizontalAdvance(name) > textArea.width())
        font.setPixelSize(font.pixelSize() - 1);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(name);
    const double x = textArea.left() + qMax(0.0, (textArea.width() - width) / 2);
    const double y = textArea.center().y() + (metrics.ascent() - metrics.descent()) / 2;
    QPainterPath text;
    text.addText(x, y, font, name);
    p.setPen(Qt::NoPen);
    p.setBrush(highlighted ? QColor(255, 255, 255, 140) : QColor(0, 0, 0, 90));
    p.drawPath(text.translated(1.5, 1.5));
    p.setBrush(ink);
    p.drawPath(text);
    p.end();

    // 192 DPI: twice the pixels of the 96 DPI button, as drawn.
    image.setDotsPerMeterX(7559);
    image.setDotsPerMeterY(7559);
    return image;
}

void requirePng(const QByteArray &bytes, const QString &what) {
    QImage image;
    if (!bytes.startsWith("\x89PNG\r\n\x1a\n") || !image.loadFromData(bytes, "PNG"))
        throw ToolError(QStringLiteral("%1 is not a PNG picture.").arg(what));
}

QString value(const QStringList &args, const QString &option) {
    const qsizetype at = args.indexOf(option);
    if (at < 0 || at + 1 >= args.size())
        return QString();
    return args[at + 1];
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw ToolError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

const char *const kUsage =
    "usage:\n"
    "  tvx-activity draw --english <name> --spanish <name> [--symbol "
    "cards|listen|pencil|pairs|speak|none] "
    "--out <file.cfg>\n"
    "  tvx-activity pack --english-normal <picture> --english-highlighted <picture>\n"
    "                    --spanish-normal <picture> --spanish-highlighted <picture> "
    "--out <file.cfg>\n"
    "  tvx-activity unpack <file.cfg> --out <folder>\n";

} // namespace

ButtonPictures DrawButton(const QString &name, Symbol symbol) {
    QImage normal = drawPicture(name, symbol, false);
    QImage highlighted = drawPicture(name, symbol, true);
    // The words drawn, as text too: the shell names the button by them for
    // screen readers.
    normal.setText(QStringLiteral("Title"), name);
    highlighted.setText(QStringLiteral("Title"), name);
    return ButtonPictures{pngOf(normal), pngOf(highlighted)};
}

void WriteDescriptor(const QString &path, const ButtonPictures &english,
                     const ButtonPictures &spanish) {
    requirePng(english.normal, QStringLiteral("The English normal picture"));
    requirePng(english.highlighted, QStringLiteral("The English highlighted picture"));
    requirePng(spanish.normal, QStringLiteral("The Spanish normal picture"));
    requirePng(spanish.highlighted, QStringLiteral("The Spanish highlighted picture"));

    const QString target = QFileInfo(path).absoluteFilePath();
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        throw ToolError(QStringLiteral("Cannot make the folder of %1.").arg(target));
    const QString partial = target + QStringLiteral(".partial");
    QFile::remove(partial);
    try {
        ado::Connection::CreateDatabase(partial);
        ado::Connection db;
        db.Open(ado::ConnectionString(partial, QString()));
        db.Execute(QStringLiteral("CREATE TABLE tblImages (bSpanish BLOB, bEnglish BLOB)"));
        // Row order is the meaning: first the normal, then the highlighted picture.
        db.Execute(QStringLiteral("INSERT INTO tblImages (bSpanish, bEnglish) VALUES (?, ?)"),
                   {spanish.normal, english.normal});
        db.Execute(QStringLiteral("INSERT INTO tblImages (bSpanish, bEnglish) VALUES (?, ?)"),
                   {spanish.highlighted, english.highlighted});
        db.SetPassword(QString::fromLatin1(kDescriptorPassword));
        db.Close();
    } catch (const ado::Error &e) {
        QFile::remove(partial);
        throw ToolError(e.description());
    }
    QFile::remove(target);
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        throw ToolError(QStringLiteral("Cannot write %1.").arg(target));
    }
}

Descriptor ReadDescriptor(const QString &path) {
    try {
        ado::Connection db;
        db.Open(ado::ConnectionString(path, QString::fromLatin1(kDescriptorPassword)));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblImages"), db);
        if (rs.RecordCount() < 2)
            throw ToolError(QStringLiteral("%1 holds %2 picture rows; it needs two.")
                                .arg(path, QString::number(rs.RecordCount())));
        Descriptor d;
        rs.MoveFirst();
        d.english.normal = rs[QStringLiteral("bEnglish")].GetChunk();
        d.spanish.normal = rs[QStringLiteral("bSpanish")].GetChunk();
        rs.MoveNext();
        d.english.highlighted = rs[QStringLiteral("bEnglish")].GetChunk();
        d.spanish.highlighted = rs[QStringLiteral("bSpanish")].GetChunk();
        return d;
    } catch (const ado::Error &e) {
        throw ToolError(e.description());
    }
}

QByteArray PngFromFile(const QString &path) {
    QImage image;
    if (!image.load(path))
        throw ToolError(QStringLiteral("%1 is not a picture file that can be read.").arg(path));
    return pngOf(image);
}

int Run(const QStringList &args, QTextStream &out, QTextStream &err) {
    const QString command = args.value(0);
    const QString output = value(args, QStringLiteral("--out"));
    try {
        if (command == QLatin1String("draw") && !output.isEmpty()) {
            const QString english = value(args, QStringLiteral("--english"));
            const QString spanish = value(args, QStringLiteral("--spanish"));
            const QString symbolName = value(args, QStringLiteral("--symbol"));
            Symbol symbol = Symbol::None;
            if (symbolName == QLatin1String("cards"))
                symbol = Symbol::Cards;
            else if (symbolName == QLatin1String("listen"))
                symbol = Symbol::Listen;
            else if (symbolName == QLatin1String("pencil"))
                symbol = Symbol::Pencil;
            else if (symbolName == QLatin1String("pairs"))
                symbol = Symbol::Pairs;
            else if (symbolName == QLatin1String("speak"))
                symbol = Symbol::Speak;
            const bool knownSymbol = symbolName.isEmpty() || symbol != Symbol::None ||
                                     symbolName == QLatin1String("none");
            if (english.isEmpty() || spanish.isEmpty() || !knownSymbol) {
                err << kUsage;
                return 2;
            }
            WriteDescriptor(output, DrawButton(english, symbol), DrawButton(spanish, symbol));
            out << "Wrote " << output << "\n";
            return 0;
        }
        if (command == QLatin1String("pack") && !output.isEmpty()) {
            QStringList files;
            for (const char *option : {"--english-normal", "--english-highlighted",
                                       "--spanish-normal", "--spanish-highlighted"}) {
                files << value(args, QLatin1String(option));
                if (files.last().isEmpty()) {
                    err << kUsage;
                    return 2;
                }
            }
            WriteDescriptor(output, {PngFromFile(files[0]), PngFromFile(files[1])},
                            {PngFromFile(files[2]), PngFromFile(files[3])});
            out << "Wrote " << output << "\n";
            return 0;
        }
        if (command == QLatin1String("unpack") && args.size() >= 2 && !output.isEmpty()) {
            const Descriptor d = ReadDescriptor(args[1]);
            if (!QDir().mkpath(output))
                throw ToolError(QStringLiteral("Cannot make the folder %1.").arg(output));
            const QString folder = QDir(output).absolutePath() + QLatin1Char('/');
            writeFile(folder + QStringLiteral("english-normal.png"), d.english.normal);
            writeFile(folder + QStringLiteral("english-highlighted.png"), d.english.highlighted);
            writeFile(folder + QStringLiteral("spanish-normal.png"), d.spanish.normal);
            writeFile(folder + QStringLiteral("spanish-highlighted.png"), d.spanish.highlighted);
            out << "Wrote four pictures to " << folder << "\n";
            return 0;
        }
    } catch (const ToolError &e) {
        err << "tvx-activity: " << e.message() << "\n";
        return 1;
    }
    err << kUsage;
    return 2;
}

} // namespace tvxactivity
