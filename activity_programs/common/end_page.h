// The last page of a game: the result, whether the score was saved, and the
// button that closes the activity.
#pragma once

#include "activity_texts.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace activity {

class EndPage : public QWidget {
    Q_OBJECT
public:
    EndPage(const ActivityTexts &texts, QWidget *parent = nullptr);
    void showResult(const QString &result, const QString &saved);

    QLabel *lblResult;
    QLabel *lblSaved;
    QPushButton *btnClose;

signals:
    void closeRequested();
};

// "<activity> — <subject>": every activity window's title.
QString WindowTitle(const QString &activityName, const QString &subject);

// Scales a widget's font, for the large phrase and result texts.
void ScaleFont(QWidget *widget, double factor, bool bold = false);

} // namespace activity
