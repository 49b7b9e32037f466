// The numbered texts of the template database in the learner's language.
// Numbers 0 to n + 1 exist (0 and n + 1 empty); asking above n + 1 is an error.
#pragma once

#include <QString>
#include <QVector>

class Captions {
public:
    // Sizes the list for numbers 0 .. count + 1, all empty.
    void Resize(int count);
    void Set(int number, const QString &text);
    // Throws std::out_of_range above count + 1 (or below 0).
    const QString &operator[](int number) const;
    QString at(int number) const { return (*this)[number]; }
    int Count() const { return m_texts.isEmpty() ? 0 : m_texts.size() - 2; }
    bool IsEmpty() const { return m_texts.isEmpty(); }

private:
    QVector<QString> m_texts;
};
