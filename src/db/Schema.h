#pragma once
// The four tables of the lease database: fields, index tags and seed files.

#include "dbase/Format.h"

#include <QString>
#include <span>
#include <vector>

namespace db {

// One stored field as the seed tables define it.
struct TFieldDesc {
    const char *name;
    dbase::FieldType type;
    int width;    // bytes; 1 for logicals, 8 for dates
    int decimals; // numeric fields only
};

// One table of the data folder.
struct TTableDesc {
    const char *name; // base name: "BailStd" gives BailStd.dbf, BailStd.mdx, BailStd.dat
    std::span<const TFieldDesc> fields;
    bool indexed; // has a production index
};

// One index tag: single field, ascending, not unique.
struct TTagDesc {
    const char *table;
    const char *tag;
    const char *field;
};

// The database name every window opens its tables through.
inline constexpr const char *kDatabaseName = "DbBailData";

extern const TTableDesc kBailStd;
extern const TTableDesc kLocateur;
extern const TTableDesc kAnnexe;
extern const TTableDesc kBailConf;

// The four tables, indexed ones first in the order they are reindexed.
std::span<const TTableDesc *const> Tables();
// The seven tags, grouped by table in the order they are dropped and added.
std::span<const TTagDesc> Tags();
// Tags of one table, in that order.
std::vector<TTagDesc> TagsOf(const QString &table);
// Description of a table by base name (case-insensitive), nullptr when unknown.
const TTableDesc *FindTable(const QString &name);

// Engine field definitions of a table.
std::vector<dbase::FieldDef> FieldDefs(const TTableDesc &table);

// Path of a table's file in a data folder, matching the name without regard to case;
// ext is "dbf", "mdx" or "dat".
QString TableFile(const QString &dir, const TTableDesc &table, const char *ext);

// Writes the four seed files (empty tables, no index, production flag 0) into dir,
// creating dir when needed. Throws EDBEngineError (kIoError) when it cannot write.
void WriteSeeds(const QString &dir);

} // namespace db
