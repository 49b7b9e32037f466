// Activity programs and descriptors made by tests in their own folders.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

// An executable file (a shell script) standing in for an activity program.
void makeActivityProgram(const QString &path, const QByteArray &script = "#!/bin/sh\nexit 0\n");

// A descriptor whose two rows hold a normal and a highlighted picture of one
// colour each in bSpanish (bEnglish gets black ones).
void makeActivityDescriptor(const QString &path, const QColor &normal, const QColor &highlighted);
