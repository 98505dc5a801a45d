#pragma once
// Bitmaps kept among the program's resources as device-independent bitmaps: an info header,
// its colour table and the pixels, without the 14-byte file header of a .bmp file.

#include <QByteArray>
#include <QString>

class QImage;
class QPixmap;

namespace ui {

// Folder of the program's Qt resources that holds the bitmap resources, one file per name.
inline constexpr char kBitmapResourceDir[] = ":/bitmaps";

// A .bmp file in memory: a "BM" file header (file size 14 + dib size, pixel offset 14 + info
// header + colour table) followed by dib. Empty when dib is too short to hold an info header.
QByteArray BitmapFileFromDib(const QByteArray &dib);

// Loads dib through Qt's BMP reader. On failure false, and bitmap is unchanged.
bool LoadBitmapFromDib(QImage &bitmap, const QByteArray &dib);

// The resource name under kBitmapResourceDir, matched without regard to case as resource
// names are. On failure (no such resource, unreadable bitmap) false, bitmap unchanged.
bool LoadBitmapResource(QImage &bitmap, const QString &name);
bool LoadBitmapResource(QPixmap &bitmap, const QString &name);

} // namespace ui
