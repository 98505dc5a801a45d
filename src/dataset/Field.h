#pragma once
// One column of a TTable's current row: typed access, display and edit texts, and the
// properties bound controls follow (mask, alignment, label, read-only).

#include "dataset/EditMask.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace dbase {
class Record;
}

namespace dataset {

class TTable;

enum class TFieldType { String, SmallInt, Integer, Float, Boolean, Date };
enum class TFieldKind { Data, Calculated };

// Formats a number with a pattern such as "#0.0", "#####0.00" or "#,##0.00": '0' a digit
// always shown, '#' a digit shown when significant, ',' in the integer part groups
// thousands, '.' the decimal point; other characters are copied. Separators follow the
// system locale.
QString FormatFloat(const QString &pattern, double value);

class TField {
public:
    TField(TTable &table, const QString &name, TFieldType type, int size, int fieldNo, TFieldKind kind);
    TField(const TField &) = delete;
    TField &operator=(const TField &) = delete;

    TTable &DataSet() const { return m_table; }
    const QString &FieldName() const { return m_name; }
    TFieldType DataType() const { return m_type; }
    TFieldKind FieldKind() const { return m_kind; }
    bool Calculated() const { return m_kind == TFieldKind::Calculated; }
    // Characters of a text field; 0 for other types (dates included).
    int Size() const { return m_type == TFieldType::String ? m_size : 0; }
    // Position in the table's record, -1 for a calculated field.
    int FieldNo() const { return m_fieldNo; }
    bool IsNumeric() const;

    // Reads of the current row (or of the row being calculated). Null reads as empty
    // text, 0, false or an invalid date.
    bool IsNull() const;
    QString AsString() const;      // numbers in C format, dates "yyyy/mm/dd", logicals "True"/"False"
    long long AsInteger() const;
    double AsFloat() const;
    bool AsBoolean() const;
    QDate AsDate() const;
    QDateTime AsDateTime() const;
    QVariant Value() const;        // null QVariant when null

    // Writes need the table in edit or insert state (calculated fields: inside OnCalcFields).
    // Text fields keep at most Size() characters. Failures throw EDBEngineError.
    void SetAsString(const QString &value);
    void SetAsInteger(long long value);
    void SetAsFloat(double value);
    void SetAsBoolean(bool value);
    void SetAsDate(const QDate &value);
    void SetAsDateTime(const QDateTime &value);
    void SetValue(const QVariant &value);
    void Clear();

    // Text shown when not editing: display format, currency or mask applied.
    QString DisplayText() const;
    // Text offered for editing: edit format (else display format) applied.
    QString Text() const;
    // Stores a typed text: empty clears; numbers in the locale's or C format; dates
    // "yyyy/mm/dd". A text that does not convert throws kInvalidField, field unchanged.
    void SetText(const QString &text);

    // The same texts for another row of the table (grids).
    QString DisplayTextOf(const dbase::Record &record) const;

    const QString &DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString &format);
    const QString &EditFormat() const { return m_editFormat; }
    void SetEditFormat(const QString &format);
    bool Currency() const { return m_currency; }
    void SetCurrency(bool currency);
    const QString &EditMask() const { return m_editMask.Source(); }
    const TEditMask &Mask() const { return m_editMask; }
    void SetEditMask(const QString &mask);
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment);
    QString DisplayLabel() const { return m_displayLabel.isEmpty() ? m_name : m_displayLabel; }
    void SetDisplayLabel(const QString &label);
    // Characters a grid column shows by default.
    int DisplayWidth() const;
    void SetDisplayWidth(int chars);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    bool CanModify() const;

private:
    friend class TTable;
    QVariant Read(const dbase::Record *record) const;
    QString Format(const QVariant &v, bool display) const;
    void Write(const QVariant &value); // null QVariant clears
    void Rebind(int fieldNo, TFieldType type, int size) { m_fieldNo = fieldNo; m_type = type; m_size = size; }
    void Changed();

    TTable &m_table;
    QString m_name;              // upper case for stored fields
    TFieldType m_type;
    int m_size;                  // width in the record (stored) or characters (calculated)
    int m_fieldNo;               // index in the record, -1 when calculated
    int m_calcSlot = -1;         // index in the table's calculated values
    TFieldKind m_kind;
    QString m_displayFormat;
    QString m_editFormat;
    bool m_currency = false;
    TEditMask m_editMask;
    Qt::Alignment m_alignment;
    QString m_displayLabel;      // empty: the field name
    int m_displayWidth = 0;      // 0: from the size
    bool m_readOnly = false;
    bool m_visible = true;
};

} // namespace dataset
