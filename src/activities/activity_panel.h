// The main window's panel of activity buttons: one picture button per
// activity of the catalogue, in one or two columns, a scroll bar when they
// do not fit, and the "more activities" link under the last one. A button
// shows its highlighted picture while the mouse is over it or it has the
// keyboard focus, and a border while it is pressed.
#pragma once

#include "activities/activity_catalogue.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QVector>

class QLabel;
class QScrollBar;
class QWidget;

class ActivityButton : public QAbstractButton {
    Q_OBJECT
public:
    ActivityButton(const Activity &activity, QWidget *parent);
    bool Highlighted() const { return m_highlighted; }
    void SetHighlighted(bool highlighted);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QPixmap m_normal;
    QPixmap m_highlightedPicture;
    bool m_highlighted = false;
};

class ActivityPanel : public QObject {
    Q_OBJECT
public:
    // Takes the holder frame, the panel it scrolls and the link label.
    ActivityPanel(QWidget &PicActsHolder, QWidget &picActs, QLabel &lblMoreActs);

    // Shows one button per activity; an empty catalogue shows emptyText
    // instead, above the link.
    void Show(const QVector<Activity> &catalogue, const QString &emptyText = QString());

    QVector<ActivityButton *> btnAct;
    QScrollBar *VScroll;
    QLabel *lblNoActivities;

    // Every button back to its normal picture.
    void ShowAllNormal();

signals:
    // The button of activity index (of the catalogue) was clicked.
    void ActivityChosen(int index);
    // The mouse moved over a button or the panel: the sliding menu closes.
    void Hovered();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void highlightOnly(ActivityButton *button);
    // Scrolls the panel so that a control of it shows whole.
    void scrollIntoView(const QWidget &control);
    // Moves the keyboard focus out of the link, forwards or backwards.
    void leaveLink(bool forward);

    QWidget &m_holder;
    QWidget &m_panel;
    QLabel &m_moreActs;
};
