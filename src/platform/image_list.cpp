#include "platform/image_list.h"

#include <stdexcept>
#include <string>

int ImageList::Add(const QPixmap &picture) {
    // A selected row shows the picture as it is, not tinted by the style.
    QIcon icon(picture);
    icon.addPixmap(picture, QIcon::Selected);
    m_images.push_back({picture, icon});
    return Count();
}

int ImageList::Add(const QIcon &icon) {
    QSize size = m_imageSize;
    if (size.isEmpty()) {
        const QList<QSize> sizes = icon.availableSizes();
        size = sizes.isEmpty() ? QSize(16, 16) : sizes.front();
    }
    m_images.push_back({icon.pixmap(size), icon});
    return Count();
}

const ImageList::Entry &ImageList::at(int i) const {
    if (i < 1 || i > Count())
        throw std::out_of_range("image number " + std::to_string(i) + " out of range");
    return m_images[static_cast<size_t>(i - 1)];
}

const QPixmap &ImageList::ListImages(int i) const {
    return at(i).pixmap;
}

QIcon ImageList::Icon(int i) const {
    return at(i).icon;
}
