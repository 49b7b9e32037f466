// A numbered set of pictures for tree nodes, buttons and list items. Pictures
// are addressed from 1, in the order they were added.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

#include <vector>

class ImageList {
public:
    ImageList() = default;
    // Pictures added as icons are drawn at this size; empty keeps the size of
    // the icon's first picture.
    explicit ImageList(QSize imageSize) : m_imageSize(imageSize) {}

    // Adds a picture and returns its number.
    int Add(const QPixmap &picture);
    int Add(const QIcon &icon);
    void Clear() { m_images.clear(); }

    int Count() const { return static_cast<int>(m_images.size()); }
    // Throw std::out_of_range for a number outside 1..Count().
    const QPixmap &ListImages(int i) const;
    QIcon Icon(int i) const;

    QSize ImageSize() const { return m_imageSize; }

private:
    struct Entry {
        QPixmap pixmap;
        QIcon icon;
    };
    const Entry &at(int i) const;

    QSize m_imageSize;
    std::vector<Entry> m_images;
};
