#include "ui/Bitmaps.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

namespace ui {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kCoreHeaderSize = 12; // the old OS/2 header: 16-bit sizes, 3-byte palette entries
constexpr quint32 kBitFields = 3;
constexpr quint32 kAlphaBitFields = 6;

quint32 U32(const QByteArray &b, int at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 U16(const QByteArray &b, int at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

// Bytes between the info header and the pixels: the colour masks and the palette.
qint64 ColourTableSize(const QByteArray &dib, quint32 headerSize)
{
    if (headerSize == kCoreHeaderSize) {
        const int bits = U16(dib, 10);
        return bits <= 8 ? qint64(3) << bits : 0;
    }
    const int bits = U16(dib, 14);
    const quint32 compression = U32(dib, 16);
    const quint32 used = U32(dib, 32);
    qint64 size = used ? qint64(used) * 4 : (bits <= 8 ? qint64(4) << bits : 0);
    // Version 4 and 5 headers hold the masks themselves; the plain header puts them after it.
    if (headerSize == 40 && compression == kBitFields)
        size += 12;
    else if (headerSize == 40 && compression == kAlphaBitFields)
        size += 16;
    return size;
}

} // namespace

QByteArray BitmapFileFromDib(const QByteArray &dib)
{
    if (dib.size() < 4)
        return QByteArray();
    const quint32 headerSize = U32(dib, 0);
    const quint32 needed = headerSize == kCoreHeaderSize ? kCoreHeaderSize : 40;
    if (headerSize < needed || quint32(dib.size()) < headerSize)
        return QByteArray();

    QByteArray file(kFileHeaderSize, '\0');
    char *h = file.data();
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(quint32(kFileHeaderSize + dib.size()), h + 2);
    // Bytes 6 to 9 are reserved and stay 0.
    qToLittleEndian<quint32>(quint32(kFileHeaderSize + headerSize + ColourTableSize(dib, headerSize)),
                             h + 10);
    file += dib;
    return file;
}

bool LoadBitmapFromDib(QImage &bitmap, const QByteArray &dib)
{
    QByteArray file = BitmapFileFromDib(dib);
    if (file.isEmpty())
        return false;
    QBuffer buffer(&file);
    QImageReader reader(&buffer, "bmp");
    QImage image = reader.read();
    if (image.isNull())
        return false;
    bitmap = std::move(image);
    return true;
}

bool LoadBitmapResource(QImage &bitmap, const QString &name)
{
    if (name.isEmpty())
        return false;
    const QDir dir(QString::fromLatin1(kBitmapResourceDir));
    QString path = dir.filePath(name);
    if (!QFile::exists(path)) {
        path.clear();
        for (const QString &entry : dir.entryList(QDir::Files))
            if (entry.compare(name, Qt::CaseInsensitive) == 0) {
                path = dir.filePath(entry);
                break;
            }
    }
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return LoadBitmapFromDib(bitmap, file.readAll());
}

bool LoadBitmapResource(QPixmap &bitmap, const QString &name)
{
    QImage image;
    if (!LoadBitmapResource(image, name))
        return false;
    bitmap = QPixmap::fromImage(std::move(image));
    return true;
}

} // namespace ui
