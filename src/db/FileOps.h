#pragma once
// Raw file operations of the data folder: seeding, repairing a lost index, reading a header.

#include "dbase/Format.h"

#include <QString>

namespace db {

// Copies source to target (created or truncated) in blocks of 256 bytes.
// Any failure throws EDBEngineError with code kIoError; the source is never changed.
void CopyFile(const QString &source, const QString &target);

// Writes 0 into the production-index flag (offset 28) of a .dbf, so that the table opens
// without its .mdx. Failures throw kIoError.
void ClearProductionIndexFlag(const QString &dbfPath);

// Header and field descriptors of a .dbf, read without opening its index or taking any lock.
// Throws kTableNotFound, kIoError or kCorruptFile.
dbase::DbfHeader ReadTableHeader(const QString &dbfPath);

} // namespace db
