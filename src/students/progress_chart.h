// A small picture of progress: the numeric scores of one pair of names in
// date order, joined by a line, drawn above the viewer's list of rows, with
// the days of the first, the last and as many points between as fit written
// under the time axis. One score shows as a single dot, none as an empty
// frame.
#pragma once

#include "students/score_views.h"

#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QVector>
#include <QWidget>

#include <utility>

class ProgressChart : public QWidget {
    Q_OBJECT
public:
    explicit ProgressChart(QWidget *parent = nullptr);

    void SetPoints(QVector<scores::ChartPoint> points);
    const QVector<scores::ChartPoint> &Points() const { return m_points; }

    // Where each point is drawn, in the widget's coordinates, in the order
    // of Points(): later dates to the right, higher scores higher up.
    QVector<QPointF> PointPositions() const;
    // The labels under the time axis, left to right: the point each one
    // stands for and its text (the point's day).
    QVector<std::pair<int, QString>> AxisLabels() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct DayLabel {
        int index;
        QString text;
        QRectF rect;
    };
    QVector<DayLabel> dayLabels() const;
    QRectF plotArea() const;
    // The scores the vertical axis spans: from 0 (or the lowest score when
    // one is negative) to the highest.
    std::pair<double, double> scoreRange() const;

    void draw(QPainter &painter) const;

    QVector<scores::ChartPoint> m_points;
    QPixmap m_drawn; // the picture of m_points at this size; null until drawn again
};
