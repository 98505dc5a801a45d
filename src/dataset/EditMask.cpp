#include "dataset/EditMask.h"

namespace dataset {

namespace {

// Unfilled positions of a '.' mask: looks like a period, cannot be typed by mistake and
// has no place in the tables' code page.
constexpr char16_t kDotLeader = 0x2024;

} // namespace

TEditMask::TEditMask(const QString &mask)
    : m_source(mask)
{
    // The mask part ends at the first unescaped ';'; then the literal flag and the blank.
    int end = -1;
    for (int i = 0; i < mask.size(); ++i) {
        if (mask[i] == QLatin1Char('\\')) {
            ++i;
        } else if (mask[i] == QLatin1Char(';')) {
            end = i;
            break;
        }
    }
    const QString body = end < 0 ? mask : mask.left(end);
    if (end >= 0) {
        const QString rest = mask.mid(end + 1);
        const int semi = rest.indexOf(QLatin1Char(';'));
        const QString save = semi < 0 ? rest : rest.left(semi);
        m_saveLiterals = !save.startsWith(QLatin1Char('0'));
        if (semi >= 0 && semi + 1 < rest.size())
            m_blank = rest.at(semi + 1);
    }

    TCase caseMode = TCase::None;
    for (int i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        TPosition p;
        switch (c.unicode()) {
        case '!': m_trimLeading = true; continue;
        case '>': caseMode = TCase::Upper; continue;
        case '<':
            if (i + 1 < body.size() && body[i + 1] == QLatin1Char('>')) {
                ++i;
                caseMode = TCase::None;
            } else {
                caseMode = TCase::Lower;
            }
            continue;
        case '\\':
            if (++i >= body.size())
                continue;
            p.ch = body[i];
            break;
        case 'L': p.cls = TClass::Letter; p.required = true; break;
        case 'l': p.cls = TClass::Letter; break;
        case 'A': p.cls = TClass::AlphaNum; p.required = true; break;
        case 'a': p.cls = TClass::AlphaNum; break;
        case 'C': p.cls = TClass::Any; p.required = true; break;
        case 'c': p.cls = TClass::Any; break;
        case '0': p.cls = TClass::Digit; p.required = true; break;
        case '9': p.cls = TClass::Digit; break;
        case '#': p.cls = TClass::DigitSign; break;
        case '_': p.ch = QLatin1Char(' '); break;
        default: p.ch = c; break; // ':' and '/' are our time and date separators as they stand
        }
        p.caseMode = caseMode;
        m_positions.push_back(p);
    }
}

int TEditMask::StoredLength() const
{
    int n = 0;
    for (const TPosition &p : m_positions)
        if (p.cls != TClass::Literal || m_saveLiterals)
            ++n;
    return n;
}

QChar TEditMask::QtBlank() const
{
    return m_blank == QLatin1Char('.') ? QChar(kDotLeader) : m_blank;
}

QString TEditMask::QtInputMask() const
{
    QString out;
    TCase current = TCase::None;
    for (const TPosition &p : m_positions) {
        if (p.cls != TClass::Literal && p.caseMode != current) {
            out += p.caseMode == TCase::Upper ? QLatin1Char('>') : p.caseMode == TCase::Lower ? QLatin1Char('<') : QLatin1Char('!');
            current = p.caseMode;
        }
        switch (p.cls) {
        case TClass::Literal: out += QLatin1Char('\\'); out += p.ch; break;
        case TClass::Letter: out += QLatin1Char(p.required ? 'A' : 'a'); break;
        case TClass::AlphaNum: out += QLatin1Char(p.required ? 'N' : 'n'); break;
        case TClass::Any: out += QLatin1Char(p.required ? 'X' : 'x'); break;
        case TClass::Digit: out += QLatin1Char(p.required ? '9' : '0'); break;
        case TClass::DigitSign: out += QLatin1Char('#'); break;
        }
    }
    out += QLatin1Char(';');
    out += QtBlank();
    return out;
}

QChar TEditMask::Convert(const TPosition &p, QChar c) const
{
    switch (p.caseMode) {
    case TCase::Upper: return c.toUpper();
    case TCase::Lower: return c.toLower();
    case TCase::None: break;
    }
    return c;
}

QString TEditMask::DisplayFromValue(const QString &value) const
{
    QString out;
    out.reserve(Length());
    int v = 0;
    for (const TPosition &p : m_positions) {
        if (p.cls == TClass::Literal) {
            // A stored literal is skipped over; a value stored without them lines up anyway.
            if (m_saveLiterals && v < value.size() && value[v] == p.ch)
                ++v;
            out += p.ch;
            continue;
        }
        const bool inValue = v < value.size();
        const QChar c = inValue ? value[v++] : QLatin1Char(' ');
        // A space inside a free-text value is a typed space (the line edit accepts one
        // there); elsewhere a space is an unfilled position.
        const bool unfilled = !inValue || (c == QLatin1Char(' ') && p.cls != TClass::Any);
        out += unfilled ? QtBlank() : Convert(p, c);
    }
    return out;
}

QString TEditMask::ValueFromDisplay(const QString &display) const
{
    const QChar blank = QtBlank();
    QString out;
    bool filled = false;
    for (size_t i = 0; i < m_positions.size(); ++i) {
        const TPosition &p = m_positions[i];
        if (p.cls == TClass::Literal) {
            if (m_saveLiterals)
                out += p.ch;
            continue;
        }
        QChar c = int(i) < display.size() ? display[int(i)] : blank;
        if (c == blank)
            c = QLatin1Char(' ');
        else if (c != QLatin1Char(' '))
            filled = true;
        out += c;
    }
    if (!filled)
        return {};
    int e = out.size();
    while (e > 0 && out[e - 1] == QLatin1Char(' '))
        --e;
    out.truncate(e);
    if (m_trimLeading) {
        int b = 0;
        while (b < out.size() && out[b] == QLatin1Char(' '))
            ++b;
        out.remove(0, b);
    }
    return out;
}

bool TEditMask::IsComplete(const QString &display) const
{
    const QChar blank = QtBlank();
    bool any = false, missing = false;
    for (size_t i = 0; i < m_positions.size(); ++i) {
        const TPosition &p = m_positions[i];
        if (p.cls == TClass::Literal)
            continue;
        const QChar c = int(i) < display.size() ? display[int(i)] : blank;
        const bool empty = c == blank || c == QLatin1Char(' ');
        any = any || !empty;
        missing = missing || (empty && p.required);
    }
    return !any || !missing;
}

QString TEditMask::FormatText(const QString &value) const
{
    if (value.isEmpty())
        return {};
    QString shown = DisplayFromValue(value);
    shown.replace(QtBlank(), QLatin1Char(' '));
    // Unfilled positions at the end are no part of the text (a grid would elide them).
    qsizetype e = shown.size();
    while (e > 0 && shown[e - 1] == QLatin1Char(' '))
        --e;
    shown.truncate(e);
    return shown;
}

QString TEditMask::Dotted(const QString &mask, int width)
{
    if (!mask.isEmpty())
        return mask.left(mask.size() - 1) + QLatin1Char('.');
    return QString(qMax(width, 0), QLatin1Char('c')) + QStringLiteral(";0;.");
}

} // namespace dataset
