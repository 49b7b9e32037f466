#include "students/progress_chart.h"

#include <QEvent>
#include <QLineF>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMargin = 8;
constexpr double kDotRadius = 3;

QString scoreText(double value) {
    return QString::number(value, 'g', 6);
}

} // namespace

ProgressChart::ProgressChart(QWidget *parent) : QWidget(parent) {
    // A picture, not a control: the keyboard passes it by.
    setFocusPolicy(Qt::NoFocus);
}

void ProgressChart::SetPoints(QVector<scores::ChartPoint> points) {
    m_points = std::move(points);
    // What a screen reader says instead of the picture.
    QStringList values;
    for (const scores::ChartPoint &point : std::as_const(m_points))
        values << scoreText(point.score);
    setAccessibleDescription(values.join(QStringLiteral(", ")));
    m_drawn = QPixmap();
    update();
}

std::pair<double, double> ProgressChart::scoreRange() const {
    double low = 0;
    double high = 0;
    for (const scores::ChartPoint &point : m_points) {
        low = std::min(low, point.score);
        high = std::max(high, point.score);
    }
    if (high <= low)
        high = low + 1;
    return {low, high};
}

QRectF ProgressChart::plotArea() const {
    // Room on the left for the axis' numbers.
    const double labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 4;
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    // Room below for a line of days.
    return frame.adjusted(kMargin + labelWidth, kMargin + fontMetrics().height() / 2.0, -kMargin,
                          -kMargin - fontMetrics().height() - 2);
}

QVector<std::pair<int, QString>> ProgressChart::AxisLabels() const {
    QVector<std::pair<int, QString>> labels;
    for (const DayLabel &label : dayLabels())
        labels.push_back({label.index, label.text});
    return labels;
}

QVector<ProgressChart::DayLabel> ProgressChart::dayLabels() const {
    QVector<DayLabel> labels;
    const int n = int(m_points.size());
    if (n == 0)
        return labels;
    // As many evenly chosen points as their days fit side by side, the
    // first and the last among them. The days of a chart are written alike,
    // so a few of them tell how many fit.
    const QFontMetricsF metrics(fontMetrics());
    const double gap = metrics.horizontalAdvance(QStringLiteral("  "));
    double typical = 0;
    for (const int i : {0, n / 2, n - 1})
        typical = std::max(typical, metrics.horizontalAdvance(m_points[i].day));
    const QRectF area = plotArea();
    const QRectF frame = QRectF(rect()).adjusted(2.5, 0, -2.5, 0);
    const int fit = std::max(2, int(area.width() / (typical + gap)) + 1);
    const int count = std::min(n, fit);
    const QVector<QPointF> positions = PointPositions();
    const auto labelAt = [&](int index) {
        const QString &text = m_points[index].day;
        const double width = metrics.horizontalAdvance(text) + 2;
        // Centred under its point, kept inside the frame.
        const double left = std::clamp(positions[index].x() - width / 2, frame.left(),
                                       std::max(frame.left(), frame.right() - width));
        return DayLabel{index, text, QRectF(left, area.bottom() + 2, width, metrics.height())};
    };
    for (int k = 0; k < count; ++k) {
        const int index = count == 1 ? 0 : int(std::lround(double(k) * (n - 1) / (count - 1)));
        if (!labels.isEmpty() && labels.back().index == index)
            continue;
        const DayLabel label = labelAt(index);
        // The last day always shows: it gives way to none but the first.
        while (!labels.isEmpty() && label.rect.left() < labels.back().rect.right() + gap &&
               index == n - 1 && labels.size() > 1)
            labels.pop_back();
        if (labels.isEmpty() || label.rect.left() >= labels.back().rect.right() + gap)
            labels.push_back(label);
    }
    return labels;
}

QVector<QPointF> ProgressChart::PointPositions() const {
    QVector<QPointF> positions;
    if (m_points.isEmpty())
        return positions;
    const QRectF area = plotArea();
    const auto [low, high] = scoreRange();
    const int n = int(m_points.size());
    for (int i = 0; i < n; ++i) {
        const double x = n == 1 ? area.center().x() : area.left() + area.width() * i / (n - 1);
        const double y = area.bottom() - area.height() * (m_points[i].score - low) / (high - low);
        positions << QPointF(x, y);
    }
    return positions;
}

void ProgressChart::paintEvent(QPaintEvent *) {
    // The picture is drawn once for its points, size and look; the window
    // paints it again whenever anything near it changes.
    const qreal ratio = devicePixelRatioF();
    if (m_drawn.isNull() || m_drawn.deviceIndependentSize() != QSizeF(size()) ||
        m_drawn.devicePixelRatio() != ratio) {
        m_drawn = QPixmap(size() * ratio);
        m_drawn.setDevicePixelRatio(ratio);
        m_drawn.fill(Qt::transparent);
        QPainter picture(&m_drawn);
        picture.setFont(font());
        draw(picture);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_drawn);
}

void ProgressChart::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::StyleChange)
        m_drawn = QPixmap();
    QWidget::changeEvent(event);
}

void ProgressChart::draw(QPainter &painter) const {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(QColor(150, 150, 150), 1));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRoundedRect(frame, 4, 4);
    if (m_points.isEmpty())
        return;

    const QRectF area = plotArea();
    const auto [low, high] = scoreRange();
    // The axis: a base line with the lowest and highest score beside it.
    painter.setPen(QPen(QColor(190, 190, 190), 1));
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.topLeft(), area.bottomLeft());
    painter.setPen(palette().color(QPalette::WindowText));
    const double labelRight = area.left() - 4;
    const double textHeight = fontMetrics().height();
    painter.drawText(
        QRectF(frame.left(), area.top() - textHeight / 2, labelRight - frame.left(), textHeight),
        Qt::AlignRight | Qt::AlignVCenter, scoreText(high));
    painter.drawText(
        QRectF(frame.left(), area.bottom() - textHeight / 2, labelRight - frame.left(), textHeight),
        Qt::AlignRight | Qt::AlignVCenter, scoreText(low));

    const QVector<QPointF> positions = PointPositions();
    // The days under the time axis.
    for (const DayLabel &label : dayLabels())
        painter.drawText(label.rect, Qt::AlignCenter, label.text);
    const QColor line(0, 90, 200);
    if (positions.size() > 1) {
        // Separate segments with square ends, which meet as a joined line
        // does at this width: the raster engine draws those straight, where a
        // path with round joins is first turned into an outline, which cost
        // most of a click in the viewer.
        QVector<QLineF> segments;
        segments.reserve(positions.size() - 1);
        for (int i = 1; i < positions.size(); ++i)
            segments << QLineF(positions[i - 1], positions[i]);
        painter.setPen(QPen(line, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawLines(segments);
    }
    painter.setPen(QPen(line.darker(130), 1));
    painter.setBrush(line);
    // Many close points would merge into a thick line; dots only where they
    // stand apart.
    const bool dots = positions.size() == 1 || area.width() / (positions.size() - 1) >= 6;
    if (dots)
        for (const QPointF &at : positions)
            painter.drawEllipse(at, kDotRadius, kDotRadius);
}
