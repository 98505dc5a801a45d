#include "dataset/Field.h"

#include "dataset/Common.h"
#include "dataset/Table.h"
#include "dbase/EngineError.h"
#include "dbase/Record.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <optional>

namespace dataset {

using dbase::EDBEngineError;

namespace {

const QString kDateFormat = QStringLiteral("yyyy/MM/dd");

QLocale NumberLocale()
{
    QLocale l = QLocale::system();
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

bool IsTrueText(const QString &t)
{
    static const char *const kTrue[] = {"T", "TRUE", "Y", "YES", "O", "OUI", "V", "VRAI", "1"};
    for (const char *s : kTrue)
        if (t.compare(QLatin1String(s), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool IsFalseText(const QString &t)
{
    static const char *const kFalse[] = {"F", "FALSE", "N", "NO", "NON", "FAUX", "0"};
    for (const char *s : kFalse)
        if (t.compare(QLatin1String(s), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

[[noreturn]] void ThrowNotNumber(const QString &text, const QString &field)
{
    throw EDBEngineError(dbase::kInvalidField,
                         Pick("'%1' n'est pas une valeur numérique valide pour le champ %2.",
                              "'%1' is not a valid number for field %2.")
                             .arg(text, field));
}

[[noreturn]] void ThrowNotDate(const QString &text, const QString &field)
{
    throw EDBEngineError(dbase::kInvalidField,
                         Pick("'%1' n'est pas une date valide pour le champ %2.",
                              "'%1' is not a valid date for field %2.")
                             .arg(text, field));
}

// text as a number written in locale: an optional sign, digits grouped by threes with the
// locale's group separator or not grouped at all, and at most one decimal separator. Anything
// else is not that locale's number (QLocale alone reads "1,5" as 15 where "," groups).
std::optional<double> StrictNumber(const QString &text, const QLocale &locale)
{
    const QString dec = locale.decimalPoint(), grp = locale.groupSeparator();
    QString digits;
    qsizetype i = 0;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+') || text[i] == locale.negativeSign().front()))
        digits += text[i++] == QLatin1Char('+') ? QString() : QStringLiteral("-");
    int run = 0, groups = 0;
    bool grouped = false, fraction = false, any = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        // Spaces of every width stand for a space-like group separator.
        const bool isGroup = !fraction && !grp.isEmpty()
                          && (QString(c) == grp || (grp.front().isSpace() && c.isSpace()));
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            ++run;
            any = true;
        } else if (isGroup) {
            // The first group has 1 to 3 digits, every later one exactly 3.
            if (run == 0 || run > 3 || (grouped && run != 3))
                return std::nullopt;
            grouped = true;
            ++groups;
            run = 0;
        } else if (!fraction && QString(c) == dec) {
            if (grouped && run != 3)
                return std::nullopt;
            fraction = true;
            digits += QLatin1Char('.');
            run = 0;
        } else {
            return std::nullopt;
        }
    }
    if (!any || (grouped && !fraction && run != 3))
        return std::nullopt;
    bool ok = false;
    const double v = digits.toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// A number typed by the user, in the system's format, or in the C format where that one does
// not read it; a currency symbol and blanks around it are left out. A text neither format
// reads is not a number: it is never reinterpreted.
std::optional<double> ParseNumber(const QString &text)
{
    const QLocale sys = QLocale::system();
    QString t = text;
    t.remove(sys.currencySymbol()).remove(QLatin1Char('$'));
    t = t.trimmed();
    if (const auto v = StrictNumber(t, sys))
        return v;
    // The C format ("1.5") too, unless the system's groups are written with "." and a point
    // could mean either.
    if (sys.groupSeparator() == QLatin1String("."))
        return std::nullopt;
    return StrictNumber(t, QLocale::c());
}

} // namespace

QString FormatFloat(const QString &pattern, double value)
{
    QString section = pattern.section(QLatin1Char(';'), 0, 0);
    if (value < 0 && pattern.count(QLatin1Char(';')) >= 1 && !pattern.section(QLatin1Char(';'), 1, 1).isEmpty()) {
        section = pattern.section(QLatin1Char(';'), 1, 1); // its own sign, if any
        value = -value;
    }
    int first = -1, last = -1;
    for (int i = 0; i < section.size(); ++i)
        if (section[i] == QLatin1Char('#') || section[i] == QLatin1Char('0')) {
            if (first < 0)
                first = i;
            last = i;
        }
    auto literal = [](QString s) { return s.remove(QLatin1Char('"')).remove(QLatin1Char('\'')); };
    if (first < 0)
        return literal(section);
    const QString prefix = literal(section.left(first));
    const QString suffix = literal(section.mid(last + 1));
    const QString body = section.mid(first, last - first + 1);
    const int dot = body.indexOf(QLatin1Char('.'));
    const QString intPart = dot < 0 ? body : body.left(dot);
    const QString fracPart = dot < 0 ? QString() : body.mid(dot + 1);
    const bool grouping = intPart.contains(QLatin1Char(','));
    const int minInt = int(intPart.count(QLatin1Char('0')));
    const int minFrac = int(fracPart.count(QLatin1Char('0')));
    const int maxFrac = minFrac + int(fracPart.count(QLatin1Char('#')));

    const QString digits = QString::number(std::fabs(value), 'f', maxFrac);
    QString whole = digits.section(QLatin1Char('.'), 0, 0);
    QString frac = digits.section(QLatin1Char('.'), 1, 1);
    while (frac.size() > minFrac && frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    if (whole == QLatin1String("0") && minInt == 0)
        whole.clear();
    while (whole.size() < minInt)
        whole.prepend(QLatin1Char('0'));
    const QLocale loc = QLocale::system();
    if (grouping)
        for (int i = whole.size() - 3; i > 0; i -= 3)
            whole.insert(i, loc.groupSeparator());
    auto nonZero = [](const QString &s) {
        return std::any_of(s.begin(), s.end(), [](QChar c) { return c >= QLatin1Char('1') && c <= QLatin1Char('9'); });
    };
    const bool negative = value < 0 && (nonZero(whole) || nonZero(frac));
    QString out = prefix;
    if (negative)
        out += loc.negativeSign();
    out += whole;
    if (!frac.isEmpty())
        out += loc.decimalPoint() + frac;
    return out + suffix;
}

TField::TField(TTable &table, const QString &name, TFieldType type, int size, int fieldNo, TFieldKind kind)
    : m_table(table)
    , m_name(name)
    , m_type(type)
    , m_size(size)
    , m_fieldNo(fieldNo)
    , m_kind(kind)
{
    m_alignment = (IsNumeric() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

bool TField::IsNumeric() const
{
    return m_type == TFieldType::SmallInt || m_type == TFieldType::Integer || m_type == TFieldType::Float;
}

QVariant TField::Read(const dbase::Record *record) const
{
    if (Calculated())
        return m_table.CalcValue(m_calcSlot);
    if (!record || !m_table.Active() || record->IsNull(m_fieldNo))
        return {};
    switch (m_type) {
    case TFieldType::String: return record->AsString(m_fieldNo);
    case TFieldType::SmallInt:
    case TFieldType::Integer: return QVariant::fromValue(record->AsInteger(m_fieldNo).value_or(0));
    case TFieldType::Float: return record->AsDouble(m_fieldNo).value_or(0.0);
    case TFieldType::Boolean: return record->AsBoolean(m_fieldNo).value_or(false);
    case TFieldType::Date: return record->AsDate(m_fieldNo);
    }
    return {};
}

QVariant TField::Value() const
{
    return Read(m_table.ActiveRecord());
}

bool TField::IsNull() const
{
    const QVariant v = Value();
    return !v.isValid() || (m_type == TFieldType::String && v.toString().isEmpty());
}

QString TField::AsString() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return {};
    switch (m_type) {
    case TFieldType::String: return v.toString();
    case TFieldType::SmallInt:
    case TFieldType::Integer: return QString::number(v.toLongLong());
    case TFieldType::Float: return QString::number(v.toDouble(), 'g', 15);
    case TFieldType::Boolean: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case TFieldType::Date: return v.toDate().toString(kDateFormat);
    }
    return {};
}

long long TField::AsInteger() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return 0;
    switch (m_type) {
    case TFieldType::SmallInt:
    case TFieldType::Integer: return v.toLongLong();
    case TFieldType::Float: return std::llround(v.toDouble());
    case TFieldType::Boolean: return v.toBool() ? 1 : 0;
    case TFieldType::String: {
        bool ok = false;
        const long long n = v.toString().trimmed().toLongLong(&ok);
        if (!ok)
            ThrowNotNumber(v.toString(), m_name);
        return n;
    }
    case TFieldType::Date: ThrowNotNumber(AsString(), m_name);
    }
    return 0;
}

double TField::AsFloat() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return 0.0;
    switch (m_type) {
    case TFieldType::SmallInt:
    case TFieldType::Integer: return double(v.toLongLong());
    case TFieldType::Float: return v.toDouble();
    case TFieldType::Boolean: return v.toBool() ? 1.0 : 0.0;
    case TFieldType::String: {
        const auto d = ParseNumber(v.toString().trimmed());
        if (!d)
            ThrowNotNumber(v.toString(), m_name);
        return *d;
    }
    case TFieldType::Date: ThrowNotNumber(AsString(), m_name);
    }
    return 0.0;
}

bool TField::AsBoolean() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return false;
    switch (m_type) {
    case TFieldType::Boolean: return v.toBool();
    case TFieldType::String: return IsTrueText(v.toString().trimmed());
    case TFieldType::SmallInt:
    case TFieldType::Integer: return v.toLongLong() != 0;
    case TFieldType::Float: return v.toDouble() != 0.0;
    case TFieldType::Date: return false;
    }
    return false;
}

QDate TField::AsDate() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return {};
    if (m_type == TFieldType::Date)
        return v.toDate();
    if (m_type == TFieldType::String)
        return QDate::fromString(v.toString().trimmed(), kDateFormat);
    return {};
}

QDateTime TField::AsDateTime() const
{
    const QDate d = AsDate();
    return d.isValid() ? QDateTime(d, QTime(0, 0)) : QDateTime();
}

void TField::Write(const QVariant &value)
{
    if (Calculated()) {
        if (!m_table.m_calculating)
            throw EDBEngineError(dbase::kInvalidOperation,
                                 Pick("Le champ calculé %1 ne peut être modifié qu'au calcul des champs.",
                                      "Calculated field %1 can only be set while fields are calculated.")
                                     .arg(m_name));
        m_table.SetCalcValue(m_calcSlot, value);
        return;
    }
    const TDataSetState state = m_table.State();
    if (state != TDataSetState::Edit && state != TDataSetState::Insert)
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("La table %1 n'est pas en mode d'édition ou d'ajout.",
                                  "Table %1 is not in edit or insert mode.")
                                 .arg(m_table.DisplayName()));
    if (m_readOnly)
        throw EDBEngineError(dbase::kInvalidOperation,
                             Pick("Le champ %1 ne peut pas être modifié.", "Field %1 cannot be modified.").arg(m_name));
    dbase::Record &rec = *m_table.WritableRecord();
    if (!value.isValid()) {
        rec.Clear(m_fieldNo);
    } else {
        switch (m_type) {
        case TFieldType::String: rec.SetString(m_fieldNo, value.toString()); break;
        case TFieldType::SmallInt:
        case TFieldType::Integer:
            if (value.typeId() == QMetaType::Double)
                rec.SetInteger(m_fieldNo, std::llround(value.toDouble()));
            else
                rec.SetInteger(m_fieldNo, value.toLongLong());
            break;
        case TFieldType::Float: rec.SetDouble(m_fieldNo, value.toDouble()); break;
        case TFieldType::Boolean: rec.SetBoolean(m_fieldNo, value.toBool()); break;
        case TFieldType::Date: rec.SetDate(m_fieldNo, value.toDate()); break;
        }
    }
    m_table.FieldChanged(*this);
}

void TField::SetAsString(const QString &value)
{
    switch (m_type) {
    case TFieldType::String: Write(value.isEmpty() ? QVariant() : QVariant(value)); return;
    case TFieldType::Date: {
        if (value.trimmed().isEmpty())
            return Write({});
        const QDate d = QDate::fromString(value.trimmed(), kDateFormat);
        if (!d.isValid())
            ThrowNotDate(value, m_name);
        return Write(d);
    }
    case TFieldType::Boolean: {
        const QString t = value.trimmed();
        if (t.isEmpty())
            return Write({});
        if (IsTrueText(t))
            return Write(true);
        if (IsFalseText(t))
            return Write(false);
        throw EDBEngineError(dbase::kInvalidField,
                             Pick("'%1' n'est pas une valeur logique valide pour le champ %2.",
                                  "'%1' is not a valid logical value for field %2.")
                                 .arg(value, m_name));
    }
    default: {
        const QString t = value.trimmed();
        if (t.isEmpty())
            return Write({});
        bool ok = false;
        const double d = QLocale::c().toDouble(t, &ok);
        if (!ok)
            ThrowNotNumber(value, m_name);
        if (m_type != TFieldType::Float && d != std::floor(d))
            ThrowNotNumber(value, m_name);
        return Write(d);
    }
    }
}

void TField::SetAsInteger(long long value)
{
    if (m_type == TFieldType::String)
        return Write(QString::number(value));
    if (m_type == TFieldType::Boolean)
        return Write(value != 0);
    if (m_type == TFieldType::Date)
        ThrowNotDate(QString::number(value), m_name);
    Write(QVariant::fromValue(value));
}

void TField::SetAsFloat(double value)
{
    if (m_type == TFieldType::String)
        return Write(QString::number(value, 'g', 15));
    if (m_type == TFieldType::Boolean)
        return Write(value != 0.0);
    if (m_type == TFieldType::Date)
        ThrowNotDate(QString::number(value), m_name);
    Write(value);
}

void TField::SetAsBoolean(bool value)
{
    if (m_type == TFieldType::String)
        return Write(value ? QStringLiteral("T") : QStringLiteral("F"));
    if (m_type == TFieldType::Date)
        ThrowNotDate(value ? QStringLiteral("True") : QStringLiteral("False"), m_name);
    if (IsNumeric())
        return Write(QVariant::fromValue<long long>(value ? 1 : 0));
    Write(value);
}

void TField::SetAsDate(const QDate &value)
{
    if (m_type == TFieldType::String)
        return Write(value.isValid() ? QVariant(value.toString(kDateFormat)) : QVariant());
    if (m_type != TFieldType::Date)
        ThrowNotNumber(value.toString(kDateFormat), m_name);
    Write(value.isValid() ? QVariant(value) : QVariant());
}

void TField::SetAsDateTime(const QDateTime &value)
{
    SetAsDate(value.isValid() ? value.date() : QDate());
}

void TField::SetValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return Write({});
    switch (value.typeId()) {
    case QMetaType::Bool: return SetAsBoolean(value.toBool());
    case QMetaType::Double:
    case QMetaType::Float: return SetAsFloat(value.toDouble());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return SetAsInteger(value.toLongLong());
    case QMetaType::QDate: return SetAsDate(value.toDate());
    case QMetaType::QDateTime: return SetAsDateTime(value.toDateTime());
    default: return SetAsString(value.toString());
    }
}

void TField::Clear()
{
    Write({});
}

QString TField::Format(const QVariant &v, bool display) const
{
    if (!v.isValid())
        return {};
    switch (m_type) {
    case TFieldType::String: {
        const QString s = v.toString();
        return display && !m_editMask.IsEmpty() ? m_editMask.FormatText(s) : s;
    }
    case TFieldType::SmallInt:
    case TFieldType::Integer:
    case TFieldType::Float: {
        const double d = v.toDouble();
        const QString &pattern = display || m_editFormat.isEmpty() ? m_displayFormat : m_editFormat;
        if (!pattern.isEmpty())
            return FormatFloat(pattern, d);
        if (m_currency)
            return display ? QLocale::system().toCurrencyString(d) : NumberLocale().toString(d, 'f', 2);
        if (m_type != TFieldType::Float)
            return QString::number(v.toLongLong());
        return NumberLocale().toString(d, 'g', 15);
    }
    case TFieldType::Boolean: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case TFieldType::Date: return v.toDate().toString(kDateFormat);
    }
    return {};
}

QString TField::DisplayText() const
{
    return Format(Value(), true);
}

QString TField::Text() const
{
    return Format(Value(), false);
}

QString TField::DisplayTextOf(const dbase::Record &record) const
{
    return Format(Read(&record), true);
}

void TField::SetText(const QString &text)
{
    const QString t = text.trimmed();
    switch (m_type) {
    case TFieldType::String: return SetAsString(text);
    case TFieldType::Boolean:
    case TFieldType::Date: return SetAsString(t);
    default: {
        if (t.isEmpty())
            return Write({});
        const auto d = ParseNumber(t);
        if (!d || (m_type != TFieldType::Float && *d != std::floor(*d)))
            ThrowNotNumber(text, m_name);
        return Write(*d);
    }
    }
}

void TField::SetDisplayFormat(const QString &format) { m_displayFormat = format; Changed(); }
void TField::SetEditFormat(const QString &format) { m_editFormat = format; Changed(); }
void TField::SetCurrency(bool currency) { m_currency = currency; Changed(); }
void TField::SetEditMask(const QString &mask) { m_editMask = TEditMask(mask); Changed(); }
void TField::SetAlignment(Qt::Alignment alignment) { m_alignment = alignment; Changed(); }
void TField::SetDisplayLabel(const QString &label) { m_displayLabel = label; Changed(); }
void TField::SetDisplayWidth(int chars) { m_displayWidth = chars; Changed(); }
void TField::SetReadOnly(bool readOnly) { m_readOnly = readOnly; Changed(); }
void TField::SetVisible(bool visible) { m_visible = visible; Changed(); }

int TField::DisplayWidth() const
{
    if (m_displayWidth > 0)
        return m_displayWidth;
    switch (m_type) {
    case TFieldType::Date: return 10;
    case TFieldType::Boolean: return 5;
    default: return qMax(m_size, 1);
    }
}

bool TField::CanModify() const
{
    return !m_readOnly && !Calculated() && m_table.CanModify();
}

void TField::Changed()
{
    m_table.FieldLayoutChanged(*this);
}

} // namespace dataset
