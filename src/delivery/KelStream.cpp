#include "delivery/KelStream.h"

#include "dataset/Common.h"
#include "dbase/CodePage.h"
#include "printout/PaperCheck.h"
#include "printout/Printer.h"
#include "ui/MessageBoxes.h"
#include "ui/WaitCursor.h"

#include <QFile>
#include <QSaveFile>

#include <zlib.h>

#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace delivery {

namespace {

constexpr qint64 kEmfHeaderMin = 88;      // the fixed part of an EMR_HEADER record
constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmfSignature = 0x464D4520; // " EMF"

bool FrenchWorking()
{
    return dataset::WorkingLanguage() == QLatin1Char('F');
}

EKrpError Damaged(const QString &fr, const QString &en)
{
    return EKrpError(QStringLiteral("Le fichier d'impression est endommagé : ") + fr,
                     QStringLiteral("The printout file is damaged: ") + en);
}

} // namespace

EKrpError::EKrpError(const QString &french, const QString &english)
    : std::runtime_error(english.toStdString())
    , m_french(french)
    , m_english(english)
{
}

QString EKrpError::Message() const
{
    return FrenchWorking() ? m_french : m_english;
}

EKrpVersion::EKrpVersion(const QString &version)
    : EKrpError(QStringLiteral("Erreur de version du loader. Veuillez mettre à jour le logiciel."),
                QStringLiteral("Incorrect loader version.  Please update software"))
    , m_version(version)
{
}

QString LoadProgressText(qint64 done, qint64 total)
{
    if (printout::LibraryLanguage() == QLatin1Char('F'))
        return QStringLiteral("%1 octets sur %2 lus").arg(done).arg(total);
    return QStringLiteral("%1 bytes of %2 loaded").arg(done).arg(total);
}

QString SaveProgressText(qint64 done, qint64 total)
{
    if (printout::LibraryLanguage() == QLatin1Char('F'))
        return QStringLiteral("%1 octets sur %2 enregistrés").arg(done).arg(total);
    return QStringLiteral("%1 bytes of %2 saved").arg(done).arg(total);
}

TKelMemoryStream::TKelMemoryStream(TProgress progress)
    : m_progress(std::move(progress))
{
}

void TKelMemoryStream::SetBytes(QByteArray bytes)
{
    m_bytes = std::move(bytes);
    m_pos = 0;
}

void TKelMemoryStream::Seek(qint64 position)
{
    m_pos = std::clamp<qint64>(position, 0, m_bytes.size());
}

void TKelMemoryStream::Progress(qint64 done, const QString &text, qint64 total)
{
    if (m_progress)
        m_progress(*this, done, text, total);
}

// ---- Primitives ---------------------------------------------------------------------

void TKelMemoryStream::Need(qint64 n) const
{
    if (n < 0 || n > m_bytes.size() - m_pos)
        throw Damaged(QStringLiteral("il se termine trop tôt."), QStringLiteral("it ends too early."));
}

void TKelMemoryStream::WriteInt(int32_t value)
{
    char b[4];
    const auto u = uint32_t(value);
    for (int i = 0; i < 4; ++i)
        b[i] = char((u >> (8 * i)) & 0xFF);
    m_bytes.replace(m_pos, std::min<qint64>(4, m_bytes.size() - m_pos), b, 4);
    m_pos += 4;
}

void TKelMemoryStream::WriteByte(uint8_t value)
{
    const char c = char(value);
    m_bytes.replace(m_pos, std::min<qint64>(1, m_bytes.size() - m_pos), &c, 1);
    m_pos += 1;
}

void TKelMemoryStream::WriteString(const QString &text)
{
    const std::string bytes = dbase::CodePage::Windows1252().Encode(text);
    WriteInt(int32_t(bytes.size()));
    m_bytes.replace(m_pos, std::min<qint64>(qint64(bytes.size()), m_bytes.size() - m_pos), bytes.data(),
                    qsizetype(bytes.size()));
    m_pos += qint64(bytes.size());
}

void TKelMemoryStream::WriteMetafile(const printout::TMetafile &metafile)
{
    const QByteArray emf = metafile.ToEmf();
    m_bytes.replace(m_pos, std::min<qint64>(emf.size(), m_bytes.size() - m_pos), emf);
    m_pos += emf.size();
}

int32_t TKelMemoryStream::ReadInt()
{
    Need(4);
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= uint32_t(uint8_t(m_bytes[m_pos + i])) << (8 * i);
    m_pos += 4;
    return int32_t(u);
}

uint8_t TKelMemoryStream::ReadByte()
{
    Need(1);
    return uint8_t(m_bytes[m_pos++]);
}

QString TKelMemoryStream::ReadString()
{
    const int32_t length = ReadInt();
    if (length < 0)
        throw Damaged(QStringLiteral("une longueur de texte est négative."), QStringLiteral("a text length is negative."));
    Need(length);
    const QString text = dbase::CodePage::Windows1252().Decode(m_bytes.constData() + m_pos, size_t(length));
    m_pos += length;
    return text;
}

printout::TMetafile TKelMemoryStream::ReadMetafile()
{
    // The metafile delimits itself by the total size of its header record.
    Need(kEmfHeaderMin);
    auto u32 = [this](qint64 off) {
        uint32_t u = 0;
        for (int i = 0; i < 4; ++i)
            u |= uint32_t(uint8_t(m_bytes[m_pos + off + i])) << (8 * i);
        return u;
    };
    if (u32(0) != kEmrHeader || u32(40) != kEmfSignature)
        throw Damaged(QStringLiteral("une page n'est pas un métafichier."), QStringLiteral("a page is not a metafile."));
    const qint64 total = u32(48);
    if (total < kEmfHeaderMin || total > m_bytes.size() - m_pos)
        throw Damaged(QStringLiteral("la taille d'une page dépasse le fichier."),
                      QStringLiteral("the size of a page goes beyond the file."));
    try {
        printout::TMetafile mf = printout::TMetafile::FromEmf(m_bytes.mid(m_pos, total));
        m_pos += total;
        return mf;
    } catch (const printout::EEmfError &e) {
        throw EKrpError(QStringLiteral("Le fichier d'impression est endommagé : ") + e.French(),
                        QStringLiteral("The printout file is damaged: ") + e.English());
    }
}

// ---- The printout -------------------------------------------------------------------

void TKelMemoryStream::SaveToStream(printout::TPrintout &p, int first, int count, TRecipients recipients)
{
    m_bytes.clear();
    m_pos = 0;
    first = std::max(first, 1);
    count = std::clamp(count, 0, std::max(0, p.PageCount() - first + 1));

    // Header.
    WriteString(QLatin1String(kVersion));
    const printout::TPrinter *printer = p.Printer();
    WriteString(printer && !printer->Name().isEmpty() ? printer->Name() : QStringLiteral("SCREEN"));
    const printout::TPaper paper = printer ? printer->Paper() : printout::DefaultPaperRecord();
    const bool custom = paper.sizeCode == printout::kPaperCustom;
    WriteInt(paper.sizeCode);
    WriteInt(paper.orientation);
    WriteInt(custom ? paper.width : 0);
    WriteInt(custom ? paper.length : 0);
    WriteString(p.Title());

    // Body.
    WriteByte(p.FitToPrintable() ? 1 : 0);
    WriteInt(p.Copies());
    WriteByte(p.NoPageOpen() ? 1 : 0);
    WriteByte(p.Printed() ? 1 : 0);
    WriteByte(p.Previewed() ? 1 : 0);
    WriteInt(int32_t(p.PageColor()));
    const printout::TPage *background = p.BackgroundPage();
    WriteByte(background ? 1 : 0);
    if (background)
        WriteMetafile(background->Metafile());
    WriteInt(count);
    for (int i = 0; i < count; ++i) {
        WriteMetafile(p.Page(first - 1 + i).Metafile());
        if (p.OnProgress)
            p.OnProgress(p, i + 1, printout::TPrintout::ProgressText(i + 1, count), count);
    }
    const bool any = recipients != TRecipients::None;
    WriteByte(any && p.HasMailRecipients() ? 1 : 0);
    for (int i = 0; i < count; ++i) {
        WriteString(any ? p.MailTo(first + i) : QString());
        WriteString(any ? p.MailCc(first + i) : QString());
        WriteString(recipients == TRecipients::All ? p.MailBcc(first + i) : QString());
    }
}

TPrintoutContents TKelMemoryStream::ReadContents()
{
    m_pos = 0;
    TPrintoutContents in;
    in.version = ReadString();
    const bool v100 = in.version == QLatin1String("0100");
    const bool v101 = in.version == QLatin1String("0101");
    const bool v102 = in.version == QLatin1String(kVersion);
    if (!v100 && !v101 && !v102)
        throw EKrpVersion(in.version);
    in.printerName = ReadString();
    in.paper.sizeCode = ReadInt();
    in.paper.orientation = ReadInt();
    in.paper.width = ReadInt();
    in.paper.length = ReadInt();
    in.title = ReadString();
    in.fit = ReadByte() != 0;
    in.copies = ReadInt();
    in.noPageOpen = ReadByte() != 0;
    in.printed = ReadByte() != 0;
    in.previewed = ReadByte() != 0;
    if (!v100)
        in.pageColor = uint32_t(ReadInt());
    if (ReadByte() != 0)
        in.background = ReadMetafile();
    const int32_t count = ReadInt();
    if (count < 0)
        throw Damaged(QStringLiteral("le nombre de pages est négatif."), QStringLiteral("the page count is negative."));
    // No page takes fewer bytes than its header record: a count beyond that is a lie.
    if (count > (m_bytes.size() - m_pos) / kEmfHeaderMin)
        throw Damaged(QStringLiteral("il annonce plus de pages qu'il n'en contient."),
                      QStringLiteral("it announces more pages than it holds."));
    in.pages.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        in.pages.push_back(ReadMetafile());
    if (v102) {
        in.hasRecipients = ReadByte() != 0;
        in.recipients.reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            std::array<QString, 3> r;
            for (QString &s : r)
                s = ReadString();
            in.recipients.push_back(r);
        }
    }
    return in;
}

printout::TPrintout *TKelMemoryStream::LoadFromStream(const printout::TUserContext *context,
                                                      std::unique_ptr<printout::TPrintout> &target)
{
    TPrintoutContents in;
    try {
        in = ReadContents();
    } catch (const EKrpVersion &e) {
        if (target && target->ShowMessages())
            ui::ErrorBox(e.Message(), target->Owner());
        throw;
    }
    const bool v100 = in.version == QLatin1String("0100");
    const bool v102 = in.version == QLatin1String(kVersion);
    const int count = int(in.pages.size());

    // Everything read: now the printer, the paper and the printout. The file's printer and
    // paper are the document's own: the application's printer and default paper, which later
    // previews and jobs start from, change only when the user changes them.
    std::unique_ptr<printout::TPrinter> named = printout::TPrinter::Named(in.printerName);
    const bool found = named != nullptr;
    if (!target) {
        std::unique_ptr<printout::TPrinter> printer = named ? std::move(named) : printout::ApplicationPrinter().Clone();
        printer->SetCopies(1);
        printer->SetDuplex(0);
        printer->SetCollate(false);
        printout::TPaper paper = printout::DefaultPaperRecord();
        paper.sizeCode = in.paper.sizeCode;
        paper.orientation = in.paper.orientation;
        if (in.paper.sizeCode == printout::kPaperCustom) {
            paper.width = in.paper.width;
            paper.length = in.paper.length;
        }
        printer->SetPaper(paper);
        target = std::make_unique<printout::TPrintout>(nullptr, std::move(printer), in.title);
        target->SetUserContext(context);
    }
    printout::TPrintout &p = *target;
    if (!found)
        p.SetPrinterNotFound(true);
    p.SetFitToPrintable(in.fit);
    p.SetCopies(in.copies);
    p.SetPrinted(in.printed);
    p.SetPreviewed(in.previewed);
    if (!v100)
        p.SetPageColor(in.pageColor);
    if (in.background)
        p.EnsureBackgroundPage().Metafile() = std::move(*in.background);
    const int before = p.PageCount();
    for (int i = 0; i < count; ++i) {
        p.AddPage(std::move(in.pages[size_t(i)]));
        if (p.OnProgress)
            p.OnProgress(p, i + 1, printout::TPrintout::ProgressText(i + 1, count), count);
    }
    if (v102) {
        const bool had = p.HasMailRecipients();
        for (int i = 0; i < count; ++i) {
            const auto &r = in.recipients[size_t(i)];
            p.SetMailRecipients(before + i + 1, before + i + 1, r[2], r[1], r[0]);
        }
        p.SetHasMailRecipients(had || in.hasRecipients);
    }
    return target.get();
}

// ---- The zlib wrapper and files -----------------------------------------------------

QByteArray TKelMemoryStream::Compressed()
{
    const qint64 total = m_bytes.size();
    char prefix[4];
    for (int i = 0; i < 4; ++i)
        prefix[i] = char((uint32_t(total) >> (8 * i)) & 0xFF);

    z_stream z{};
    if (deflateInit(&z, 9) != Z_OK)
        throw EKrpError(QStringLiteral("La compression n'a pas pu commencer."), QStringLiteral("Compression could not start."));
    // Best compression, with the match search bounded: the recorded pages repeat so much that
    // the full search of level 9 takes seconds per thousand pages for a few percent of size.
    deflateTune(&z, 32, 258, 258, 64);
    QByteArray out;
    out.reserve(qsizetype(deflateBound(&z, uLong(total + 4))));
    auto feed = [&](const char *data, qint64 n, int flush) {
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
        z.avail_in = uInt(n);
        char buffer[kBlockSize];
        do {
            z.next_out = reinterpret_cast<Bytef *>(buffer);
            z.avail_out = sizeof buffer;
            const int rc = deflate(&z, flush);
            if (rc == Z_STREAM_ERROR) {
                deflateEnd(&z);
                throw EKrpError(QStringLiteral("La compression a échoué."), QStringLiteral("Compression failed."));
            }
            out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
        } while (z.avail_out == 0);
    };
    feed(prefix, 4, Z_NO_FLUSH);
    qint64 done = 0;
    while (true) {
        const qint64 n = std::min<qint64>(kBlockSize, total - done);
        feed(m_bytes.constData() + done, n, n == 0 ? Z_FINISH : Z_NO_FLUSH);
        done += n;
        Progress(done, SaveProgressText(done, total), total);
        if (n == 0)
            break;
    }
    deflateEnd(&z);
    return out;
}

void TKelMemoryStream::SetFromCompressed(const QByteArray &stored)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        throw EKrpError(QStringLiteral("La décompression n'a pas pu commencer."),
                        QStringLiteral("Decompression could not start."));
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stored.constData()));
    z.avail_in = uInt(stored.size());
    QByteArray plain;
    qint64 total = -1; // the length the prefix announces, once read
    char prefix[4];
    int prefixHave = 0;
    char buffer[kBlockSize];
    int rc = Z_OK;
    try {
        while (rc != Z_STREAM_END) {
            z.next_out = reinterpret_cast<Bytef *>(buffer);
            z.avail_out = sizeof buffer;
            rc = inflate(&z, Z_NO_FLUSH);
            if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR)
                throw Damaged(QStringLiteral("sa compression est invalide."), QStringLiteral("its compression is invalid."));
            const qint64 produced = qint64(sizeof buffer - z.avail_out);
            if (rc == Z_BUF_ERROR || (produced == 0 && z.avail_in == 0 && rc != Z_STREAM_END))
                throw Damaged(QStringLiteral("il se termine trop tôt."), QStringLiteral("it ends too early."));
            const char *at = buffer;
            qint64 left = produced;
            while (prefixHave < 4 && left > 0) {
                prefix[prefixHave++] = *at++;
                --left;
            }
            if (total < 0 && prefixHave == 4) {
                uint32_t u = 0;
                for (int i = 0; i < 4; ++i)
                    u |= uint32_t(uint8_t(prefix[i])) << (8 * i);
                total = qint64(int32_t(u));
                if (total < 0 || total > kMaxSize)
                    throw Damaged(QStringLiteral("la longueur annoncée est impossible."),
                                  QStringLiteral("the announced length is impossible."));
            }
            if (left > 0) {
                if (plain.size() + left > total) // more than announced: a bomb or a lie
                    throw Damaged(QStringLiteral("il contient plus que sa longueur annoncée."),
                                  QStringLiteral("it holds more than its announced length."));
                plain.append(at, qsizetype(left));
                Progress(plain.size(), LoadProgressText(plain.size(), total), total);
            }
        }
    } catch (...) {
        inflateEnd(&z);
        throw;
    }
    inflateEnd(&z);
    if (total < 0 || plain.size() != total)
        throw Damaged(QStringLiteral("il se termine trop tôt."), QStringLiteral("it ends too early."));
    SetBytes(std::move(plain));
}

void TKelMemoryStream::SaveToFile(const QString &path, bool compressed)
{
    ui::TWaitCursor wait;
    const QByteArray bytes = compressed ? Compressed() : m_bytes;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EKrpError(QStringLiteral("Impossible d'écrire le fichier « %1 » : %2").arg(path, file.errorString()),
                        QStringLiteral("Cannot write the file \"%1\": %2").arg(path, file.errorString()));
}

void TKelMemoryStream::LoadFromFile(const QString &path, bool compressed)
{
    ui::TWaitCursor wait;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EKrpError(QStringLiteral("Impossible de lire le fichier « %1 » : %2").arg(path, file.errorString()),
                        QStringLiteral("Cannot read the file \"%1\": %2").arg(path, file.errorString()));
    if (file.size() > kMaxSize)
        throw Damaged(QStringLiteral("il est trop grand."), QStringLiteral("it is too large."));
    const QByteArray bytes = file.readAll();
    if (compressed)
        SetFromCompressed(bytes);
    else
        SetBytes(bytes);
}

void SavePrintoutFile(printout::TPrintout &printout, const QString &path, const TKelMemoryStream::TProgress &progress)
{
    TKelMemoryStream stream(progress);
    stream.SaveToStream(printout, 1, printout.PageCount());
    stream.SaveToFile(path, true);
}

std::unique_ptr<printout::TPrintout> LoadPrintoutFile(const QString &path, const TKelMemoryStream::TProgress &progress)
{
    TKelMemoryStream stream(progress);
    stream.LoadFromFile(path, true);
    std::unique_ptr<printout::TPrintout> printout;
    stream.LoadFromStream(nullptr, printout);
    return printout;
}

} // namespace delivery
