#pragma once
// Print job assembly: which painter draws which form page, the rows the painters read, and
// PrintLease, which runs the painters of one lease into a printout.

#include <QDate>
#include <QString>

#include <optional>
#include <stdexcept>

namespace dataset {
class TTable;
}
namespace printout {
class TPrintout;
}

namespace forms {

// One row a painter reads: the current record of an open cursor, read by field name. It is
// absent when there is no cursor or the cursor is empty. Eof says nothing here: after Last()
// the cursor reads Eof while its last row is current. A row that a lookup did not find is
// made absent by whoever looked it up (TRow()).
class TRow {
public:
    TRow() = default;
    explicit TRow(const dataset::TTable *table);

    bool Present() const;
    // The field's display text (masks and formats applied); empty for an absent row or field.
    QString Text(const char *field) const;
    // The stored text without display formatting.
    QString Raw(const char *field) const;
    bool Bool(const char *field) const;
    // The boolean, or nothing when the field is empty.
    std::optional<bool> MaybeBool(const char *field) const;
    QDate Date(const char *field) const;
    double Float(const char *field) const;
    long long Integer(const char *field) const;

private:
    const dataset::TTable *m_table = nullptr;
};

// The three rows of one lease.
struct TLeaseRows {
    TRow lease;
    TRow lessor; // read by page 1 only, when present
    TRow annex;  // read by the Annex pages only, which run only when it is present
};

// Draws one form page on the printout's current page. Painters read their rows and the
// printing language and never move a cursor or change a record.
using TPagePainter = void (*)(const TLeaseRows &rows, printout::TPrintout &printout);

inline constexpr int kLeasePages = 4;
inline constexpr int kAllPages = 12;

// Painter of a form page (1 to 12) of a standard or cooperative lease; nullptr where the
// painter does not exist in this build.
TPagePainter PagePainter(int page, bool cooperative);
// Puts another painter (nullptr: none) in the plan and returns the one it replaces; tests use
// it to see what a job does for a kind whose painters are missing.
TPagePainter ReplacePagePainter(int page, bool cooperative, TPagePainter painter);

// A lease whose kind has no painter for a page it should print. Nothing has been drawn.
class ENoPainter : public std::runtime_error {
public:
    ENoPainter(const QString &kind, int page);
    // "...cannot be printed..." in the working language.
    QString Message() const;
    QString Kind() const { return m_kind; }
    int Page() const { return m_page; }

private:
    QString m_kind;
    int m_page;
};

// Whether a lease key names the elderly/handicapped kind, and a cooperative.
bool IsElderlyKey(const QString &key);
bool IsCooperativeKey(const QString &key);

// Draws pages first to last (1 <= first <= last <= 12) of one lease, one printout page per
// form page. Pages 5 to 12 are drawn only for the elderly kinds with an Annex row present.
// Sets the printing language from the lease's LANGUEIMP. Returns the pages drawn. Throws
// ENoPainter, before drawing anything, when a page to draw has no painter.
int PrintLease(int first, int last, const TLeaseRows &rows, printout::TPrintout &printout);

} // namespace forms
