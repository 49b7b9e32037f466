// What screen readers learn of the program's own kinds of control. Qt
// describes its standard widgets itself; a label that acts as a link, a
// picture button, a window that works as a dialog or a text that changes on
// its own are told here what they are. Such a control that is placed or slid
// out of its window's area is reported invisible: a reader should not offer
// what nobody can see.
#pragma once

#include <QAccessible>

#include <functional>

class QWidget;

// Installs the program's accessibility interfaces (once, at start-up, before
// the first window is made).
void UseProgramAccessibility();

// Gives widget role for assistive technology. Call it when the control is
// made, before anything asks for its interface.
void SetAccessibleRole(QWidget &widget, QAccessible::Role role);

// True when no part of widget shows in its window: hidden, or lying wholly
// outside the area of its parents.
bool ShowsNowhere(const QWidget &widget);

// Tells assistive technology that what widget says has changed (its name,
// for a text that changes on its own).
void AnnounceChange(QWidget &widget, QAccessible::Event change = QAccessible::NameChanged);

// Every announcement is also handed to observer, if one is set; Qt passes
// them on only while a screen reader listens. An empty function removes it.
void SetAnnouncementObserver(std::function<void(QWidget &, QAccessible::Event)> observer);
