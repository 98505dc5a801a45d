#include "printout/EmfFormat.h"

namespace printout::emf {

namespace {

struct TName {
    uint32_t type;
    const char *name;
};

const TName kNames[] = {
    {1, "EMR_HEADER"}, {2, "EMR_POLYBEZIER"}, {3, "EMR_POLYGON"}, {4, "EMR_POLYLINE"},
    {5, "EMR_POLYBEZIERTO"}, {6, "EMR_POLYLINETO"}, {7, "EMR_POLYPOLYLINE"},
    {8, "EMR_POLYPOLYGON"}, {9, "EMR_SETWINDOWEXTEX"}, {10, "EMR_SETWINDOWORGEX"},
    {11, "EMR_SETVIEWPORTEXTEX"}, {12, "EMR_SETVIEWPORTORGEX"}, {13, "EMR_SETBRUSHORGEX"},
    {14, "EMR_EOF"}, {15, "EMR_SETPIXELV"}, {16, "EMR_SETMAPPERFLAGS"}, {17, "EMR_SETMAPMODE"},
    {18, "EMR_SETBKMODE"}, {19, "EMR_SETPOLYFILLMODE"}, {20, "EMR_SETROP2"},
    {21, "EMR_SETSTRETCHBLTMODE"}, {22, "EMR_SETTEXTALIGN"}, {23, "EMR_SETCOLORADJUSTMENT"},
    {24, "EMR_SETTEXTCOLOR"}, {25, "EMR_SETBKCOLOR"}, {26, "EMR_OFFSETCLIPRGN"},
    {27, "EMR_MOVETOEX"}, {28, "EMR_SETMETARGN"}, {29, "EMR_EXCLUDECLIPRECT"},
    {30, "EMR_INTERSECTCLIPRECT"}, {31, "EMR_SCALEVIEWPORTEXTEX"}, {32, "EMR_SCALEWINDOWEXTEX"},
    {33, "EMR_SAVEDC"}, {34, "EMR_RESTOREDC"}, {35, "EMR_SETWORLDTRANSFORM"},
    {36, "EMR_MODIFYWORLDTRANSFORM"}, {37, "EMR_SELECTOBJECT"}, {38, "EMR_CREATEPEN"},
    {39, "EMR_CREATEBRUSHINDIRECT"}, {40, "EMR_DELETEOBJECT"}, {41, "EMR_ANGLEARC"},
    {42, "EMR_ELLIPSE"}, {43, "EMR_RECTANGLE"}, {44, "EMR_ROUNDRECT"}, {45, "EMR_ARC"},
    {46, "EMR_CHORD"}, {47, "EMR_PIE"}, {48, "EMR_SELECTPALETTE"}, {49, "EMR_CREATEPALETTE"},
    {50, "EMR_SETPALETTEENTRIES"}, {51, "EMR_RESIZEPALETTE"}, {52, "EMR_REALIZEPALETTE"},
    {53, "EMR_EXTFLOODFILL"}, {54, "EMR_LINETO"}, {55, "EMR_ARCTO"}, {56, "EMR_POLYDRAW"},
    {57, "EMR_SETARCDIRECTION"}, {58, "EMR_SETMITERLIMIT"}, {59, "EMR_BEGINPATH"},
    {60, "EMR_ENDPATH"}, {61, "EMR_CLOSEFIGURE"}, {62, "EMR_FILLPATH"},
    {63, "EMR_STROKEANDFILLPATH"}, {64, "EMR_STROKEPATH"}, {65, "EMR_FLATTENPATH"},
    {66, "EMR_WIDENPATH"}, {67, "EMR_SELECTCLIPPATH"}, {68, "EMR_ABORTPATH"},
    {70, "EMR_GDICOMMENT"}, {71, "EMR_FILLRGN"}, {72, "EMR_FRAMERGN"}, {73, "EMR_INVERTRGN"},
    {74, "EMR_PAINTRGN"}, {75, "EMR_EXTSELECTCLIPRGN"}, {76, "EMR_BITBLT"},
    {77, "EMR_STRETCHBLT"}, {78, "EMR_MASKBLT"}, {79, "EMR_PLGBLT"},
    {80, "EMR_SETDIBITSTODEVICE"}, {81, "EMR_STRETCHDIBITS"},
    {82, "EMR_EXTCREATEFONTINDIRECTW"}, {83, "EMR_EXTTEXTOUTA"}, {84, "EMR_EXTTEXTOUTW"},
    {85, "EMR_POLYBEZIER16"}, {86, "EMR_POLYGON16"}, {87, "EMR_POLYLINE16"},
    {88, "EMR_POLYBEZIERTO16"}, {89, "EMR_POLYLINETO16"}, {90, "EMR_POLYPOLYLINE16"},
    {91, "EMR_POLYPOLYGON16"}, {92, "EMR_POLYDRAW16"}, {93, "EMR_CREATEMONOBRUSH"},
    {94, "EMR_CREATEDIBPATTERNBRUSHPT"}, {95, "EMR_EXTCREATEPEN"}, {96, "EMR_POLYTEXTOUTA"},
    {97, "EMR_POLYTEXTOUTW"}, {98, "EMR_SETICMMODE"}, {99, "EMR_CREATECOLORSPACE"},
    {100, "EMR_SETCOLORSPACE"}, {101, "EMR_DELETECOLORSPACE"}, {102, "EMR_GLSRECORD"},
    {103, "EMR_GLSBOUNDEDRECORD"}, {104, "EMR_PIXELFORMAT"}, {105, "EMR_DRAWESCAPE"},
    {106, "EMR_EXTESCAPE"}, {108, "EMR_SMALLTEXTOUT"}, {109, "EMR_FORCEUFIMAPPING"},
    {110, "EMR_NAMEDESCAPE"}, {111, "EMR_COLORCORRECTPALETTE"}, {112, "EMR_SETICMPROFILEA"},
    {113, "EMR_SETICMPROFILEW"}, {114, "EMR_ALPHABLEND"}, {115, "EMR_SETLAYOUT"},
    {116, "EMR_TRANSPARENTBLT"}, {118, "EMR_GRADIENTFILL"}, {119, "EMR_SETLINKEDUFIS"},
    {120, "EMR_SETTEXTJUSTIFICATION"}, {121, "EMR_COLORMATCHTOTARGETW"},
    {122, "EMR_CREATECOLORSPACEW"},
};

// Smallest sound size of the fixed-size records; 0 = not checked here.
uint32_t MinimumSize(uint32_t type)
{
    switch (type) {
    case EMR_SAVEDC: case EMR_BEGINPATH: case EMR_ENDPATH: case EMR_CLOSEFIGURE:
    case EMR_ABORTPATH: case EMR_REALIZEPALETTE: case EMR_FLATTENPATH: case EMR_WIDENPATH:
        return 8;
    case EMR_SETMAPMODE: case EMR_SETBKMODE: case EMR_SETPOLYFILLMODE: case EMR_SETROP2:
    case EMR_SETSTRETCHBLTMODE: case EMR_SETTEXTALIGN: case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR: case EMR_RESTOREDC: case EMR_SELECTOBJECT: case EMR_DELETEOBJECT:
    case EMR_SETARCDIRECTION: case EMR_SELECTCLIPPATH: case EMR_SETMITERLIMIT:
        return 12;
    case EMR_SETWINDOWEXTEX: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX: case EMR_SETBRUSHORGEX: case EMR_MOVETOEX: case EMR_LINETO:
    case EMR_OFFSETCLIPRGN:
        return 16;
    case EMR_RECTANGLE: case EMR_ELLIPSE: case EMR_INTERSECTCLIPRECT: case EMR_EXCLUDECLIPRECT:
    case EMR_CREATEBRUSHINDIRECT: case EMR_FILLPATH: case EMR_STROKEPATH:
    case EMR_STROKEANDFILLPATH:
        return 24;
    case EMR_CREATEPEN: return 28;
    case EMR_ROUNDRECT: return 32;
    case EMR_SCALEVIEWPORTEXTEX: case EMR_SCALEWINDOWEXTEX: return 24;
    case EMR_SETWORLDTRANSFORM: return 32;
    case EMR_MODIFYWORLDTRANSFORM: return 36;
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: return 40;
    case EMR_EXTCREATEPEN: return 52;
    case EMR_EXTCREATEFONTINDIRECTW: return 12 + kLogFontSize;
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: return 76;
    case EMR_STRETCHDIBITS: return 80;
    case EMR_BITBLT: return 100;
    case EMR_STRETCHBLT: return 108;
    case EMR_GDICOMMENT: return 12;
    case EMR_EXTSELECTCLIPRGN: return 16;
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO: case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16:
        return 28;
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16:
        return 32;
    default:
        return 0;
    }
}

// offset + length inside the record, both taken from the file (64-bit so nothing wraps).
bool Inside(const TRecordView &r, uint64_t offset, uint64_t length) { return offset + length <= r.size; }

QString CheckBitmap(const TRecordView &r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits)
{
    if (cbBmi && !Inside(r, r.U32(offBmi), r.U32(cbBmi)))
        return QStringLiteral("bitmap header outside the record");
    if (cbBits && !Inside(r, r.U32(offBits), r.U32(cbBits)))
        return QStringLiteral("bitmap bits outside the record");
    return {};
}

} // namespace

QString RecordName(uint32_t type)
{
    for (const TName &n : kNames) {
        if (n.type == type)
            return QString::fromLatin1(n.name);
    }
    return QStringLiteral("EMR_UNKNOWN_%1").arg(type);
}

QString TRecordView::Utf16(uint32_t off, uint32_t count) const
{
    if (!HasBytes(off, uint64_t(count) * 2))
        return {};
    QString s(qsizetype(count), Qt::Uninitialized);
    std::memcpy(s.data(), data + off, size_t(count) * 2);
    return s;
}

bool CreatesObject(uint32_t type)
{
    switch (type) {
    case EMR_CREATEPEN: case EMR_CREATEBRUSHINDIRECT: case EMR_EXTCREATEFONTINDIRECTW:
    case EMR_EXTCREATEPEN: case EMR_CREATEPALETTE: case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT: case EMR_CREATECOLORSPACE: case EMR_CREATECOLORSPACEW:
        return true;
    default:
        return false;
    }
}

QString CheckRecord(const TRecordView &r)
{
    if (r.size < 8 || r.size % 4)
        return QStringLiteral("bad record size %1").arg(r.size);
    if (const uint32_t min = MinimumSize(r.type); min && r.size < min)
        return QStringLiteral("record of %1 bytes, at least %2 expected").arg(r.size).arg(min);
    switch (r.type) {
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
        if (!Inside(r, 28, uint64_t(r.U32(24)) * 8))
            return QStringLiteral("points outside the record");
        break;
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16:
        if (!Inside(r, 28, uint64_t(r.U32(24)) * 4))
            return QStringLiteral("points outside the record");
        break;
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: {
        const uint64_t polys = r.U32(24), points = r.U32(28);
        const uint64_t pointSize = (r.type == EMR_POLYPOLYLINE || r.type == EMR_POLYPOLYGON) ? 8 : 4;
        if (!Inside(r, 32, polys * 4 + points * pointSize))
            return QStringLiteral("points outside the record");
        uint64_t sum = 0;
        for (uint32_t i = 0; i < polys; ++i)
            sum += r.U32(32 + 4 * i);
        if (sum > points)
            return QStringLiteral("polygon counts exceed the points");
        break;
    }
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: {
        const uint64_t chars = r.U32(44);
        const uint32_t options = r.U32(52);
        const uint64_t unit = r.type == EMR_EXTTEXTOUTW ? 2 : 1;
        if (chars && !Inside(r, r.U32(48), chars * unit))
            return QStringLiteral("text outside the record");
        const uint32_t dxField = (options & ETO_NO_RECT) ? 56 : 72;
        const uint32_t offDx = r.U32(dxField);
        if (chars && offDx && !Inside(r, offDx, chars * 4 * ((options & ETO_PDY) ? 2 : 1)))
            return QStringLiteral("spacing array outside the record");
        break;
    }
    case EMR_EXTCREATEPEN: {
        if (QString e = CheckBitmap(r, 12, 16, 20, 24); !e.isEmpty())
            return e;
        if ((r.U32(28) & PS_STYLE_MASK) == PS_USERSTYLE && !Inside(r, 52, uint64_t(r.U32(48)) * 4))
            return QStringLiteral("style entries outside the record");
        break;
    }
    case EMR_STRETCHDIBITS:
        return CheckBitmap(r, 48, 52, 56, 60);
    case EMR_BITBLT: case EMR_STRETCHBLT:
        return CheckBitmap(r, 84, 88, 92, 96);
    case EMR_GDICOMMENT:
        if (!Inside(r, 12, r.U32(8)))
            return QStringLiteral("comment data outside the record");
        break;
    case EMR_EXTSELECTCLIPRGN:
        if (!Inside(r, 16, r.U32(8)))
            return QStringLiteral("region data outside the record");
        break;
    default:
        break;
    }
    return {};
}

} // namespace printout::emf
