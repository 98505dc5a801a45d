#pragma once
// Edit masks in the syntax the entry windows are written in: "mask;saveLiterals;blank",
// for example ">l9l\ 9l9;1; " or "!\(999\)\ 999-9999;0; ".
//
// Mask characters: L/l letter, A/a letter or digit, C/c any character, 0/9 digit, # digit
// or sign (upper case: required, lower case and 9 and #: optional); > upper-cases and <
// lower-cases what follows, <> stops converting; ! trims leading blanks from the stored
// value; \ makes the next character a literal; _ is a literal blank; anything else is a
// literal. The second part says whether literals are stored with the value (1, the
// default) or not (0); the third is the character shown in unfilled positions ('_').
//
// TEditMask translates this to a QLineEdit input mask and converts between the text the
// line edit shows (one character per position) and the value stored in the field.

#include <QString>

#include <vector>

namespace dataset {

class TEditMask {
public:
    TEditMask() = default;
    explicit TEditMask(const QString &mask);

    const QString &Source() const { return m_source; }
    // No positions: the edit is not masked (e.g. ";0;.").
    bool IsEmpty() const { return m_positions.empty(); }
    // Characters shown, literals included.
    int Length() const { return int(m_positions.size()); }
    // Characters stored when every position is filled.
    int StoredLength() const;
    bool SaveLiterals() const { return m_saveLiterals; }
    QChar Blank() const { return m_blank; }

    // The QLineEdit input mask, its blank character included.
    QString QtInputMask() const;
    // Character the line edit shows in unfilled positions. A '.' blank is shown as a
    // one-dot leader so that a period the user types stays a period in the value.
    QChar QtBlank() const;

    // The line edit text for a stored value: every position, unfilled ones as QtBlank().
    QString DisplayFromValue(const QString &value) const;
    // The stored value for a line edit text: literals kept or dropped, unfilled positions
    // as blanks, trailing blanks (and with '!' leading blanks) trimmed; empty when no
    // position is filled.
    QString ValueFromDisplay(const QString &display) const;
    // True when every required position is filled, or when nothing at all is.
    bool IsComplete(const QString &display) const;
    // A stored value laid out with its literals for read-only display (grids, labels),
    // without trailing unfilled positions; empty for an empty value.
    QString FormatText(const QString &value) const;

    // The dotted variant of a field's mask: an existing mask gets '.' as its last
    // character (its blank); without one, width optional any-character positions with
    // literals not saved and '.' as blank.
    static QString Dotted(const QString &mask, int width);

private:
    enum class TClass : char { Literal, Letter, AlphaNum, Any, Digit, DigitSign };
    enum class TCase : char { None, Upper, Lower };
    struct TPosition {
        TClass cls = TClass::Literal;
        QChar ch;              // the literal, for literal positions
        bool required = false;
        TCase caseMode = TCase::None;
    };

    QChar Convert(const TPosition &p, QChar c) const;

    QString m_source;                   // the mask as given
    std::vector<TPosition> m_positions; // one per character shown
    bool m_saveLiterals = true;         // literals stored with the value
    bool m_trimLeading = false;         // '!' seen
    QChar m_blank = QLatin1Char('_');   // shown in unfilled positions
};

} // namespace dataset
