// Saves pictures of the print preview window: a three-page printout in French and in English,
// at 100 % and in full page, with a search hit underlined, and with the archive panel open
// and the mouse over a toolbar button; the toolbar alone, twice its size, to judge the glyphs.
// Usage: preview_screens [OUTPUT_DIR]   (default: the current folder)

#include "ExampleSupport.h"

#include "preview/Preview.h"
#include "ui/KelSpeedButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEnterEvent>
#include <QLineEdit>
#include <QScrollArea>

#include <cstdio>

using namespace printout;
using preview::TFPrintPreview;

namespace {

// A page laid out like a form: a frame, a section band, captions and filled-in values.
void DrawPage(TPageCanvas &c, int page, bool french)
{
    c.SetPenWidth(5);
    c.SetBrushStyle(TBrushStyle::Clear);
    c.Rectangle(115, -150, 2045, -2650);
    c.SetBrushStyle(TBrushStyle::Solid);
    c.SetBrushColor(Qt::black);
    c.Rectangle(370, -180, 1810, -260);
    c.SetTextAlign(emf::TA_BASELINE | emf::TA_CENTER);
    c.SetFontName(QStringLiteral("Arial"));
    c.SetFontHeight(45);
    c.SetFontStyle(fsBold);
    c.SetFontColor(Qt::white);
    c.TextOut(1090, -238, french ? QStringLiteral("BAIL DE LOGEMENT") : QStringLiteral("LEASE OF A DWELLING"));
    c.SetFontColor(Qt::black);
    c.SetTextAlign(emf::TA_BASELINE);
    c.SetFontStyle(0);
    c.SetFontHeight(35);
    const int lines = 18;
    for (int i = 0; i < lines; ++i) {
        const int y = -400 - i * 110;
        c.TextOut(160, y, french ? QStringLiteral("Bail n° %1, ligne %2 : le locateur et le locataire conviennent de ce qui suit.").arg(page).arg(i + 1)
                                 : QStringLiteral("Lease no. %1, line %2: the lessor and the lessee agree as follows.").arg(page).arg(i + 1));
        c.SetPenWidth(2);
        c.MoveTo(160, y - 20);
        c.LineTo(2000, y - 20);
    }
    c.SetFontName(QStringLiteral("Times"));
    c.SetFontStyle(fsItalic);
    c.SetTextAlign(emf::TA_BASELINE | emf::TA_RIGHT);
    c.TextOut(2000, -2600, french ? QStringLiteral("Page %1 de 3").arg(page) : QStringLiteral("Page %1 of 3").arg(page));
}

std::unique_ptr<TPrintout> MakePrintout(bool french)
{
    auto p = std::make_unique<TPrintout>(nullptr, TPrinter::Virtual(), french ? QStringLiteral("Bail 2024-001") : QStringLiteral("Lease 2024-001"));
    p->SetPageColor(0xFFFFFF);
    for (int page = 1; page <= 3; ++page) {
        p->NewPage(1);
        DrawPage(*p->Canvas(), page, french);
        p->EndPage();
    }
    return p;
}

} // namespace

int main(int argc, char **argv)
{
    examples::ChoosePlatform();
    QApplication app(argc, argv);
    const QString dir = examples::OutputFolder(argc, argv, QDir::currentPath());
    bool ok = true;
    for (const bool french : {true, false}) {
        examples::UseLanguage(french ? "F" : "A");
        const QString lang = french ? QStringLiteral("fr") : QStringLiteral("en");
        TFPrintPreview w(nullptr, MakePrintout(french));
        w.resize(1100, 820);
        w.show();
        ok &= examples::SaveShown(w, dir + QStringLiteral("/preview-%1-100.png").arg(lang));
        w.FullPage();
        ok &= examples::SaveShown(w, dir + QStringLiteral("/preview-%1-fullpage.png").arg(lang));
        w.ShowSearchPanel();
        w.SearchEdit()->setText(french ? QStringLiteral("locataire") : QStringLiteral("lessee"));
        w.WholeWords()->setChecked(true);
        w.Search(w.SearchEdit()->text(), false, true);
        w.SetZoomText(QStringLiteral("100"));
        w.ApplyZoom();
        w.ShowHit(0);
        ok &= examples::SaveShown(w, dir + QStringLiteral("/preview-%1-search.png").arg(lang));
        // The mouse comes over the archive button and the panel opens; the button stays lit.
        w.SearchPanel()->findChild<QAbstractButton *>(QStringLiteral("SearchClose"))->click();
        w.Current()->SetCurrentPage(2);
        ui::TKelSpeedButton *archive = w.Button("SBArchive");
        QEnterEvent enter(QPointF(15, 15), QPointF(15, 15), archive->mapToGlobal(QPointF(15, 15)));
        QApplication::sendEvent(archive, &enter);
        w.ShowArchivePanel();
        ok &= examples::SaveShown(w, dir + QStringLiteral("/preview-%1-archive.png").arg(lang));
        QWidget *toolBar = w.findChild<QWidget *>(QStringLiteral("ToolBar"));
        const QPixmap bar = toolBar->grab(QRect(0, 0, w.Button("BtnFind")->geometry().right() + 4, toolBar->height()));
        const QString barPath = dir + QStringLiteral("/preview-%1-toolbar.png").arg(lang);
        const bool barSaved = bar.scaled(bar.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(barPath, "PNG");
        std::printf("%s %s\n", barSaved ? "wrote" : "FAILED", barPath.toLocal8Bit().constData());
        ok &= barSaved;
    }
    return ok ? 0 : 1;
}
