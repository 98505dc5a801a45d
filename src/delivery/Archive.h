#pragma once
// The archive: pages of a printout stored as documents in the archive tables of the database
// name "VESTRA" (KelArch.dbf, one row per document, and KelDocLk.dbf, the records a document
// concerns). The program only appends to these tables; `bailtool make-archive` makes them.
//
// An archive that cannot be opened is not an error the user is shown: the table and the reason
// go to the diagnostic log, and nothing is archived.

#include "delivery/KelStream.h"

#include <QString>

namespace dbase {
class Record;
}

namespace delivery {

inline constexpr const char *kArchiveDatabase = "VESTRA";
inline constexpr const char *kArchiveTable = "KelArch.dbf";
inline constexpr const char *kArchiveTag = "KKELARCH";
inline constexpr const char *kLinkTable = "KelDocLk.dbf";
inline constexpr const char *kLinkTag = "KKELDOCLK";
inline constexpr int kDescriptionLength = 60;

// The diagnostic log of the program (in the user's state folder) and a line appended to it.
QString DiagnosticLogPath();
void LogDiagnostic(const QString &line);

// A write stream on a memo field of a record: the printout's pages serialised, compressed
// when asked, and put into the field (replacing what it held).
class TPOBlobStream {
public:
    TPOBlobStream(dbase::Record &record, int field, TKelMemoryStream::TProgress progress, bool compressed);
    void StorePrintout(printout::TPrintout &printout, int first, int count);

private:
    dbase::Record &m_record;
    int m_field;
    bool m_compressed;
    TKelMemoryStream m_stream;
};

// Whether any page carries an archive link.
bool HasArchiveLinks(const printout::TPrintout &printout);
// Pages first..last as one document, with the link row of page first when withLinks; the
// number of documents archived (0 when the archive could not be opened).
int ArchivePages(printout::TPrintout &printout, int first, int last, bool withLinks, const QString &description);
// Each run of consecutive pages sharing a non-empty archive link, from page first, as one
// document; runs with no link are skipped. The number of documents archived.
int ArchiveLinkedRuns(printout::TPrintout &printout, int first, int last, bool withLinks, const QString &description);

// Creates empty archive tables with their index tags in dir (refuses to replace existing ones).
void MakeArchiveTables(const QString &dir);

} // namespace delivery
