#include "pdf/PdfSyntax.h"

#include <zlib.h>

#include <cmath>

namespace pdf {

QByteArray FormatNumber(double value)
{
    // Rounded to thousandths first so that "-0.0001" does not come out as "-0".
    double rounded = std::round(value * 1000.0) / 1000.0;
    if (rounded == 0.0)
        rounded = 0.0;
    // QByteArray::number ignores the C and Qt locales: the separator is always '.'.
    QByteArray text = QByteArray::number(rounded, 'f', 3);
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    return text;
}

QByteArray LiteralString(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + 2);
    out.append('(');
    for (char c : bytes) {
        switch (c) {
        case '\b': out.append("\\b"); break;
        case '\t': out.append("\\t"); break;
        case '\n': out.append("\\n"); break;
        case '\f': out.append("\\f"); break;
        case '\r': out.append("\\r"); break;
        case '(': case ')': case '\\':
            out.append('\\');
            out.append(c);
            break;
        default: out.append(c);
        }
    }
    out.append(')');
    return out;
}

QByteArray NameText(const QByteArray &name)
{
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(name.size());
    for (char c : name) {
        const uchar u = uchar(c);
        // Delimiters, '#' and bytes outside the printable range would end or break the name.
        if (u <= 32 || u >= 127 || QByteArray("()<>[]{}/%#").contains(c)) {
            out.append('#');
            out.append(kHex[u >> 4]);
            out.append(kHex[u & 15]);
        } else {
            out.append(c);
        }
    }
    return out;
}

QByteArray Ascii85(const QByteArray &data)
{
    QByteArray out;
    out.reserve(data.size() * 5 / 4 + 8);
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    const qsizetype size = data.size();
    qsizetype i = 0;
    char digits[5];
    auto encode = [&](quint32 value) {
        for (int d = 4; d >= 0; --d) {
            digits[d] = char('!' + value % 85);
            value /= 85;
        }
    };
    for (; i + 4 <= size; i += 4) {
        const quint32 value = (quint32(bytes[i]) << 24) | (quint32(bytes[i + 1]) << 16) |
                              (quint32(bytes[i + 2]) << 8) | quint32(bytes[i + 3]);
        if (value == 0) {
            out.append('z');
            continue;
        }
        encode(value);
        out.append(digits, 5);
    }
    const qsizetype rest = size - i;
    if (rest > 0) {
        quint32 value = 0;
        for (int k = 0; k < 4; ++k)
            value = (value << 8) | (k < rest ? bytes[i + k] : 0u);
        encode(value);
        out.append(digits, rest + 1);
    }
    out.append("~>");
    return out;
}

QByteArray ZlibCompress(const QByteArray &data)
{
    uLongf capacity = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(capacity), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef *>(out.data()), &capacity,
                  reinterpret_cast<const Bytef *>(data.constData()), uLong(data.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        return QByteArray();
    out.truncate(qsizetype(capacity));
    return out;
}

} // namespace pdf
