#include "printout/Metafile.h"

#include "dataset/Common.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <climits>
#include <cmath>

namespace printout {

using namespace emf;

EEmfError::EEmfError(const QString &french, const QString &english)
    : std::runtime_error(english.toStdString()), m_french(french), m_english(english)
{
}

QString EEmfError::Message() const
{
    return dataset::WorkingLanguage() == QLatin1Char('F') ? m_french : m_english;
}

namespace {

EEmfError Damaged(const QString &frDetail, const QString &enDetail)
{
    return EEmfError(QStringLiteral("Le fichier métafile est endommagé : %1.").arg(frDetail),
                     QStringLiteral("The metafile is damaged: %1.").arg(enDetail));
}

int MulDivRound(long long a, long long b, long long c) { return c ? int(std::llround(double(a) * b / c)) : 0; }

} // namespace

TReferenceDevice TReferenceDevice::ForSheet(QSize sheetPx, int dpiX, int dpiY)
{
    TReferenceDevice d;
    d.pixels = sheetPx;
    d.micrometers = QSize(MulDivRound(sheetPx.width(), 25400, dpiX), MulDivRound(sheetPx.height(), 25400, dpiY));
    d.millimeters = QSize(MulDivRound(d.micrometers.width(), 1, 1000), MulDivRound(d.micrometers.height(), 1, 1000));
    return d;
}

QSize TReferenceDevice::Micrometers() const
{
    if (!micrometers.isEmpty())
        return micrometers;
    auto scale = [](int mm) { return int(std::clamp<long long>((long long)mm * 1000, INT_MIN, INT_MAX)); };
    return QSize(scale(millimeters.width()), scale(millimeters.height()));
}

namespace {

// QRect::isNull without its int arithmetic, which overflows on the corners a hostile file
// may give.
bool IsUnset(const QRect &r)
{
    return qint64(r.right()) - r.left() + 1 == 0 && qint64(r.bottom()) - r.top() + 1 == 0;
}

} // namespace

QRect TMetafile::Frame() const
{
    if (!IsUnset(m_frame))
        return m_frame;
    const QSize um = m_device.Micrometers();
    return QRect(QPoint(0, 0), QPoint(MulDivRound(um.width(), 1, 10), MulDivRound(um.height(), 1, 10)));
}

QRectF TMetafile::FrameExtent() const
{
    const QRect f = Frame();
    const double l = std::min(f.left(), f.right()), r = std::max(f.left(), f.right());
    const double t = std::min(f.top(), f.bottom()), b = std::max(f.top(), f.bottom());
    return QRectF(l, t, std::max(1.0, r - l), std::max(1.0, b - t));
}

QRect TMetafile::Bounds() const
{
    if (!IsUnset(m_bounds))
        return m_bounds;
    return QRect(QPoint(0, 0), QPoint(m_device.pixels.width() - 1, m_device.pixels.height() - 1));
}

int TMetafile::Handles() const
{
    uint32_t highest = 0;
    for (int i = 0; i < RecordCount(); ++i) {
        const TRecordView r = Record(i);
        if (CreatesObject(r.type))
            highest = std::max(highest, std::min<uint32_t>(r.U32(8), 0xFFFE));
    }
    return std::max(int(highest) + 1, m_fileHandles);
}

TRecordView TMetafile::Record(int index) const
{
    TRecordView r;
    if (index < 0 || index >= RecordCount())
        return r;
    const uint32_t off = m_offsets[size_t(index)];
    r.data = reinterpret_cast<const uint8_t *>(m_body.constData()) + off;
    std::memcpy(&r.type, r.data, 4);
    std::memcpy(&r.size, r.data + 4, 4);
    return r;
}

bool TMetafile::AppendRecord(const QByteArray &record)
{
    if (record.size() < 8 || record.size() % 4)
        return false;
    uint32_t size;
    std::memcpy(&size, record.constData() + 4, 4);
    if (size != uint32_t(record.size()))
        return false;
    m_offsets.push_back(uint32_t(m_body.size()));
    m_body.append(record);
    return true;
}

void TMetafile::Commit()
{
    uint32_t pos = m_offsets.empty() ? 0 : m_offsets.back() + Record(RecordCount() - 1).size;
    const auto total = uint32_t(m_body.size());
    while (pos + 8 <= total) {
        uint32_t size;
        std::memcpy(&size, m_body.constData() + pos + 4, 4);
        if (size < 8 || size % 4 || pos + uint64_t(size) > total)
            break; // a builder bug; the partial record is dropped rather than indexed
        m_offsets.push_back(pos);
        pos += size;
    }
    m_body.truncate(pos);
}

void TMetafile::Clear()
{
    m_body.clear();
    m_offsets.clear();
}

QByteArray TMetafile::ToEmf() const
{
    QByteArray out;
    out.reserve(m_body.size() + 256);
    const QString description = m_description.isEmpty() ? QString() : m_description + QChar(0) + QChar(0);
    const QRect frame = Frame(), bounds = Bounds();
    {
        TRecordWriter w(out, EMR_HEADER);
        for (int v : {bounds.left(), bounds.top(), bounds.right(), bounds.bottom()})
            w.I32(v);
        for (int v : {frame.left(), frame.top(), frame.right(), frame.bottom()})
            w.I32(v);
        w.U32(kSignature);
        w.U32(kVersion);
        w.U32(0); // Bytes, patched below
        w.U32(0); // Records, patched below
        w.U16(uint16_t(std::min(Handles(), 0xFFFF)));
        w.U16(0);
        w.U32(uint32_t(description.size()));
        w.U32(description.isEmpty() ? 0 : kHeaderSize);
        w.U32(0); // palette entries
        w.I32(m_device.pixels.width());
        w.I32(m_device.pixels.height());
        w.I32(std::max(1, m_device.millimeters.width()));
        w.I32(std::max(1, m_device.millimeters.height()));
        w.U32(0); // no pixel format
        w.U32(0);
        w.U32(0); // not OpenGL
        const QSize um = m_device.Micrometers();
        w.I32(um.width());
        w.I32(um.height());
        w.Bytes(reinterpret_cast<const char *>(description.utf16()), description.size() * 2);
        w.Finish();
    }
    out.append(m_body);
    {
        TRecordWriter w(out, EMR_EOF);
        w.U32(0);
        w.U32(16);
        w.U32(20);
        w.Finish();
    }
    const auto bytes = uint32_t(out.size());
    const auto records = uint32_t(m_offsets.size() + 2);
    std::memcpy(out.data() + 48, &bytes, 4);
    std::memcpy(out.data() + 52, &records, 4);
    return out;
}

TMetafile TMetafile::FromEmf(const QByteArray &bytes)
{
    const auto length = uint64_t(bytes.size());
    const auto *base = reinterpret_cast<const uint8_t *>(bytes.constData());
    TRecordView h{0, 0, base};
    if (length < 88)
        throw Damaged(QStringLiteral("il est trop court pour un en-tête"), QStringLiteral("too short for a header"));
    std::memcpy(&h.type, base, 4);
    std::memcpy(&h.size, base + 4, 4);
    if (h.type != EMR_HEADER || h.U32(40) != kSignature)
        throw EEmfError(QStringLiteral("Ce fichier n'est pas un métafile amélioré (EMF)."),
                        QStringLiteral("This file is not an enhanced metafile (EMF)."));
    if (h.size < 88 || h.size % 4 || h.size > length)
        throw Damaged(QStringLiteral("la taille de l'en-tête est incohérente"), QStringLiteral("bad header size"));

    TMetafile mf;
    const uint32_t nDescription = h.U32(60), offDescription = h.U32(64);
    uint32_t fixedEnd = h.size;
    if (nDescription) {
        if (offDescription < 88 || uint64_t(offDescription) + uint64_t(nDescription) * 2 > h.size)
            throw Damaged(QStringLiteral("la description sort de l'en-tête"), QStringLiteral("description outside the header"));
        fixedEnd = std::min(fixedEnd, offDescription);
        QString d = h.Utf16(offDescription, nDescription);
        while (d.endsWith(QChar(0)))
            d.chop(1);
        mf.m_description = d;
    }
    if (fixedEnd >= 100) {
        const uint32_t cbPixelFormat = h.U32(88), offPixelFormat = h.U32(92);
        if (cbPixelFormat && uint64_t(offPixelFormat) + cbPixelFormat > h.size)
            throw Damaged(QStringLiteral("le format de pixels sort de l'en-tête"), QStringLiteral("pixel format outside the header"));
        if (offPixelFormat && offPixelFormat < fixedEnd)
            fixedEnd = offPixelFormat;
    }
    mf.m_bounds = QRect(QPoint(h.I32(8), h.I32(12)), QPoint(h.I32(16), h.I32(20)));
    mf.m_frame = QRect(QPoint(h.I32(24), h.I32(28)), QPoint(h.I32(32), h.I32(36)));
    mf.m_fileHandles = std::max<int>(1, h.U16(56));
    mf.m_device.pixels = QSize(h.I32(72), h.I32(76));
    mf.m_device.millimeters = QSize(h.I32(80), h.I32(84));
    mf.m_device.micrometers = fixedEnd >= 108 ? QSize(h.I32(100), h.I32(104)) : QSize();
    if (mf.m_device.pixels.width() <= 0 || mf.m_device.pixels.height() <= 0)
        throw Damaged(QStringLiteral("le périphérique de référence est vide"), QStringLiteral("empty reference device"));
    if (mf.m_device.millimeters.width() <= 0 || mf.m_device.millimeters.height() <= 0) {
        // Viewers divide by it: take the frame's size instead.
        const QRectF f = mf.FrameExtent(); // in doubles: the file's values may be anything
        mf.m_device.millimeters = QSize(int(std::clamp(f.width() / 100, 1.0, 1e6)), int(std::clamp(f.height() / 100, 1.0, 1e6)));
    }
    if (mf.m_device.micrometers.width() <= 0 || mf.m_device.micrometers.height() <= 0)
        mf.m_device.micrometers = QSize();

    uint64_t pos = h.size;
    int number = 1;
    bool sawEof = false;
    mf.m_body.reserve(qsizetype(length - pos));
    while (pos + 8 <= length) {
        TRecordView r{0, 0, base + pos};
        std::memcpy(&r.type, r.data, 4);
        std::memcpy(&r.size, r.data + 4, 4);
        const QString name = RecordName(r.type);
        if (r.size < 8 || r.size % 4 || pos + r.size > length)
            throw Damaged(QStringLiteral("l'enregistrement %1 (%2, octet %3) a une taille de %4 octets")
                              .arg(number).arg(name).arg(pos).arg(r.size),
                          QStringLiteral("record %1 (%2, byte %3) has a size of %4 bytes").arg(number).arg(name).arg(pos).arg(r.size));
        if (r.type == EMR_EOF) {
            sawEof = true;
            break;
        }
        if (r.type == EMR_HEADER)
            throw Damaged(QStringLiteral("second en-tête à l'octet %1").arg(pos), QStringLiteral("second header at byte %1").arg(pos));
        if (const QString why = CheckRecord(r); !why.isEmpty())
            throw Damaged(QStringLiteral("l'enregistrement %1 (%2, octet %3) est incohérent (%4)").arg(number).arg(name).arg(pos).arg(why),
                          QStringLiteral("record %1 (%2, byte %3): %4").arg(number).arg(name).arg(pos).arg(why));
        mf.m_offsets.push_back(uint32_t(mf.m_body.size()));
        mf.m_body.append(reinterpret_cast<const char *>(r.data), qsizetype(r.size));
        pos += r.size;
        ++number;
    }
    if (!sawEof)
        throw Damaged(QStringLiteral("il est tronqué (pas d'enregistrement de fin)"), QStringLiteral("it is truncated (no end record)"));
    return mf;
}

TMetafile TMetafile::Load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EEmfError(QStringLiteral("Impossible d'ouvrir le fichier « %1 » : %2").arg(path, file.errorString()),
                        QStringLiteral("Cannot open the file \"%1\": %2").arg(path, file.errorString()));
    // A page is never near this size; refusing early keeps a hostile file from eating memory.
    if (file.size() > (qint64(512) << 20))
        throw EEmfError(QStringLiteral("Le fichier « %1 » est trop gros pour un métafile.").arg(path),
                        QStringLiteral("The file \"%1\" is too large for a metafile.").arg(path));
    return FromEmf(file.readAll());
}

void TMetafile::Save(const QString &path) const
{
    QSaveFile file(path);
    const QByteArray bytes = ToEmf();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EEmfError(QStringLiteral("Impossible d'écrire le fichier « %1 » : %2").arg(path, file.errorString()),
                        QStringLiteral("Cannot write the file \"%1\": %2").arg(path, file.errorString()));
}

} // namespace printout
