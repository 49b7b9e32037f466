#include "platform/image_list.h"

#include <QCoreApplication>

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
        throw std::out_of_range(QCoreApplication::translate("controls", "There is no picture %1.")
                                    .arg(i)
                                    .toStdString());
    return m_images[static_cast<size_t>(i - 1)];
}

const QPixmap &ImageList::ListImages(int i) const {
    return at(i).pixmap;
}

QIcon ImageList::Icon(int i) const {
    return at(i).icon;
}
