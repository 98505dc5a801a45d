// Printout files: what we write reads back the same, an independent reader finds every field
// where the layout puts it, older versions load, and damaged or hostile files are refused.

#include "delivery/KelStream.h"
#include "printout/Metafile.h"
#include "printout/PaperCheck.h"
#include "printout/Printer.h"
#include "printout/Printout.h"
#include "ui/MessageBoxes.h"

#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonArray>
#include <gtest/gtest.h>

#include <zlib.h>

using namespace delivery;
using printout::TPrintout;

namespace {

std::unique_ptr<TPrintout> Pages(int count, const QString &title = QStringLiteral("Bail de la Ostrevane"))
{
    auto p = std::make_unique<TPrintout>(nullptr, printout::TPrinter::Virtual(), title);
    for (int i = 1; i <= count; ++i) {
        p->NewPage(1);
        printout::TPageCanvas *c = p->Canvas();
        c->SetFontName(QStringLiteral("Arial"));
        c->SetFontHeight(40);
        c->TextOut(200, -200 * i, QStringLiteral("Page %1 é").arg(i));
        c->Rectangle(100, -100, 1000 + i, -900);
        p->EndPage();
    }
    return p;
}

QString ReaderScript()
{
    return QStringLiteral(BAIL_TESTS_DIR "/delivery/krp_reader.py");
}

// The serialisation as an older writer made it: the header, then the body of that version.
QByteArray Serialised(const QString &version, int pages, bool recipients)
{
    auto p = Pages(pages);
    TKelMemoryStream s;
    s.WriteString(version);
    s.WriteString(QStringLiteral("no such printer"));
    for (int v : {1, 1, 0, 0})
        s.WriteInt(v);
    s.WriteString(QStringLiteral("Old"));
    s.WriteByte(1);
    s.WriteInt(2);
    s.WriteByte(1);
    s.WriteByte(0);
    s.WriteByte(0);
    if (version != QLatin1String("0100"))
        s.WriteInt(0x00FFFFFF);
    s.WriteByte(0);
    s.WriteInt(pages);
    for (int i = 1; i <= pages; ++i)
        s.WriteMetafile(*p->PageMetafile(i));
    if (recipients) {
        s.WriteByte(1);
        for (int i = 1; i <= pages; ++i)
            for (const char *r : {"to@example.org", "", ""})
                s.WriteString(QLatin1String(r));
    }
    return s.Bytes();
}

std::unique_ptr<TPrintout> Load(const QByteArray &bytes)
{
    TKelMemoryStream s;
    s.SetBytes(bytes);
    std::unique_ptr<TPrintout> p;
    s.LoadFromStream(nullptr, p);
    return p;
}

TEST(PrintoutFile, SavedPagesLoadBackWithEveryField)
{
    for (const int count : {0, 3}) {
        SCOPED_TRACE(count);
        auto p = Pages(count);
        p->SetCopies(3);
        p->SetFitToPrintable(false);
        p->SetPageColor(0x00FFFFFF);
        if (count)
            p->SetMailRecipients(2, 2, QStringLiteral("bcc@x.ca"), QString(), QStringLiteral("Léa <lea@x.ca>"));
        auto dir = testsupport::TempDir();
        const QString path = dir->filePath(QStringLiteral("bail.krp"));
        std::vector<qint64> progress;
        SavePrintoutFile(*p, path, [&](TKelMemoryStream &, qint64 done, const QString &, qint64) { progress.push_back(done); });
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), progress.size() > 1 ? progress[progress.size() - 2] : progress.back()); // the empty last block

        std::unique_ptr<TPrintout> back = LoadPrintoutFile(path);
        ASSERT_EQ(back->PageCount(), count);
        for (int i = 1; i <= count; ++i)
            EXPECT_TRUE(back->PageMetafile(i)->SameRecords(*p->PageMetafile(i))) << i;
        EXPECT_EQ(back->Title(), p->Title());
        EXPECT_EQ(back->Copies(), 3);
        EXPECT_FALSE(back->FitToPrintable());
        EXPECT_EQ(back->PageColor(), 0x00FFFFFFu);
        EXPECT_EQ(back->HasMailRecipients(), count > 0);
        EXPECT_EQ(back->MailTo(2), count ? QStringLiteral("Léa <lea@x.ca>") : QString());
        EXPECT_EQ(back->MailBcc(2), count ? QStringLiteral("bcc@x.ca") : QString());
        EXPECT_TRUE(back->MailTo(1).isEmpty());
    }
}

TEST(PrintoutFile, OlderVersionsLoadAndAnUnknownOneAddsNothing)
{
    auto v101 = Load(Serialised(QStringLiteral("0101"), 2, false));
    EXPECT_EQ(v101->PageCount(), 2);
    EXPECT_FALSE(v101->HasMailRecipients());
    EXPECT_TRUE(v101->MailTo(1).isEmpty());
    EXPECT_EQ(v101->PageColor(), 0x00FFFFFFu);
    EXPECT_TRUE(v101->PrinterNotFound()); // printing it goes through the reprint path
    EXPECT_EQ(v101->Copies(), 2);

    auto v100 = Load(Serialised(QStringLiteral("0100"), 1, false));
    EXPECT_EQ(v100->PageCount(), 1);
    EXPECT_EQ(v100->PageColor(), TPrintout::kNoColor);

    auto v102 = Load(Serialised(QStringLiteral("0102"), 2, true));
    EXPECT_TRUE(v102->HasMailRecipients());
    EXPECT_EQ(v102->MailTo(2), QStringLiteral("to@example.org"));

    // Into a printout that has pages and tells its messages: the box, and nothing added.
    std::vector<QString> boxes;
    ui::SetMessageBoxHook([&](QMessageBox &box) {
        boxes.push_back(box.text());
        return QMessageBox::Ok;
    });
    std::unique_ptr<TPrintout> into = Pages(1);
    TKelMemoryStream s;
    s.SetBytes(Serialised(QStringLiteral("0103"), 2, true));
    EXPECT_THROW(s.LoadFromStream(nullptr, into), EKrpVersion);
    ui::SetMessageBoxHook({});
    EXPECT_EQ(into->PageCount(), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("Erreur de version du loader")) || boxes[0].startsWith(QStringLiteral("Incorrect loader")));
    std::unique_ptr<TPrintout> none;
    s.SetBytes(Serialised(QStringLiteral("0103"), 1, true));
    EXPECT_THROW(s.LoadFromStream(nullptr, none), EKrpVersion);
    EXPECT_EQ(none, nullptr);
}

// Whatever the bytes, the reader ends in EKrpError and never in a crash, a hang or an
// allocation the file does not justify.
TEST(PrintoutFile, DamagedAndHostileFilesAreRefused)
{
    auto p = Pages(3);
    TKelMemoryStream good;
    good.SaveToStream(*p, 1, 3);
    const QByteArray plain = good.Bytes();
    const QByteArray stored = good.Compressed();

    auto refused = [](const QByteArray &bytes, bool compressed) {
        TKelMemoryStream s;
        try {
            if (compressed)
                s.SetFromCompressed(bytes);
            else
                s.SetBytes(bytes);
            std::unique_ptr<TPrintout> out;
            s.LoadFromStream(nullptr, out);
            return false;
        } catch (const EKrpError &) {
            return true;
        }
    };
    for (int k = 0; k < 20; ++k) {
        EXPECT_TRUE(refused(stored.left(stored.size() * k / 20), true)) << "compressed cut at " << k << "/20";
        EXPECT_TRUE(refused(plain.left(plain.size() * k / 20), false)) << "cut at " << k << "/20";
    }
    // Lying lengths: a page count in the billions, a string longer than the file, a page
    // whose size field points past the end.
    QByteArray lies = Serialised(QStringLiteral("0102"), 0, true);
    const qsizetype countAt = lies.size() - 5; // the page count before the recipients flag
    lies.replace(countAt, 4, QByteArray::fromHex("ffffff7f"));
    EXPECT_TRUE(refused(lies, false));
    QByteArray longTitle = plain;
    longTitle.replace(0, 4, QByteArray::fromHex("00000040"));
    EXPECT_TRUE(refused(longTitle, false));

    // A zlib bomb: a small file announcing a small length and inflating far beyond it, and one
    // announcing more than any printout.
    for (const quint32 announced : {quint32(16), quint32(0x7FFFFFFF)}) {
        QByteArray bomb(64 << 20, '\0');
        for (int i = 0; i < 4; ++i)
            bomb[i] = char((announced >> (8 * i)) & 0xFF);
        uLongf size = compressBound(uLong(bomb.size()));
        QByteArray z(qsizetype(size), '\0');
        ASSERT_EQ(compress2(reinterpret_cast<Bytef *>(z.data()), &size, reinterpret_cast<const Bytef *>(bomb.constData()),
                            uLong(bomb.size()), 9),
                  Z_OK);
        z.resize(qsizetype(size));
        EXPECT_TRUE(refused(z, true)) << announced;
    }
    // Bytes flipped here and there.
    for (int i = 0; i < 40; ++i) {
        QByteArray flipped = plain;
        const qsizetype at = (qsizetype(i) * 7919) % flipped.size();
        flipped[at] = char(flipped[at] ^ 0x5A);
        try {
            TKelMemoryStream s;
            s.SetBytes(flipped);
            std::unique_ptr<TPrintout> out;
            s.LoadFromStream(nullptr, out);
        } catch (const EKrpError &) {
        }
    }
}

TEST(PrintoutFile, AnIndependentReaderFindsEveryFieldAndItsPagesReadElsewhere)
{
    if (!testsupport::HaveProgram(QStringLiteral("python3")))
        GTEST_SKIP() << "python3 is not installed";
    auto p = Pages(2, QStringLiteral("Bail été"));
    p->SetMailRecipients(1, 1, QString(), QStringLiteral("cc@x.ca"), QStringLiteral("to@x.ca"));
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath(QStringLiteral("two.krp"));
    SavePrintoutFile(*p, path);
    QString out, err;
    ASSERT_EQ(testsupport::Run(QStringLiteral("python3"), QStringList{ReaderScript(), QStringLiteral("read"), path, dir->path()}, &out, &err), 0)
        << err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(o[QStringLiteral("prefix")].toInt(), o[QStringLiteral("following")].toInt());
    EXPECT_EQ(o[QStringLiteral("version")].toString(), QStringLiteral("0102"));
    EXPECT_EQ(o[QStringLiteral("title")].toString(), QStringLiteral("Bail été"));
    EXPECT_EQ(o[QStringLiteral("pages")].toInt(), 2);
    EXPECT_EQ(o[QStringLiteral("hasRecipients")].toInt(), 1);
    EXPECT_EQ(o[QStringLiteral("recipients")].toArray()[0].toArray()[1].toString(), QStringLiteral("cc@x.ca"));
    EXPECT_EQ(o[QStringLiteral("rest")].toInt(), 0);
    for (int i = 1; i <= 2; ++i) {
        const QString emf = dir->filePath(QStringLiteral("page-%1.emf").arg(i));
        EXPECT_TRUE(printout::TMetafile::Load(emf).SameRecords(*p->PageMetafile(i)));
        if (testsupport::HaveProgram(QStringLiteral("inkscape"))) {
            const QString svg = dir->filePath(QStringLiteral("page-%1.svg").arg(i));
            EXPECT_EQ(testsupport::Run(QStringLiteral("inkscape"), QStringList{emf, QStringLiteral("--export-filename=") + svg}), 0);
            EXPECT_TRUE(QFile::exists(svg));
        }
    }

    // Foreign pages put into a printout file by that reader load as a printout of ours.
    const QDir fixtures(QStringLiteral(BAIL_SHARED_DIR "/fixtures/emf"));
    if (!fixtures.exists())
        GTEST_SKIP() << "no shared fixtures";
    QStringList pages;
    for (const QString &name : fixtures.entryList({QStringLiteral("e2s_test-*.emf")})) {
        QFile f(fixtures.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = f.readAll();
        quint32 total = 0;
        std::memcpy(&total, bytes.constData() + 48, 4);
        bool ours = total == quint32(bytes.size());
        try {
            (void)printout::TMetafile::FromEmf(bytes);
        } catch (const printout::EEmfError &) {
            ours = false;
        }
        if (ours)
            pages << f.fileName();
        if (pages.size() == 3)
            break;
    }
    ASSERT_FALSE(pages.isEmpty());
    const QString built = dir->filePath(QStringLiteral("foreign.krp"));
    ASSERT_EQ(testsupport::Run(QStringLiteral("python3"), QStringList{ReaderScript(), QStringLiteral("build"), built,
                                                                       QStringLiteral("Foreign")} + pages, &out, &err), 0)
        << err.toStdString();
    std::unique_ptr<TPrintout> foreign = LoadPrintoutFile(built);
    EXPECT_EQ(foreign->PageCount(), pages.size());
    EXPECT_EQ(foreign->Title(), QStringLiteral("Foreign"));
}

} // namespace

// A file's paper is its document's: the application's default paper and printer, which the
// next preview and job start from, stay as the user set them.
TEST(PrintoutFile, OpeningAFileKeepsItsPaperToItself)
{
    constexpr int kA4 = 9;
    printout::TPaper &defaults = printout::DefaultPaperRecord();
    const printout::TPaper saved = defaults;
    defaults.sizeCode = kA4;
    printout::TPrinter &app = printout::ApplicationPrinter();
    const printout::TPaper appBefore = app.Paper();
    app.SetPaper(defaults);
    const int appPaper = app.Paper().sizeCode;

    auto p = Load(Serialised(QStringLiteral("0102"), 1, true)); // a Letter file
    ASSERT_TRUE(p && p->Printer());
    EXPECT_EQ(p->Printer()->Paper().sizeCode, printout::kPaperLetter);
    EXPECT_EQ(defaults.sizeCode, kA4);
    EXPECT_EQ(printout::ApplicationPrinter().Paper().sizeCode, appPaper);
    EXPECT_EQ(&printout::ApplicationPrinter(), &app);

    defaults = saved;
    app.SetPaper(appBefore);
}
