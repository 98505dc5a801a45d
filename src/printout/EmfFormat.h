#pragma once
// The enhanced-metafile format in one place: record type numbers and names, the constants
// our pages use, bounds-checked little-endian reads of a record, and the per-type checks
// that every record read from a file passes before anything looks inside it.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstring>

namespace printout::emf {

enum TRecordType : uint32_t {
    EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12,
    EMR_SETBRUSHORGEX = 13, EMR_EOF = 14, EMR_SETPIXELV = 15, EMR_SETMAPPERFLAGS = 16,
    EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19, EMR_SETROP2 = 20,
    EMR_SETSTRETCHBLTMODE = 21, EMR_SETTEXTALIGN = 22, EMR_SETCOLORADJUSTMENT = 23,
    EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_OFFSETCLIPRGN = 26, EMR_MOVETOEX = 27,
    EMR_SETMETARGN = 28, EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31, EMR_SCALEWINDOWEXTEX = 32, EMR_SAVEDC = 33, EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35, EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40, EMR_ANGLEARC = 41,
    EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44, EMR_ARC = 45, EMR_CHORD = 46,
    EMR_PIE = 47, EMR_SELECTPALETTE = 48, EMR_CREATEPALETTE = 49, EMR_SETPALETTEENTRIES = 50,
    EMR_RESIZEPALETTE = 51, EMR_REALIZEPALETTE = 52, EMR_EXTFLOODFILL = 53, EMR_LINETO = 54,
    EMR_ARCTO = 55, EMR_POLYDRAW = 56, EMR_SETARCDIRECTION = 57, EMR_SETMITERLIMIT = 58,
    EMR_BEGINPATH = 59, EMR_ENDPATH = 60, EMR_CLOSEFIGURE = 61, EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64, EMR_FLATTENPATH = 65, EMR_WIDENPATH = 66,
    EMR_SELECTCLIPPATH = 67, EMR_ABORTPATH = 68, EMR_GDICOMMENT = 70, EMR_FILLRGN = 71,
    EMR_FRAMERGN = 72, EMR_INVERTRGN = 73, EMR_PAINTRGN = 74, EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76, EMR_STRETCHBLT = 77, EMR_MASKBLT = 78, EMR_PLGBLT = 79,
    EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87, EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90, EMR_POLYPOLYGON16 = 91, EMR_POLYDRAW16 = 92,
    EMR_CREATEMONOBRUSH = 93, EMR_CREATEDIBPATTERNBRUSHPT = 94, EMR_EXTCREATEPEN = 95,
    EMR_POLYTEXTOUTA = 96, EMR_POLYTEXTOUTW = 97, EMR_SETICMMODE = 98, EMR_CREATECOLORSPACE = 99,
    EMR_SETCOLORSPACE = 100, EMR_DELETECOLORSPACE = 101, EMR_GLSRECORD = 102,
    EMR_GLSBOUNDEDRECORD = 103, EMR_PIXELFORMAT = 104, EMR_DRAWESCAPE = 105,
    EMR_EXTESCAPE = 106, EMR_SMALLTEXTOUT = 108, EMR_FORCEUFIMAPPING = 109,
    EMR_NAMEDESCAPE = 110, EMR_COLORCORRECTPALETTE = 111, EMR_SETICMPROFILEA = 112,
    EMR_SETICMPROFILEW = 113, EMR_ALPHABLEND = 114, EMR_SETLAYOUT = 115,
    EMR_TRANSPARENTBLT = 116, EMR_GRADIENTFILL = 118, EMR_SETLINKEDUFIS = 119,
    EMR_SETTEXTJUSTIFICATION = 120, EMR_COLORMATCHTOTARGETW = 121,
    EMR_CREATECOLORSPACEW = 122,
};

// The standard name of a record type ("EMR_HEADER"); "EMR_UNKNOWN_<n>" for others.
QString RecordName(uint32_t type);

inline constexpr uint32_t kSignature = 0x464D4520;        // " EMF"
inline constexpr uint32_t kVersion = 0x00010000;
inline constexpr uint32_t kHeaderSize = 108;               // with both header extensions
inline constexpr uint32_t kStockObject = 0x80000000u;      // bit of stock object indexes
inline constexpr uint32_t kWhiteBrush = 0x80000000u, kBlackBrush = 0x80000004u,
                          kNullBrush = 0x80000005u, kWhitePen = 0x80000006u,
                          kBlackPen = 0x80000007u, kNullPen = 0x80000008u,
                          kSystemFont = 0x8000000Du, kDefaultGuiFont = 0x80000011u;
inline constexpr uint32_t MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4,
                          MM_HIENGLISH = 5, MM_TWIPS = 6, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8;
inline constexpr uint32_t TRANSPARENT = 1, OPAQUE = 2;
inline constexpr uint32_t TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8,
                          TA_BASELINE = 24, TA_HMASK = 6, TA_VMASK = 24;
inline constexpr uint32_t ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_GLYPH_INDEX = 0x10,
                          ETO_NO_RECT = 0x100, ETO_PDY = 0x2000;
inline constexpr uint32_t PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3,
                          PS_DASHDOTDOT = 4, PS_NULL = 5, PS_INSIDEFRAME = 6, PS_USERSTYLE = 7,
                          PS_STYLE_MASK = 0xF, PS_ENDCAP_MASK = 0xF00, PS_JOIN_MASK = 0xF000,
                          PS_GEOMETRIC = 0x10000;
inline constexpr uint32_t BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2;
inline constexpr uint32_t kLogFontSize = 92;
inline constexpr uint32_t kFontRecordSize = 368; // LogFontExDv form with no design axes
inline constexpr uint32_t kDesignVectorSignature = 0x08007664;

// A record inside a byte buffer: type, size and checked reads. Reads outside the record
// return 0 (and HasBytes says so beforehand), so a reader can never run past it.
struct TRecordView {
    uint32_t type = 0;
    uint32_t size = 0;
    const uint8_t *data = nullptr; // size bytes, the 8-byte header included

    bool HasBytes(uint64_t offset, uint64_t length) const { return offset + length <= size; }
    uint32_t U32(uint32_t off) const
    {
        if (!HasBytes(off, 4)) return 0;
        uint32_t v;
        std::memcpy(&v, data + off, 4);
        return v; // the supported hosts are little-endian, like the format
    }
    int32_t I32(uint32_t off) const { return int32_t(U32(off)); }
    uint16_t U16(uint32_t off) const
    {
        if (!HasBytes(off, 2)) return 0;
        uint16_t v;
        std::memcpy(&v, data + off, 2);
        return v;
    }
    int16_t I16(uint32_t off) const { return int16_t(U16(off)); }
    uint8_t U8(uint32_t off) const { return HasBytes(off, 1) ? data[off] : 0; }
    float F32(uint32_t off) const
    {
        const uint32_t u = U32(off);
        float f;
        std::memcpy(&f, &u, 4);
        return f;
    }
    // count UTF-16 units at off; empty when they do not fit.
    QString Utf16(uint32_t off, uint32_t count) const;
};

// Why a record read from a file cannot be used, or empty when it is sound: sizes, counts and
// every internal offset and length checked against the record size.
QString CheckRecord(const TRecordView &r);

// Whether a record type creates an object into a handle slot (its slot at offset 8).
bool CreatesObject(uint32_t type);

// Appends little-endian values to a record being built.
class TRecordWriter {
public:
    explicit TRecordWriter(QByteArray &out, uint32_t type) : m_out(out), m_start(out.size())
    {
        U32(type);
        U32(0);
    }
    void U32(uint32_t v) { m_out.append(reinterpret_cast<const char *>(&v), 4); }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void U16(uint16_t v) { m_out.append(reinterpret_cast<const char *>(&v), 2); }
    void U8(uint8_t v) { m_out.append(char(v)); }
    void F32(float f)
    {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        U32(u);
    }
    void Bytes(const char *p, qsizetype n) { m_out.append(p, n); }
    void Zeros(qsizetype n) { m_out.append(n, '\0'); }
    void Pad4()
    {
        while ((m_out.size() - m_start) % 4) m_out.append('\0');
    }
    qsizetype Offset() const { return m_out.size() - m_start; }
    // Pads to 4 bytes and writes the size field; returns the record size.
    uint32_t Finish()
    {
        Pad4();
        const uint32_t size = uint32_t(m_out.size() - m_start);
        std::memcpy(m_out.data() + m_start + 4, &size, 4);
        return size;
    }

private:
    QByteArray &m_out;
    qsizetype m_start;
};

} // namespace printout::emf
