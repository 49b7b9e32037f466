#include "end_page.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace activity {

EndPage::EndPage(const ActivityTexts &texts, QWidget *parent) : QWidget(parent) {
    lblResult = new QLabel(this);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    lblResult->setAccessibleName(texts(Text::ResultName));
    lblResult->setAlignment(Qt::AlignCenter);
    lblResult->setWordWrap(true);
    ScaleFont(lblResult, 1.6, true);

    lblSaved = new QLabel(this);
    lblSaved->setObjectName(QStringLiteral("lblSaved"));
    lblSaved->setAccessibleName(texts(Text::SavedName));
    lblSaved->setAlignment(Qt::AlignCenter);
    lblSaved->setWordWrap(true);

    btnClose = new QPushButton(texts(Text::Close), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAccessibleName(texts(Text::CloseName));
    connect(btnClose, &QPushButton::clicked, this, &EndPage::closeRequested);

    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(lblResult);
    layout->addSpacing(12);
    layout->addWidget(lblSaved);
    layout->addStretch(1);
    layout->addWidget(btnClose, 0, Qt::AlignHCenter);
}

void EndPage::showResult(const QString &result, const QString &saved) {
    lblResult->setText(result);
    lblSaved->setText(saved);
}

QString WindowTitle(const QString &activityName, const QString &subject) {
    return activityName + QStringLiteral(" — ") + subject;
}

void ScaleFont(QWidget *widget, double factor, bool bold) {
    QFont font = widget->font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(qRound(font.pixelSize() * factor));
    font.setBold(bold);
    widget->setFont(font);
}

} // namespace activity
