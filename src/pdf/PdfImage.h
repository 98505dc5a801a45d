#pragma once
// One picture of a PDF document as an image XObject: samples at 1, 2, 4 or 8 bits per
// component, compressed with zlib or JPEG, ASCII85-encoded, written once.

#include "pdf/PdfBox.h"

#include <QByteArray>
#include <QImage>

namespace pdf {

class TPdfFile;

enum class TImageFilter { None, Flate, Dct };

class TPdfImage {
public:
    // Encodes bitmap (which must not be null); index gives the resource name "Im<index>".
    TPdfImage(const QImage &bitmap, int index, TPdfCompressMode mode, int jpegQuality);

    // A bitmap of metafile at 600 dots per inch, white where nothing is drawn.
    static QImage Rasterize(const TPdfMetafile &metafile);
    // 1 for 1-bit bitmaps, 2 for 4-bit, 4 for 8-bit, 8 for any other.
    static int BitsPerComponentOf(const QImage &bitmap);
    // Uncompressed samples row by row, top first, rows padded to whole bytes.
    static QByteArray Samples(const QImage &bitmap, int bitsPerComponent);
    // Baseline JPEG of bitmap; empty when the encoder fails.
    static QByteArray Jpeg(const QImage &bitmap, int quality);

    QByteArray ResourceName() const { return "/Im" + QByteArray::number(m_index); }
    int Index() const { return m_index; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int BitsPerComponent() const { return m_bits; }
    TImageFilter Filter() const { return m_filter; }
    bool Pending() const { return m_objectNumber == 0; }
    int ObjectNumber() const { return m_objectNumber; }

    // Writes the XObject and releases the encoded data.
    void Write(TPdfFile &file);

private:
    int m_index = 0;
    int m_width = 0, m_height = 0;
    int m_bits = 8;
    TImageFilter m_filter = TImageFilter::None;
    QByteArray m_data; // ASCII85 text until written
    int m_objectNumber = 0;
};

} // namespace pdf
