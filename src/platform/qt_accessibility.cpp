#include "platform/qt_accessibility.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <QWidget>

namespace {

const char *const kRoleProperty = "tvxAccessibleRole";

std::function<void(QWidget &, QAccessible::Event)> &announcementObserver() {
    static std::function<void(QWidget &, QAccessible::Event)> observer;
    return observer;
}

QString plainText(const QString &text) {
    return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

// "&Login" is read "Login"; "&&" stands for one "&".
QString withoutMnemonic(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

QString firstLink(const QString &text) {
    static const QRegularExpression href(QStringLiteral("href\\s*=\\s*\"([^\"]*)\""));
    const QRegularExpressionMatch match = href.match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

// The interface of a control whose role the program sets.
class ProgramAccessible : public QAccessibleWidget {
public:
    explicit ProgramAccessible(QWidget *widget) : QAccessibleWidget(widget) {}

    QAccessible::Role role() const override {
        return QAccessible::Role(widget()->property(kRoleProperty).toInt());
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            if (const auto *label = qobject_cast<const QLabel *>(widget()))
                return plainText(label->text());
            if (const auto *button = qobject_cast<const QAbstractButton *>(widget()))
                return withoutMnemonic(button->text());
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (ShowsNowhere(*widget())) {
            state.invisible = true;
            state.offscreen = true;
        }
        if (role() == QAccessible::Link)
            state.linked = true;
        if (const auto *button = qobject_cast<const QAbstractButton *>(widget()))
            state.pressed = button->isDown();
        return state;
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (pressable())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString &name) override {
        if (name != pressAction() || !pressable()) {
            QAccessibleWidget::doAction(name);
            return;
        }
        press();
    }

private:
    bool pressable() const {
        return role() == QAccessible::Link || role() == QAccessible::PushButton;
    }

    void press() {
        QWidget *control = widget();
        if (!control->isEnabled())
            return;
        if (auto *button = qobject_cast<QAbstractButton *>(control)) {
            button->click();
            return;
        }
        if (auto *label = qobject_cast<QLabel *>(control)) {
            const QString link = firstLink(label->text());
            if (!link.isEmpty()) {
                emit label->linkActivated(link);
                return;
            }
        }
        // The program's link labels follow their link on Enter.
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(control, &down);
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(control, &up);
    }
};

QAccessibleInterface *programInterface(const QString &, QObject *object) {
    if (!object || !object->isWidgetType() || !object->property(kRoleProperty).isValid())
        return nullptr;
    return new ProgramAccessible(static_cast<QWidget *>(object));
}

} // namespace

void UseProgramAccessibility() {
    // Factories asked last come first: ours is asked before Qt's own.
    QAccessible::installFactory(programInterface);
}

void SetAccessibleRole(QWidget &widget, QAccessible::Role role) {
    UseProgramAccessibility();
    widget.setProperty(kRoleProperty, int(role));
    // A change told while the control was being built may have made Qt's
    // own interface for it already; it gives way to ours.
    QAccessibleInterface *made = QAccessible::queryAccessibleInterface(&widget);
    if (made && !dynamic_cast<ProgramAccessible *>(made)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
        QAccessible::queryAccessibleInterface(&widget);
    }
}

bool ShowsNowhere(const QWidget &widget) {
    if (!widget.isVisible())
        return true;
    if (widget.isWindow())
        return false;
    const QWidget *window = widget.window();
    QRect shown(widget.mapTo(window, QPoint(0, 0)), widget.size());
    for (const QWidget *parent = widget.parentWidget(); parent && !shown.isEmpty();
         parent = parent->isWindow() ? nullptr : parent->parentWidget())
        shown &= QRect(parent->mapTo(window, QPoint(0, 0)), parent->size());
    return shown.isEmpty();
}

void AnnounceChange(QWidget &widget, QAccessible::Event change) {
    if (announcementObserver())
        announcementObserver()(widget, change);
    QAccessibleEvent event(&widget, change);
    QAccessible::updateAccessibility(&event);
}

void SetAnnouncementObserver(std::function<void(QWidget &, QAccessible::Event)> observer) {
    announcementObserver() = std::move(observer);
}
