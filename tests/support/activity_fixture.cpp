#include "support/activity_fixture.h"

#include "frame/mod_main.h"
#include "platform/ado.h"
#include "support/test_env.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

namespace {
QByteArray picture(const QColor &colour) {
    QImage image(161, 42, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}
} // namespace

void makeActivityProgram(const QString &path, const QByteArray &script) {
    writeFile(path, script);
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

void makeActivityDescriptor(const QString &path, const QColor &normal, const QColor &highlighted) {
    ado::Connection::CreateDatabase(path);
    ado::Connection cn;
    cn.Open(modMain::Get_Template_Connection_String(path));
    cn.Execute(QStringLiteral("CREATE TABLE tblImages(bSpanish BLOB, bEnglish BLOB)"));
    for (const QColor &c : {normal, highlighted})
        cn.Execute(QStringLiteral("INSERT INTO tblImages VALUES (?, ?)"),
                   {picture(c), picture(Qt::black)});
    cn.SetPassword(QStringLiteral("kqw6081"));
}
