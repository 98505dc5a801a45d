#pragma once
// The display list of one page: the records of an enhanced metafile (header and EOF aside)
// kept back to back in one buffer, plus the reference device the page was recorded against.
// The codec turns it into real .emf bytes and back; since the records are stored as the
// file holds them, a page read and written again keeps every record, unknown ones included.

#include "printout/EmfFormat.h"

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>

#include <stdexcept>
#include <vector>

namespace printout {

// A file that cannot be read as an enhanced metafile, with the reason in both languages.
class EEmfError : public std::runtime_error {
public:
    EEmfError(const QString &french, const QString &english);
    // The message in the working language.
    QString Message() const;
    const QString &French() const { return m_french; }
    const QString &English() const { return m_english; }

private:
    QString m_french, m_english;
};

// Reference device of a page: what the header's Device, Millimeters and Micrometers describe.
struct TReferenceDevice {
    QSize pixels{5100, 6600};          // device size in pixels
    QSize millimeters{216, 279};       // rounded
    QSize micrometers{215900, 279400}; // exact; 0 when the file had no such field
    // The exact size in micrometres: micrometers, or the millimetres scaled (saturated).
    QSize Micrometers() const;
    // The device of a sheet of sheetPx printer pixels at the given resolution.
    static TReferenceDevice ForSheet(QSize sheetPx, int dpiX, int dpiY);
};

class TMetafile {
public:
    TMetafile() = default;

    const TReferenceDevice &Device() const { return m_device; }
    void SetDevice(const TReferenceDevice &device) { m_device = device; }
    // Picture frame in 0.01 mm (left, top, right, bottom as in the file); defaults to the
    // device's physical size.
    QRect Frame() const;
    void SetFrame(const QRect &frame) { m_frame = frame; }
    // The frame's left/top corner and its extent (right - left, bottom - top) in 0.01 mm,
    // normalised so that the extent is positive.
    QRectF FrameExtent() const;
    // Bounds in device pixels as the header keeps them.
    QRect Bounds() const;
    void SetBounds(const QRect &bounds) { m_bounds = bounds; }
    const QString &Description() const { return m_description; }
    void SetDescription(const QString &text) { m_description = text; }
    // Handle-table size the header of a written file will carry (1 + highest slot used).
    int Handles() const;

    int RecordCount() const { return int(m_offsets.size()); }
    emf::TRecordView Record(int index) const;
    bool IsEmpty() const { return m_offsets.empty(); }
    // Appends a record already laid out (size field set, multiple of 4); false when the
    // bytes are not a sound record.
    bool AppendRecord(const QByteArray &record);
    // The record buffer, for builders that write in place: append whole records to it, then
    // call Commit so the index learns about them.
    QByteArray &Buffer() { return m_body; }
    void Commit();
    void Clear();
    // Bytes held in memory (for the size of long printouts).
    qsizetype MemoryUsed() const { return m_body.capacity() + qsizetype(m_offsets.capacity() * 4); }

    // Records (not header/EOF) with their bytes equal.
    bool SameRecords(const TMetafile &other) const { return m_body == other.m_body; }

    // The complete .emf file.
    QByteArray ToEmf() const;
    // Reads a complete .emf file. Throws EEmfError for anything not sound: bad header, a record
    // size off the 4-byte grid or past the end, an offset or length outside its record, no
    // EOF. Nothing past the given bytes is ever read.
    static TMetafile FromEmf(const QByteArray &bytes);
    static TMetafile Load(const QString &path);  // throws EEmfError (also for I/O failures)
    void Save(const QString &path) const;        // throws EEmfError

private:
    TReferenceDevice m_device;
    QRect m_frame;   // null = from the device
    QRect m_bounds;  // null = the whole device
    QString m_description;
    int m_fileHandles = 1; // Handles of a file read in; writing never goes below it
    QByteArray m_body;
    std::vector<uint32_t> m_offsets;
};

} // namespace printout
