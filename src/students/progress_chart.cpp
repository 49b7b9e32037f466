#include "students/progress_chart.h"

#include <QPainter>
#include <QPainterPath>

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
    const int n = int(m_points.size());
    if (n == 0)
        return labels;
    // As many evenly chosen points as their days fit side by side; the first
    // and the last always.
    int widest = 0;
    for (const scores::ChartPoint &point : m_points)
        widest = std::max(widest, fontMetrics().horizontalAdvance(point.day));
    const double room = plotArea().width() + widest;
    const int fit =
        std::max(1, int(room / (widest + fontMetrics().horizontalAdvance(QStringLiteral("  ")))));
    const int count = std::min(n, std::max(fit, n == 1 ? 1 : 2));
    for (int k = 0; k < count; ++k) {
        const int index = count == 1 ? 0 : int(std::lround(double(k) * (n - 1) / (count - 1)));
        if (labels.isEmpty() || labels.back().first != index)
            labels.push_back({index, m_points[index].day});
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
    QPainter painter(this);
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
    // The days under the time axis, each centred under its point but kept
    // inside the frame.
    const double dayTop = area.bottom() + 2;
    for (const auto &[index, text] : AxisLabels()) {
        const double width = fontMetrics().horizontalAdvance(text) + 2;
        double left = positions[index].x() - width / 2;
        left = std::clamp(left, frame.left() + 2, frame.right() - 2 - width);
        painter.drawText(QRectF(left, dayTop, width, textHeight), Qt::AlignCenter, text);
    }
    const QColor line(0, 90, 200);
    if (positions.size() > 1) {
        QPainterPath path(positions.front());
        for (int i = 1; i < positions.size(); ++i)
            path.lineTo(positions[i]);
        painter.setPen(QPen(line, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
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
