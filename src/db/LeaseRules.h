#pragma once
// Business rules of the lease entry windows that do not depend on a window: the values
// of a new lease, the dates typed in parts and the dates a ticked box requires, the
// lease-number checks and numbering at save time, the lease key, and the copy of a lease
// with its Annex row. Every lease window (regular, elderly, cooperative) calls these.

#include "dataset/MonthList.h"
#include "db/BailKey.h"

#include <QDate>
#include <QString>

#include <stdexcept>

namespace dataset {
class TTable;
}

namespace db {

// A text that does not convert to a date: the message is shown as it stands.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString &Message() const { return m_message; }

private:
    QString m_message;
};

// The fields of a lease row being inserted get the values of a new lease created today:
// printing language = language, lessor = defaultLessor (cleared when 0), key from kind and
// the row's NOBAIL, fixed term of 12 months from July 1 of today's year to June 30 of the
// next, rent per month paid by cheque, residential use only, by-laws and access to the
// land; every other logical false. A cooperative kind has both tenants members instead of
// the residential use and the by-laws, and leaves its form's unasked answers empty. Text
// fields not named stay as they are.
void SetNewLeaseDefaults(dataset::TTable &lease, TLeaseKind kind, int defaultLessor, const QString &language,
                         const QDate &today);

// A date typed as day, month and year parts.
enum class TSplitDateOutcome { Empty, Valid, Invalid };
struct TSplitDateCheck {
    TSplitDateOutcome outcome = TSplitDateOutcome::Empty;
    QString date; // "yyyy/mm/dd" when valid
};
// Empty when every part is empty, Valid when the parts name a real day, Invalid otherwise
// (a missing part, 31 February, letters).
TSplitDateCheck CheckSplitDate(const dataset::TDateParts &parts);
// "\"31 / février / 2024\" n'est pas une date valide" (English: "... is not a valid date");
// monthText is the text the month list shows.
QString SplitDateErrorText(const QString &day, const QString &monthText, const QString &year,
                           const QString &language);
// A full date typed in one field: empty when it has no digit, the date when it reads as
// "yyyy/mm/dd"; otherwise throws EConvertError with the French message, whatever the language.
QString CheckFullDateText(const QString &text);

// The dates a ticked answer requires, checked before a lease is saved.
enum class TDateTarget { None, ByLawsDate, ReadyDate1, ReadyDate2 };
struct TConditionalDateIssue {
    TDateTarget target = TDateTarget::None; // where the focus goes
    QString caption;
    QString text; // "\r" marks a line break
};
// By-laws given (E_REMIS) without E_DATE; a building box (F_LOG1, else F_LOG2) ticked
// without its ready-for-habitation date, which wins over the by-laws issue.
TConditionalDateIssue CheckConditionalDates(const dataset::TTable &lease, const QString &language);

// A typed lease number (manual numbering) before a new lease is saved.
enum class TLeaseNumberCheck { Ok, Empty, Exists };
// verif: a cursor of the lease table on the NOBAIL order (all kinds); it may move.
TLeaseNumberCheck CheckManualLeaseNumber(const QString &nobail, dataset::TTable &verif);
// The message of a failed check: French whatever the working language; caption "Attention".
QString LeaseNumberMessage(TLeaseNumberCheck check);

// Automatic numbering of a new lease being saved: inside an edit of the configuration row
// the counter is increased past every number in use and saved; returns the number, which
// may differ from the one proposed. bailConf is refreshed.
QString TakeAutomaticLeaseNumber(dataset::TTable &bailConf, dataset::TTable &verif);

// BAILAHCOOP of the row in edit or insert state rebuilt from kind and its NOBAIL.
void StampLeaseKey(dataset::TTable &lease, TLeaseKind kind);

// Copies the current lease row of lease into a new lease numbered counter + 1 (past every
// number in use; the counter is saved, in manual mode too), appended through verif; all
// fields by name, a field that does not take the value is skipped. When the new key is of
// an elderly kind and annexSource stands on the lease's Annex row, that row is copied
// through annexTarget with the new number. Returns the new number. Engine errors pass
// through; a failed append leaves the counter taken but nothing half written.
QString CopyLease(dataset::TTable &lease, dataset::TTable &verif, dataset::TTable &bailConf,
                  dataset::TTable *annexSource, dataset::TTable *annexTarget);

} // namespace db
