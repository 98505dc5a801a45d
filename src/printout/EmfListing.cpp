#include "printout/EmfListing.h"

#include <cmath>
#include <cstdio>

namespace printout {

using namespace emf;

namespace {

QString Line(int number, uint32_t type, const QString &detail)
{
    char head[64];
    std::snprintf(head, sizeof head, "%4.4d %30s   ", number, RecordName(type).toLatin1().constData());
    return QString::fromLatin1(head) + detail;
}

QString Detail(const TRecordView &r)
{
    switch (r.type) {
    case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT:
        return QStringLiteral("ihObject = %1").arg(r.U32(8), 0, 16);
    case EMR_CREATEPEN:
    case EMR_CREATEBRUSHINDIRECT:
        return QStringLiteral("ipPen = %1").arg(r.U32(8), 0, 16);
    case EMR_EXTCREATEFONTINDIRECTW: {
        QString face = r.Utf16(40, 32);
        if (const qsizetype nul = face.indexOf(QChar(0)); nul >= 0)
            face.truncate(nul);
        // Heights are in tenths of a millimetre on our pages: 72 points per 254 units.
        const long points = std::lround(std::abs(double(r.I32(12))) * 72.0 / 254.0);
        return QStringLiteral("%1 %2 %3 ihFont = %4").arg(face).arg(points).arg(r.I32(28)).arg(r.U32(8), 0, 16);
    }
    case EMR_EXTTEXTOUTW:
    case EMR_EXTTEXTOUTA: {
        char pos[48];
        std::snprintf(pos, sizeof pos, " Position (%5d, %5d)", r.I32(36), r.I32(40));
        const uint32_t chars = r.U32(44), off = r.U32(48);
        QString text;
        if (r.type == EMR_EXTTEXTOUTW)
            text = r.Utf16(off, chars);
        else if (r.HasBytes(off, chars))
            text = QString::fromLatin1(reinterpret_cast<const char *>(r.data + off), qsizetype(chars));
        if (r.U32(52) & ETO_GLYPH_INDEX)
            text.clear(); // glyph numbers, not characters
        return QString::fromLatin1(pos) + text;
    }
    default:
        return {};
    }
}

} // namespace

QStringList ListingLines(const TMetafile &metafile)
{
    QStringList lines;
    lines.reserve(metafile.RecordCount() + 2);
    lines.append(Line(1, EMR_HEADER, {}));
    for (int i = 0; i < metafile.RecordCount(); ++i) {
        const TRecordView r = metafile.Record(i);
        lines.append(Line(i + 2, r.type, Detail(r)));
    }
    lines.append(Line(metafile.RecordCount() + 2, EMR_EOF, {}));
    return lines;
}

} // namespace printout
