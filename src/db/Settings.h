#pragma once
// Process-wide settings made once at start, before any window exists, and the small helpers
// that read them: language tests, bilingual text choice, date texts, the lease-search hook.

#include <QChar>
#include <QDate>
#include <QString>

#include <functional>
#include <optional>

class QObject;

namespace db {

// Puts every setting back to its start value: languages 'F', save-toner off.
void InitSettings();

// Dates are shown and typed in this one format everywhere.
QString ShortDateFormat(); // "yyyy/mm/dd"
QChar DateSeparator();     // '/'

// One-character language codes: 'F' French, anything else English.
QString WorkingLanguage();
// Keeps the first character of language (an empty text stays empty, which reads as English).
void SetWorkingLanguage(const QString &language);
QString PrintingLanguage();
void SetPrintingLanguage(const QString &language);

// Copy of the configuration row's save-toner flag, read by the page painters.
bool SaveToner();
void SetSaveToner(bool on);

// The one language test of the system: true only for "F".
bool IsFrench(const QString &language);
// french when the working (resp. printing) language is French, english otherwise.
QString PickWorkText(const QString &french, const QString &english = QString());
QString PickPrintText(const QString &french, const QString &english = QString());

// "yyyy/mm/dd" with zero-padded month and day; an invalid date gives an empty text.
QString DateText(const QDate &date);
// Accepts exactly "yyyy/mm/dd" naming a real calendar day; anything else gives nullopt.
std::optional<QDate> ParseDateText(const QString &text);

// Runs the lease search owned by owner (the main window) and returns the BAILAHCOOP key of
// the chosen lease, or an empty text when the user cancelled. The search dialog installs the
// real search with SetLeaseSearchHook at start-up; until then the search finds nothing.
using TLeaseSearchHook = std::function<QString(QObject *owner)>;
QString RunLeaseSearch(QObject *owner);
// An empty hook restores the default (no search, empty result).
void SetLeaseSearchHook(TLeaseSearchHook hook);

} // namespace db
