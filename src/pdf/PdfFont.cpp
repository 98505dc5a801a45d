#include "pdf/PdfFont.h"

#include "pdf/FontEngine.h"
#include "pdf/PdfCodePages.h"
#include "pdf/PdfFile.h"
#include "pdf/PdfSyntax.h"

#include <cmath>

namespace pdf {

namespace {

const int kFirstChar = 32;
const int kLastChar = 255;

quint16 U16(const QByteArray &b, qsizetype at)
{
    return quint16((uchar(b[at]) << 8) | uchar(b[at + 1]));
}

quint32 U32(const QByteArray &b, qsizetype at) { return (quint32(U16(b, at)) << 16) | U16(b, at + 2); }

// Figures of the OS/2 table that the font engine does not hand out.
struct TOs2Extra {
    int strikeoutSize = 0;
    int strikeoutPosition = 0;
    int familyClass = 0; // high byte of sFamilyClass: 10 for scripts
    bool found = false;
};

TOs2Extra ReadOs2(const QByteArray &file, int faceIndex)
{
    TOs2Extra extra;
    if (file.size() < 12)
        return extra;
    qsizetype base = 0;
    if (file.startsWith("ttcf")) {
        const qsizetype entry = 12 + qsizetype(faceIndex) * 4;
        if (file.size() < entry + 4)
            return extra;
        base = qsizetype(U32(file, entry));
    }
    if (file.size() < base + 12)
        return extra;
    const int tables = U16(file, base + 4);
    for (int i = 0; i < tables; ++i) {
        const qsizetype record = base + 12 + qsizetype(i) * 16;
        if (file.size() < record + 16)
            return extra;
        if (file.mid(record, 4) != "OS/2")
            continue;
        const qsizetype offset = qsizetype(U32(file, record + 8));
        if (file.size() < offset + 32)
            return extra;
        extra.strikeoutSize = qint16(U16(file, offset + 26));
        extra.strikeoutPosition = qint16(U16(file, offset + 28));
        extra.familyClass = qint16(U16(file, offset + 30)) >> 8;
        extra.found = true;
        return extra;
    }
    return extra;
}

bool Listed(const QStringList &list, const QString &name)
{
    return list.contains(name, Qt::CaseInsensitive);
}

} // namespace

int TPdfFont::EffectiveCharset(const TPdfFontDesc &desc)
{
    if (desc.Charset == kDefaultCharset)
        return DefaultCharsetOfLocale();
    if (CodePageOfCharset(desc.Charset) == 0)
        throw EPdfError(TPdfErrorCode::CharsetNotSupported, desc.Name);
    return desc.Charset;
}

static QString StyleSuffix(const TPdfFontDesc &desc)
{
    if (desc.Bold && desc.Italic)
        return QStringLiteral(",BoldItalic");
    if (desc.Bold)
        return QStringLiteral(",Bold");
    if (desc.Italic)
        return QStringLiteral(",Italic");
    return QString();
}

QString TPdfFont::Key(const TPdfFontDesc &desc, int charset)
{
    return desc.Name + StyleSuffix(desc) + QLatin1Char('|') + QString::number(charset);
}

const TFontFace &TPdfFont::FaceOf(const TPdfFontDesc &desc, const char *query)
{
    const TFontFace *face = TFontEngine::Instance().Face(desc.Name, desc.Bold, desc.Italic);
    if (!face)
        throw EPdfError(TPdfErrorCode::InternalError, QString::fromLatin1(query));
    return *face;
}

TPdfFont::TPdfFont(const TPdfFontDesc &desc, int charset, int position, const TOptions &options, TPdfFile &file)
    : m_name(desc.Name), m_charset(charset), m_codePage(CodePageOfCharset(charset)), m_position(position),
      m_rtlKind(pdf::RightToLeftKind(charset)), m_italic(desc.Italic)
{
    m_symbolic = Listed(options.symbolic, m_name);
    m_face = &FaceOf(desc, "GetTextMetrics");
    if (!m_face->IsTrueType())
        throw EPdfError(TPdfErrorCode::NotTrueType, m_name);

    const TFontMetrics &m = m_face->Metrics();
    const double em = m.unitsPerEm > 0 ? m.unitsPerEm : 1000;
    m_ascent = m.winAscent / em;
    m_underlineSize = m.underlineThickness / em;
    m_underlinePos = m.underlinePosition / em;
    const TOs2Extra os2 = ReadOs2(m_face->FileBytes(), m_face->FaceIndex());
    if (os2.found && os2.strikeoutSize > 0) {
        m_strikeSize = os2.strikeoutSize / em;
        m_strikePos = os2.strikeoutPosition / em;
    } else {
        // Without the table the rule goes through the middle of the lower-case letters.
        m_strikeSize = m_underlineSize;
        m_strikePos = (m.xHeight > 0 ? m.xHeight / 2.0 : m.winAscent / 4.0) / em;
    }
    m_familyClass = os2.familyClass;

    // A collection file cannot stand as one font program, so such faces stay out.
    const bool single = !m_face->FileBytes().startsWith("ttcf");
    m_embedded = options.embedFonts && m_face->EmbeddingAllowed() && !Listed(options.nonEmbedded, m_name) && single;
    WriteObjects(file, options, m_name + StyleSuffix(desc));
}

void TPdfFont::WriteObjects(TPdfFile &file, const TOptions &, const QString &baseName)
{
    const TFontMetrics &m = m_face->Metrics();
    const double em = m.unitsPerEm > 0 ? m.unitsPerEm : 1000;
    const auto thousandths = [em](double units) { return QByteArray::number(qint64(std::lround(units * 1000.0 / em))); };

    int fontFile = 0;
    if (m_embedded) {
        const QByteArray &program = m_face->FileBytes();
        if (program.isEmpty())
            throw EPdfError(TPdfErrorCode::InternalError, QStringLiteral("GetFontData"));
        const QByteArray packed = ZlibCompress(program);
        if (packed.isEmpty())
            throw EPdfError(TPdfErrorCode::InternalError, QStringLiteral("GetFontData"));
        const QByteArray encoded = Ascii85(packed);
        fontFile = file.StartObject();
        file.Line("<<");
        file.Line("/Filter[/ASCII85Decode/FlateDecode]");
        file.Line("/Length " + QByteArray::number(encoded.size()));
        file.Line("/Length1 " + QByteArray::number(program.size()));
        file.Line(">>");
        file.Line("stream");
        file.Write(encoded);
        file.Line(QByteArray());
        file.Line("endstream");
        file.Line("endobj");
    }

    const int widths = file.StartObject();
    file.Line("[");
    QByteArray row;
    const int missing = m.missingWidth;
    for (int code = kFirstChar; code <= kLastChar; ++code) {
        const char16_t ch = CodePageChar(m_codePage, uchar(code));
        const int units = ch != 0 ? m_face->AdvanceUnits(ch) : missing;
        row += thousandths(units) + ' ';
        if ((code - kFirstChar + 1) % 16 == 0 || code == kLastChar) {
            file.Line(row);
            row.clear();
        }
    }
    file.Line("]");
    file.Line("endobj");

    int flags = m_symbolic ? 4 : 32;
    if (m_face->PdfFlags() & kFontFlagSerif)
        flags += 2;
    if (m_familyClass == 10)
        flags += 8;
    if (m_italic)
        flags += 64;
    const QByteArray faceName = NameText(m_name.toLatin1());
    const int descriptor = file.StartObject();
    file.Line("<<");
    file.Line("/Type/FontDescriptor");
    file.Line("/FontName/" + faceName);
    file.Line("/Ascent " + thousandths(m.winAscent));
    file.Line("/Descent " + thousandths(-m.winDescent));
    file.Line("/ItalicAngle " + QByteArray::number(qint64(std::lround(m.italicAngle))));
    file.Line("/CapHeight " + thousandths(m.winAscent));
    file.Line("/Flags " + QByteArray::number(flags));
    file.Line("/FontBBox[0 0 0 0]");
    if (m_embedded)
        file.Line("/FontFile2 " + QByteArray::number(fontFile) + " 0 R");
    file.Line(">>");
    file.Line("endobj");

    int encoding = 0;
    if (m_codePage != 1252) {
        encoding = file.StartObject();
        file.Line("<<");
        file.Line("/Type/Encoding");
        file.Line("/BaseEncoding/WinAnsiEncoding");
        file.Line("/Differences [");
        for (const QByteArray &entry : EncodingDifferences(m_codePage))
            file.Line(entry);
        file.Line("]");
        file.Line(">>");
        file.Line("endobj");
    }

    m_fontObject = file.StartObject();
    file.Line("<<");
    file.Line("/Type/Font");
    file.Line("/Subtype/TrueType");
    file.Line("/Name/F" + QByteArray::number(m_position));
    file.Line("/BaseFont/" + NameText(baseName.toLatin1()));
    if (encoding)
        file.Line("/Encoding " + QByteArray::number(encoding) + " 0 R");
    else
        file.Line("/Encoding/WinAnsiEncoding");
    file.Line("/FirstChar " + QByteArray::number(kFirstChar));
    file.Line("/LastChar " + QByteArray::number(kLastChar));
    file.Line("/Widths " + QByteArray::number(widths) + " 0 R");
    file.Line("/FontDescriptor " + QByteArray::number(descriptor) + " 0 R");
    file.Line(">>");
    file.Line("endobj");
}

QByteArray TPdfFont::Encode(const QString &text) const
{
    return EncodeText(m_rtlKind != 0 ? ReverseRightToLeftRuns(text) : text, m_codePage);
}

} // namespace pdf
