#pragma once
// The serialisation of a printout that printout files (.krp), e-mail attachments and archive
// records share: a growable byte stream with a progress callback, the printout written to it
// and read back, and the zlib wrapper of what goes to a file or a record.
//
// Reading trusts nothing in the bytes: every length is checked against what is left before
// anything is allocated, so a truncated, corrupt or hostile file ends in EKrpError.

#include "printout/PaperCheck.h"
#include "printout/Printout.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <vector>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

namespace delivery {

// A printout file or record that cannot be read or written, in both languages.
class EKrpError : public std::runtime_error {
public:
    EKrpError(const QString &french, const QString &english);
    QString Message() const; // in the working language
    const QString &French() const { return m_french; }
    const QString &English() const { return m_english; }

private:
    QString m_french, m_english;
};

// A serialisation of a version this program does not read. The load adds nothing.
class EKrpVersion : public EKrpError {
public:
    explicit EKrpVersion(const QString &version);
    const QString &Version() const { return m_version; }

private:
    QString m_version;
};

// Everything a serialisation holds, read without changing anything.
struct TPrintoutContents {
    QString version, printerName, title;
    printout::TPaper paper;
    bool fit = true, noPageOpen = true, printed = false, previewed = false;
    int copies = 0;
    uint32_t pageColor = printout::TPrintout::kNoColor; // "0100" has none
    std::optional<printout::TMetafile> background;
    std::vector<printout::TMetafile> pages;
    bool hasRecipients = false;                        // "0102" only, as the recipients
    std::vector<std::array<QString, 3>> recipients;     // per page: to, cc, bcc
};

class TKelMemoryStream {
public:
    // done and total are byte counts; text is the progress line to show.
    using TProgress = std::function<void(TKelMemoryStream &, qint64 done, const QString &text, qint64 total)>;

    static constexpr const char *kVersion = "0102";
    // Whatever a file claims, a serialisation larger than this is refused before it is
    // decompressed (a printout of thousands of pages stays far below).
    static constexpr qint64 kMaxSize = qint64(1) << 30;
    static constexpr int kBlockSize = 32768;

    explicit TKelMemoryStream(TProgress progress = {});

    const QByteArray &Bytes() const { return m_bytes; }
    void SetBytes(QByteArray bytes);
    qint64 Position() const { return m_pos; }
    void Seek(qint64 position);

    // Which of the pages' mail recipients a serialisation keeps: a file saved by the user keeps
    // them all; one that leaves by mail never carries a Bcc, and a single message (sent to the
    // panel's recipients) carries none of the pages' own.
    enum class TRecipients { All, WithoutBcc, None };
    // Pages first..first + count - 1 (1-based) of the printout and their recipients, after
    // the header, from the start of the stream; the printout's OnProgress follows the pages.
    void SaveToStream(printout::TPrintout &printout, int first, int count, TRecipients recipients = TRecipients::All);

    // Reads a serialisation from the start. Without a printout (null), one is created with
    // the file's title, paper and user context; with one, the pages are appended to it. The
    // bytes are read whole before anything changes: on failure (EKrpError, EKrpVersion)
    // neither the printout nor the application's printer is touched. When a given printout
    // has ShowMessages set, a refused version is also told in a box.
    printout::TPrintout *LoadFromStream(const printout::TUserContext *context,
                                        std::unique_ptr<printout::TPrintout> &printout);
    // The whole serialisation read from the start, of an accepted version (else EKrpVersion).
    TPrintoutContents ReadContents();

    // The stream's bytes to and from a file, through the zlib wrapper when compressed. The
    // file is replaced only once it is written whole.
    void SaveToFile(const QString &path, bool compressed);
    void LoadFromFile(const QString &path, bool compressed);

    // The zlib wrapper alone: length prefix and serialisation, deflated at level 9.
    QByteArray Compressed();
    void SetFromCompressed(const QByteArray &stored);

    // Primitives, little-endian; reads throw EKrpError past the end or on a bad length.
    void WriteInt(int32_t value);
    void WriteByte(uint8_t value);
    void WriteString(const QString &text);
    void WriteMetafile(const printout::TMetafile &metafile);
    int32_t ReadInt();
    uint8_t ReadByte();
    QString ReadString();
    printout::TMetafile ReadMetafile();

private:
    void Need(qint64 n) const;
    void Progress(qint64 done, const QString &text, qint64 total);

    QByteArray m_bytes;
    qint64 m_pos = 0;
    TProgress m_progress;
};

// The progress lines of reading and writing, in the library language.
QString LoadProgressText(qint64 done, qint64 total);
QString SaveProgressText(qint64 done, qint64 total);

// Convenience for a whole printout: pages 1..count saved to a compressed file, and a file
// loaded as a new printout.
void SavePrintoutFile(printout::TPrintout &printout, const QString &path,
                      const TKelMemoryStream::TProgress &progress = {});
std::unique_ptr<printout::TPrintout> LoadPrintoutFile(const QString &path,
                                                      const TKelMemoryStream::TProgress &progress = {});

} // namespace delivery
