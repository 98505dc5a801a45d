#pragma once
// Lease key BAILAHCOOP, lease kinds and the text helpers that build them.

#include "dbase/Mdx.h"

#include <QString>
#include <optional>
#include <utility>

namespace db {

// The four kinds of lease, named by their key prefix.
enum class TLeaseKind { NN, ON, NO, OO };

constexpr int kLeaseNumberWidth = 8;
constexpr int kLeaseKeyWidth = 10;

// Removes from both ends every character whose code is below 33.
QString Trim(const QString &text);
// Prepends blanks until text is at least width long; a longer text is returned unchanged.
QString PadLeft(const QString &text, int width);

// "O" or "N" for the elderly-or-handicapped kind, then "O" or "N" for a cooperative.
QString KindPrefix(bool elderly, bool coop);
QString KindPrefix(TLeaseKind kind);
bool IsElderly(TLeaseKind kind);     // ON, OO: the lease has an Annex row
bool IsCooperative(TLeaseKind kind); // NO, OO
// The kind of a two-letter prefix (or of a whole key), case-insensitive; nullopt otherwise.
std::optional<TLeaseKind> KindFromPrefix(const QString &prefixOrKey);

// Kind prefix followed by the lease number right-justified in eight characters.
QString LeaseKey(bool elderly, bool coop, const QString &nobail);
QString LeaseKey(TLeaseKind kind, const QString &nobail);

// Key bytes bounding one kind on the BAILAHCOOP tag: prefix + 8 NUL .. prefix + 8 0xFF.
std::pair<dbase::KeyBytes, dbase::KeyBytes> KindRange(TLeaseKind kind);

} // namespace db
