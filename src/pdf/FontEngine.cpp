#include "pdf/FontEngine.h"

#include <QFile>
#include <QHash>

#include <cmath>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

namespace pdf {

namespace {

// Metric-compatible substitutes of the families the forms and foreign files name.
struct TSubstitute {
    const char *name;
    const char *family;
};
const TSubstitute kSubstitutes[] = {
    {"arial", "Liberation Sans"},
    {"helvetica", "Liberation Sans"},
    {"arial mt", "Liberation Sans"},
    {"ms sans serif", "Liberation Sans"},
    {"times", "Liberation Serif"},
    {"times new roman", "Liberation Serif"},
    {"times roman", "Liberation Serif"},
    {"tms rmn", "Liberation Serif"},
    {"courier", "Liberation Mono"},
    {"courier new", "Liberation Mono"},
};

FT_Library Library()
{
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0)
            lib = nullptr;
        return lib;
    }();
    return library;
}

} // namespace

struct TFontFace::TFreeType {
    FT_Face face = nullptr;
    ~TFreeType()
    {
        if (face)
            FT_Done_Face(face);
    }
};

TFontFace::~TFontFace() = default;

bool TFontFace::Load(const QString &path, int faceIndex)
{
    FT_Library lib = Library();
    if (!lib)
        return false;
    auto ft = std::make_unique<TFreeType>();
    if (FT_New_Face(lib, QFile::encodeName(path).constData(), faceIndex, &ft->face) != 0)
        return false;
    FT_Face f = ft->face;
    if (!FT_IS_SCALABLE(f))
        return false;
    m_path = path;
    m_faceIndex = faceIndex;
    m_family = QString::fromUtf8(f->family_name ? f->family_name : "");
    m_style = QString::fromUtf8(f->style_name ? f->style_name : "");
    const char *ps = FT_Get_Postscript_Name(f);
    m_postScriptName = ps ? QString::fromLatin1(ps) : QString(m_family + m_style).remove(QLatin1Char(' '));
    if (m_postScriptName.isEmpty())
        m_postScriptName = QStringLiteral("Font");
    m_bold = (f->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    m_italic = (f->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    FT_ULong glyfLength = 0;
    m_trueType = FT_IS_SFNT(f) && FT_Load_Sfnt_Table(f, TTAG_glyf, 0, nullptr, &glyfLength) == 0 && glyfLength > 0;

    TFontMetrics &m = m_metrics;
    m.unitsPerEm = f->units_per_EM > 0 ? f->units_per_EM : 1000;
    m.ascent = f->ascender;
    m.descent = f->descender;
    m.bboxXMin = int(f->bbox.xMin);
    m.bboxYMin = int(f->bbox.yMin);
    m.bboxXMax = int(f->bbox.xMax);
    m.bboxYMax = int(f->bbox.yMax);
    m.underlinePosition = f->underline_position;
    m.underlineThickness = f->underline_thickness;
    m.winAscent = m.ascent;
    m.winDescent = -m.descent;
    if (const auto *os2 = static_cast<const TT_OS2 *>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
        m_fsType = os2->fsType;
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            m.winAscent = os2->usWinAscent;
            m.winDescent = os2->usWinDescent;
        }
        if (os2->version >= 2) {
            m.capHeight = os2->sCapHeight;
            m.xHeight = os2->sxHeight;
        }
        if (os2->usWeightClass >= 600)
            m_bold = true;
    }
    if (const auto *post = static_cast<const TT_Postscript *>(FT_Get_Sfnt_Table(f, FT_SFNT_POST)))
        m.italicAngle = double(post->italicAngle) / 65536.0;
    auto glyphHeight = [f](char32_t c) {
        const FT_UInt g = FT_Get_Char_Index(f, c);
        if (g == 0 || FT_Load_Glyph(f, g, FT_LOAD_NO_SCALE) != 0)
            return 0;
        return int(f->glyph->metrics.horiBearingY);
    };
    m_ft = std::move(ft);
    if (m.capHeight <= 0)
        m.capHeight = glyphHeight(U'H');
    if (m.capHeight <= 0)
        m.capHeight = m.ascent;
    if (m.xHeight <= 0)
        m.xHeight = glyphHeight(U'x');
    // The usual estimate from the weight: thin faces ~ 50, regular ~ 80, bold ~ 140 per 1000.
    m.stemV = (m_bold ? 140 : 80) * m.unitsPerEm / 1000;
    m_advanceCache.assign(size_t(std::max<FT_Long>(f->num_glyphs, 1)), -1);
    m.missingWidth = GlyphAdvanceUnits(0);
    return true;
}

bool TFontFace::IsFixedPitch() const { return m_ft && FT_IS_FIXED_WIDTH(m_ft->face); }

bool TFontFace::EmbeddingAllowed() const
{
    // Restricted licence forbids embedding unless a print/preview or editable bit relaxes it.
    if ((m_fsType & 0x000F) == 0x0002)
        return false;
    return true;
}

uint32_t TFontFace::PdfFlags() const
{
    uint32_t flags = kFontFlagNonsymbolic;
    if (IsFixedPitch())
        flags |= kFontFlagFixedPitch;
    const QString family = m_family.toLower();
    if (family.contains(QLatin1String("serif")) ? !family.contains(QLatin1String("sans"))
                                                : (family.contains(QLatin1String("times")) || family.contains(QLatin1String("roman"))))
        flags |= kFontFlagSerif;
    if (m_italic || m_metrics.italicAngle != 0)
        flags |= kFontFlagItalic;
    if (m_bold)
        flags |= kFontFlagForceBold;
    return flags;
}

unsigned TFontFace::GlyphIndex(char32_t codePoint) const
{
    return m_ft ? FT_Get_Char_Index(m_ft->face, FT_ULong(codePoint)) : 0;
}

QString TFontFace::GlyphName(unsigned glyph) const
{
    if (!m_ft || !FT_HAS_GLYPH_NAMES(m_ft->face) || glyph >= unsigned(GlyphCount()))
        return {};
    char name[128] = {};
    if (FT_Get_Glyph_Name(m_ft->face, glyph, name, sizeof name) != 0)
        return {};
    return QString::fromLatin1(name);
}

int TFontFace::GlyphCount() const { return m_ft ? int(m_ft->face->num_glyphs) : 0; }

int TFontFace::GlyphAdvanceUnits(unsigned glyph) const
{
    if (!m_ft || glyph >= m_advanceCache.size())
        return 0;
    int32_t &cached = m_advanceCache[glyph];
    if (cached < 0) {
        FT_Fixed advance = 0;
        if (FT_Get_Advance(m_ft->face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING, &advance) != 0)
            advance = 0;
        cached = int32_t(advance);
    }
    return cached;
}

int TFontFace::AdvanceUnits(char32_t codePoint) const
{
    // Text is measured glyph by glyph many times per page; the common characters skip the
    // character map.
    if (codePoint < kCharCache) {
        if (m_charAdvance.empty())
            m_charAdvance.assign(kCharCache, -1);
        int32_t &cached = m_charAdvance[codePoint];
        if (cached < 0)
            cached = GlyphAdvanceUnits(GlyphIndex(codePoint));
        return cached;
    }
    return GlyphAdvanceUnits(GlyphIndex(codePoint));
}

double TFontFace::Advance(char32_t codePoint, double emHeight) const
{
    return AdvanceUnits(codePoint) * emHeight / m_metrics.unitsPerEm;
}

namespace {

// Calls fn(codePoint, utf16Units) for each character of text, surrogate pairs joined.
template <typename Fn>
void ForEachCodePoint(const QString &text, Fn fn)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            fn(QChar::surrogateToUcs4(c, text[i + 1]), 2);
            ++i;
        } else {
            fn(char32_t(c.unicode()), 1);
        }
    }
}

} // namespace

double TFontFace::TextWidth(const QString &text, double emHeight) const
{
    long long units = 0;
    ForEachCodePoint(text, [&](char32_t cp, int) { units += AdvanceUnits(cp); });
    return double(units) * emHeight / m_metrics.unitsPerEm;
}

std::vector<int> TFontFace::RoundedAdvances(const QString &text, double emHeight) const
{
    std::vector<int> out;
    out.reserve(size_t(text.size()));
    const double scale = emHeight / m_metrics.unitsPerEm;
    long long units = 0;
    long long placed = 0;
    ForEachCodePoint(text, [&](char32_t cp, int codeUnits) {
        units += AdvanceUnits(cp);
        const long long next = std::llround(double(units) * scale);
        out.push_back(int(next - placed));
        placed = next;
        if (codeUnits == 2)
            out.push_back(0);
    });
    return out;
}

double TFontFace::EmForHeight(double height) const
{
    if (height < 0)
        return -height;
    const int cell = m_metrics.winAscent + m_metrics.winDescent;
    if (cell <= 0)
        return height;
    return height * m_metrics.unitsPerEm / cell;
}

const QByteArray &TFontFace::FileBytes() const
{
    if (!m_fileRead) {
        m_fileRead = true;
        QFile file(m_path);
        if (file.open(QIODevice::ReadOnly))
            m_fileBytes = file.readAll();
    }
    return m_fileBytes;
}

struct TFontEngine::TImpl {
    QHash<QString, std::shared_ptr<TFontFace>> byRequest; // "family|b|i" (lower case)
    QHash<QString, std::shared_ptr<TFontFace>> byFile;    // "path#index"
    bool fcReady = false;
};

TFontEngine::TFontEngine() : m_impl(std::make_unique<TImpl>()) { m_impl->fcReady = FcInit() == FcTrue; }

TFontEngine::~TFontEngine() = default;

TFontEngine &TFontEngine::Instance()
{
    static TFontEngine engine;
    return engine;
}

QString TFontEngine::SubstituteFamily(const QString &family)
{
    const QString key = family.trimmed().toLower();
    for (const TSubstitute &s : kSubstitutes) {
        if (key == QLatin1String(s.name))
            return QString::fromLatin1(s.family);
    }
    return family.trimmed();
}

QString TFontEngine::ResolveFile(const QString &family, bool bold, bool italic, int *faceIndex)
{
    if (faceIndex)
        *faceIndex = 0;
    FcPattern *pattern = FcPatternCreate();
    if (!pattern)
        return {};
    const QByteArray name = SubstituteFamily(family).toUtf8();
    if (!name.isEmpty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(name.constData()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    QString path;
    if (match) {
        FcChar8 *file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
            path = QFile::decodeName(reinterpret_cast<const char *>(file));
        int index = 0;
        if (faceIndex && FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch)
            *faceIndex = index;
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return path;
}

const TFontFace *TFontEngine::Face(const QString &family, bool bold, bool italic)
{
    const QString requestKey = family.trimmed().toLower() + (bold ? QLatin1String("|b") : QLatin1String("|r")) +
                               (italic ? QLatin1String("|i") : QLatin1String("|u"));
    if (auto it = m_impl->byRequest.constFind(requestKey); it != m_impl->byRequest.constEnd())
        return it->get();
    std::shared_ptr<TFontFace> face;
    // The requested family first, then the sans substitute so that something always prints.
    for (const QString &candidate : {family, QStringLiteral("Liberation Sans"), QString()}) {
        int index = 0;
        const QString path = ResolveFile(candidate, bold, italic, &index);
        if (path.isEmpty())
            continue;
        const QString fileKey = path + QLatin1Char('#') + QString::number(index);
        if (auto it = m_impl->byFile.constFind(fileKey); it != m_impl->byFile.constEnd()) {
            face = *it;
            break;
        }
        std::shared_ptr<TFontFace> loaded(new TFontFace);
        if (loaded->Load(path, index)) {
            m_impl->byFile.insert(fileKey, loaded);
            face = loaded;
            break;
        }
    }
    m_impl->byRequest.insert(requestKey, face);
    return face.get();
}

} // namespace pdf
