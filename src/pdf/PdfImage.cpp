#include "pdf/PdfImage.h"

#include "pdf/PdfFile.h"
#include "pdf/PdfSyntax.h"

#include <QPainter>

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace pdf {

namespace {

const int kMetafileDpi = 600;

// The bitmap as opaque 32-bit pixels; transparent parts shown on white paper.
QImage Opaque(const QImage &bitmap)
{
    if (!bitmap.hasAlphaChannel())
        return bitmap.convertToFormat(QImage::Format_RGB32);
    QImage paper(bitmap.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.drawImage(0, 0, bitmap);
    painter.end();
    return paper;
}

struct TJpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void JpegFail(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TJpegError *>(info->err)->jump, 1);
}

void JpegQuiet(j_common_ptr, int) {}

} // namespace

QImage TPdfImage::Rasterize(const TPdfMetafile &metafile)
{
    const QSize pixels = metafile.SizePixels();
    const int dpi = TPdfBox::ScreenDpi();
    const QSize size(qMax(1, pixels.width() * kMetafileDpi / dpi), qMax(1, pixels.height() * kMetafileDpi / dpi));
    QImage bitmap(size, QImage::Format_RGB32);
    if (bitmap.isNull())
        throw EPdfError(TPdfErrorCode::InternalError, QStringLiteral("CreateBitmap"));
    bitmap.fill(Qt::white);
    bitmap.setDotsPerMeterX(qRound(kMetafileDpi / 0.0254));
    bitmap.setDotsPerMeterY(qRound(kMetafileDpi / 0.0254));
    QPainter painter(&bitmap);
    metafile.Render(painter, QRect(QPoint(0, 0), size));
    painter.end();
    return bitmap;
}

int TPdfImage::BitsPerComponentOf(const QImage &bitmap)
{
    switch (bitmap.depth()) {
    case 1: return 1;
    case 4: return 2;
    case 8: return 4;
    default: return 8;
    }
}

QByteArray TPdfImage::Samples(const QImage &bitmap, int bits)
{
    const int width = bitmap.width(), height = bitmap.height();
    QByteArray out;
    if (bits == 1) {
        const qsizetype rowBytes = (width + 7) / 8;
        out = QByteArray(rowBytes * height, '\0');
        for (int y = 0; y < height; ++y) {
            char *row = out.data() + rowBytes * y;
            for (int x = 0; x < width; ++x)
                if ((bitmap.pixel(x, y) & 0xFFFFFF) != 0)
                    row[x >> 3] = char(uchar(row[x >> 3]) | (0x80 >> (x & 7)));
        }
        return out;
    }
    const QImage rgb = Opaque(bitmap);
    if (bits == 8) {
        out.resize(qsizetype(width) * height * 3);
        char *dst = out.data();
        for (int y = 0; y < height; ++y) {
            const QRgb *src = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                *dst++ = char(qRed(src[x]));
                *dst++ = char(qGreen(src[x]));
                *dst++ = char(qBlue(src[x]));
            }
        }
        return out;
    }
    // 2 or 4 bits: the components packed from the most significant bit, rows padded.
    const qsizetype rowBytes = (qsizetype(width) * 3 * bits + 7) / 8;
    out = QByteArray(rowBytes * height, '\0');
    const int shift = 8 - bits;
    for (int y = 0; y < height; ++y) {
        const QRgb *src = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *row = reinterpret_cast<uchar *>(out.data() + rowBytes * y);
        qsizetype bit = 0;
        for (int x = 0; x < width; ++x) {
            const int components[3] = {qRed(src[x]), qGreen(src[x]), qBlue(src[x])};
            for (int value : components) {
                const int sample = value >> shift;
                row[bit >> 3] |= uchar(sample << (8 - bits - (bit & 7)));
                bit += bits;
            }
        }
    }
    return out;
}

QByteArray TPdfImage::Jpeg(const QImage &bitmap, int quality)
{
    const QImage rgb = Opaque(bitmap);
    jpeg_compress_struct info;
    TJpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegFail;
    error.manager.emit_message = JpegQuiet;
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    std::vector<JSAMPLE> line(size_t(rgb.width()) * 3);
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return QByteArray();
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const QRgb *src = reinterpret_cast<const QRgb *>(rgb.constScanLine(int(info.next_scanline)));
        for (int x = 0; x < rgb.width(); ++x) {
            line[size_t(x) * 3] = JSAMPLE(qRed(src[x]));
            line[size_t(x) * 3 + 1] = JSAMPLE(qGreen(src[x]));
            line[size_t(x) * 3 + 2] = JSAMPLE(qBlue(src[x]));
        }
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    QByteArray out(reinterpret_cast<const char *>(buffer), qsizetype(size));
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

TPdfImage::TPdfImage(const QImage &bitmap, int index, TPdfCompressMode mode, int jpegQuality)
    : m_index(index), m_width(bitmap.width()), m_height(bitmap.height()), m_bits(BitsPerComponentOf(bitmap))
{
    QByteArray data;
    if (mode == cpJpeg && m_bits == 8) {
        data = Jpeg(bitmap, jpegQuality);
        if (!data.isEmpty())
            m_filter = TImageFilter::Dct;
    }
    if (m_filter != TImageFilter::Dct) {
        data = Samples(bitmap, m_bits);
        if (mode != cpNone) {
            data = ZlibCompress(data);
            if (data.isEmpty())
                throw EPdfError(TPdfErrorCode::InternalError, QStringLiteral("compress"));
            m_filter = TImageFilter::Flate;
        }
    }
    m_data = Ascii85(data);
}

void TPdfImage::Write(TPdfFile &file)
{
    m_objectNumber = file.StartObject();
    file.Line("<<");
    file.Line("/Type/XObject");
    file.Line("/Subtype/Image");
    file.Line("/Width " + QByteArray::number(m_width));
    file.Line("/Height " + QByteArray::number(m_height));
    file.Line(m_bits == 1 ? "/ColorSpace/DeviceGray" : "/ColorSpace/DeviceRGB");
    file.Line("/BitsPerComponent " + QByteArray::number(m_bits));
    file.Line("/Length " + QByteArray::number(m_data.size()));
    file.Line(m_filter == TImageFilter::Flate ? "/Filter[/ASCII85Decode/FlateDecode]"
              : m_filter == TImageFilter::Dct ? "/Filter[/ASCII85Decode/DCTDecode]"
                                              : "/Filter[/ASCII85Decode]");
    file.Line(">>");
    file.Line("stream");
    file.Write(m_data);
    file.Line(QByteArray());
    file.Line("endstream");
    file.Line("endobj");
    m_data = QByteArray();
}

} // namespace pdf
