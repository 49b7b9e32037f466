#include "frame/captions.h"

#include <stdexcept>

void Captions::Resize(int count) {
    m_texts = QVector<QString>(count + 2);
}

void Captions::Set(int number, const QString &text) {
    if (number < 0 || number >= m_texts.size())
        throw std::out_of_range("caption number out of range");
    m_texts[number] = text;
}

const QString &Captions::operator[](int number) const {
    if (number < 0 || number >= m_texts.size())
        throw std::out_of_range("Caption " + std::to_string(number) + " does not exist.");
    return m_texts[number];
}
