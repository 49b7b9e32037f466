#include "platform/pictures.h"

#include <QFile>
#include <QGuiApplication>

QString DoubleDensityPath(const QString &path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    QString result = path;
    if (dot > slash + 1)
        result.insert(dot, QLatin1String("@2x"));
    else
        result += QLatin1String("@2x");
    return result;
}

QPixmap LoadPicture(const QString &path, qreal devicePixelRatio) {
    if (devicePixelRatio > 1.0) {
        const QString dense = DoubleDensityPath(path);
        if (QFile::exists(dense)) {
            QPixmap picture(dense);
            if (!picture.isNull()) {
                picture.setDevicePixelRatio(2.0);
                return picture;
            }
        }
    }
    return QPixmap(path);
}

QPixmap LoadPicture(const QString &path) {
    return LoadPicture(path, qGuiApp ? qGuiApp->devicePixelRatio() : 1.0);
}
