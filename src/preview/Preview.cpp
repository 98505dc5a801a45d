#include "preview/Preview.h"

#include "delivery/Archive.h"
#include "delivery/KelStream.h"
#include "preview/ArchivePanel.h"
#include "preview/ExportMenu.h"
#include "preview/MailPanel.h"
#include "preview/PreviewLook.h"

#include "dataset/Common.h"
#include "pdf/PdfBox.h"
#include "printout/PdfExport.h"
#include "ui/KelGradient.h"
#include "ui/KelSpeedButton.h"
#include "ui/MLang.h"
#include "ui/MessageBoxes.h"
#include "ui/WaitCursor.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace preview {

using namespace printout;

namespace {

// Texts of the window: control name, caption and hint in French and English. The zoom box's
// items come first as its list rows. The toolbar's glyphs say what their buttons do: no
// captions there, and assistive technologies name them by their hints.
struct TControlText {
    const char *name;
    const char *frCaption, *enCaption;
    const char *frHint, *enHint;
};

const TControlText kControlTexts[] = {
    {"BtnZoomIn", "", "", "Agrandir (Ctrl++)", "Zoom in (Ctrl++)"},
    {"BtnZoomOut", "", "", "Réduire (Ctrl+-)", "Zoom out (Ctrl+-)"},
    {"BtnFullPage", "", "", "Page entière (Ctrl+T)", "Full page (Ctrl+T)"},
    {"BtnPageWidth", "", "", "Largeur de page (Ctrl+L)", "Page width (Ctrl+L)"},
    {"BtnPreviousPrintout", "", "", "Document précédent (Ctrl+Shift+Gauche)", "Previous document (Ctrl+Shift+Left)"},
    {"BtnNextPrintout", "", "", "Document suivant (Ctrl+Shift+Droite)", "Next document (Ctrl+Shift+Right)"},
    {"BtnSelectPrintout", "", "", "Sélectionner un document", "Select a document"},
    {"BtnClosePrintout", "", "", "Fermer le document en cours (Ctrl+Shift+X)", "Close active document (Ctrl+Shift+X)"},
    {"BtnFirstPage", "", "", "Première page (Début)", "First page (Home)"},
    {"BtnRewind", "", "", "Pages précédentes (Ctrl+Pg préc)", "Previous pages (Ctrl+PgUp)"},
    {"BtnPreviousPage", "", "", "Page précédente (Pg préc)", "Previous page (PgUp)"},
    {"BtnNextPage", "", "", "Page suivante (Pg suiv)", "Next page (PgDn)"},
    {"BtnFastForward", "", "", "Pages suivantes (Ctrl+Pg suiv)", "Next pages (Ctrl+PgDn)"},
    {"BtnLastPage", "", "", "Dernière page (Fin)", "Last page (End)"},
    {"BtnPrint", "", "", "Imprimer (Ctrl+Shift+P)", "Print (Ctrl+Shift+P)"},
    {"BtnExport", "", "", "Exporter vers MS Word / MS Excel / Adobe Acrobat (Ctrl+W)",
     "Export to MS Word / MS Excel / Adobe Acrobat (Ctrl+W)"},
    {"SBArchive", "", "", "Archiver le document (Ctrl+A)", "Archive document (Ctrl+A)"},
    {"BtnOpen", "", "", "Ouvrir un document (Ctrl+Shift+O)", "Open a document (Ctrl+Shift+O)"},
    {"BtnSaveToDisk", "", "", "Sauvegarder (Ctrl+Shift+S)", "Save (Ctrl+Shift+S)"},
    {"BtnSendMail", "", "", "Envoyer par courriel (Ctrl+E)", "Send via email (Ctrl+E)"},
    {"BtnSendMailMulti", "", "", "Envoyer par courriel multiple (Ctrl+Shift+E)",
     "Send multiple e-mail (Ctrl+Shift+E)"},
    {"BtnFind", "", "", "Rechercher (Ctrl+Shift+F)", "Find text (Ctrl+Shift+F)"},
    {"SearchClose", "", "", "Fermer", "Close"},
    {"SearchLabel", "Rechercher", "Text to find", nullptr, nullptr},
    {"SearchButton", "Lancer la recherche", "Find", nullptr, nullptr},
    {"ChBMatchCase", "Respecter la casse", "Match case", nullptr, nullptr},
    {"ChBWholeWords", "Mots entiers seulement", "Whole word only", nullptr, nullptr},
};

const char *const kZoomItems[] = {"10", "25", "50", "75", "90", "100", "125", "150", "200",
                                  "250", "300", "400", "500", "600", "800", "1000"};

constexpr QRgb kWindowColour = qRgb(0xD3, 0xDA, 0xED); // $EDDAD3 as the platform stores it

std::function<int(QPrintDialog &)> &PrintDialogHook()
{
    static std::function<int(QPrintDialog &)> hook;
    return hook;
}

} // namespace

// The page image: the current page played into the panel's size.
class TPageImage : public QWidget {
public:
    explicit TPageImage(QWidget *parent) : QWidget(parent) { setMouseTracking(true); }
    const TMetafile *metafile = nullptr;
    QColor colour = Qt::white;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), colour);
        if (metafile)
            PlayMetafile(painter, *metafile, QRectF(rect()));
    }
};

TFPrintPreview::TFPrintPreview(QWidget *owner, std::unique_ptr<TPrintout> printout) : QWidget(owner)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(kWindowColour));
    setPalette(pal);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateToolBar();
    CreatePageArea();
    layout->addWidget(m_toolBar);
    CreateMailPanel();
    layout->addWidget(m_mailPanel);
    m_archivePanel = new TArchivePanel(this);
    connect(m_archivePanel, &TArchivePanel::ArchiveAsked, this, &TFPrintPreview::ArchiveCommand);
    layout->addWidget(m_archivePanel);
    auto *area = new QHBoxLayout;
    area->setContentsMargins(0, 0, 0, 0);
    area->setSpacing(0);
    area->addWidget(m_scrollBox, 1);
    m_searchPanel = new TSearchPanel(this);
    connect(m_searchPanel, &TSearchPanel::SearchAsked, this, &TFPrintPreview::BtnSearchClick);
    connect(m_searchPanel, &TSearchPanel::HitChosen, this, &TFPrintPreview::ShowHit);
    connect(m_searchPanel, &TSearchPanel::Closed, this, [this] { m_underline->hide(); });
    area->addWidget(m_searchPanel);
    layout->addLayout(area, 1);
    CreateWordList();
    // Every control's keys pass the window first.
    installEventFilter(this);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
    resize(900, 700);
    if (printout) {
        TPrintout *p = printout.get();
        AddDocument(std::move(printout));
        p->SetPreviewed(true);
    }
    SetZoomText(QStringLiteral("100"));
    ApplyZoom();
}

TFPrintPreview::~TFPrintPreview()
{
    // The controls outlive this part of the window: nothing of theirs may call back into it.
    for (QObject *child : findChildren<QObject *>()) {
        child->removeEventFilter(this);
        QObject::disconnect(child, nullptr, this, nullptr);
    }
    if (m_scrollBox)
        m_scrollBox->viewport()->removeEventFilter(this);
    for (auto &doc : m_documents) {
        doc->OnProgress = nullptr;
        doc->OnBeforePageChange = nullptr;
        doc->OnAfterPageChange = nullptr;
        doc->SetPreview(nullptr);
    }
}

TFPrintPreview *TFPrintPreview::ShowInMdi(QMdiArea *area, std::unique_ptr<TPrintout> printout)
{
    auto *preview = new TFPrintPreview(nullptr, std::move(printout));
    preview->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow *sub = area->addSubWindow(preview);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->showMaximized();
    return preview;
}

ui::TKelSpeedButton *TFPrintPreview::AddButton(const char *name, int width)
{
    auto *b = new ui::TKelSpeedButton(m_toolBar);
    ui::UseToolbarLook(*b);
    b->setObjectName(QLatin1String(name));
    b->SetPNGObject(ToolbarGlyph(QLatin1String(name)));
    b->setFixedSize(width, kButtonSize);
    m_toolBar->layout()->addWidget(b);
    return b;
}

void TFPrintPreview::CreateToolBar()
{
    m_toolBar = new ui::TKelGradient(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    UsePanelGradient(*m_toolBar);
    m_toolBar->setFixedHeight(36);
    auto *row = new QHBoxLayout(m_toolBar);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(2);
    auto command = [this](const char *name, auto slot) { connect(AddButton(name), &QAbstractButton::clicked, this, slot); };
    command("BtnZoomIn", &TFPrintPreview::BtnZoomInClick);
    command("BtnZoomOut", &TFPrintPreview::BtnZoomOutClick);
    command("BtnFullPage", &TFPrintPreview::BtnFullPageClick);
    command("BtnPageWidth", &TFPrintPreview::BtnPageWidthClick);
    m_zoomBox = new QComboBox(m_toolBar);
    m_zoomBox->setObjectName(QStringLiteral("ComboBox"));
    m_zoomBox->setEditable(true);
    m_zoomBox->setInsertPolicy(QComboBox::NoInsert);
    m_zoomBox->setFixedWidth(70);
    for (const char *z : kZoomItems)
        m_zoomBox->addItem(QLatin1String(z));
    connect(m_zoomBox, &QComboBox::textActivated, this, [this] { ApplyZoom(); });
    m_zoomBox->installEventFilter(this);
    m_zoomBox->lineEdit()->installEventFilter(this);
    row->addWidget(m_zoomBox);
    command("BtnPreviousPrintout", &TFPrintPreview::BtnPreviousPrintoutClick);
    command("BtnNextPrintout", &TFPrintPreview::BtnNextPrintoutClick);
    ui::TKelSpeedButton *list = AddButton("BtnSelectPrintout");
    m_documentMenu = new QMenu(this);
    // The list opens on the right button only; a plain click does nothing.
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this,
            [this, list](const QPoint &pos) { m_documentMenu->popup(list->mapToGlobal(pos)); });
    command("BtnClosePrintout", &TFPrintPreview::BtnClosePrintoutClick);
    command("BtnFirstPage", &TFPrintPreview::BtnFirstPageClick);
    command("BtnRewind", &TFPrintPreview::BtnRewindClick);
    command("BtnPreviousPage", &TFPrintPreview::BtnPreviousPageClick);
    command("BtnNextPage", &TFPrintPreview::BtnNextPageClick);
    command("BtnFastForward", &TFPrintPreview::BtnFastForwardClick);
    command("BtnLastPage", &TFPrintPreview::BtnLastPageClick);
    m_pageIndicator = new QLabel(m_toolBar);
    m_pageIndicator->setObjectName(QStringLiteral("PageIndicator"));
    m_pageIndicator->setMinimumWidth(110);
    m_pageIndicator->setAlignment(Qt::AlignCenter);
    row->addWidget(m_pageIndicator);
    command("BtnPrint", &TFPrintPreview::BtnPrintClick);
    // Wider than the others: the arrow of its menu sits beside the glyph.
    m_exportMenu = new TExportMenu(AddButton("BtnExport", kButtonSize + 12), [this] { return m_current; },
                                   [this] { return French(); });
    command("SBArchive", &TFPrintPreview::ShowArchivePanel);
    command("BtnOpen", &TFPrintPreview::BtnOpenClick);
    command("BtnSaveToDisk", &TFPrintPreview::BtnSaveToDiskClick);
    connect(AddButton("BtnSendMail"), &QAbstractButton::clicked, this, [this] { OpenMailPanel(false); });
    connect(AddButton("BtnSendMailMulti"), &QAbstractButton::clicked, this, [this] { OpenMailPanel(true); });
    command("BtnFind", &TFPrintPreview::BtnFindClick);
    m_progress = new QProgressBar(m_toolBar);
    m_progress->setObjectName(QStringLiteral("ProgressBar"));
    m_progress->setFixedWidth(120);
    m_progress->hide();
    row->addWidget(m_progress);
    row->addStretch(1);
}

void TFPrintPreview::CreatePageArea()
{
    m_scrollBox = new QScrollArea(this);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox"));
    m_scrollBox->setWidgetResizable(false);
    m_scrollBox->setFrameShape(QFrame::NoFrame);
    m_scrollBox->setBackgroundRole(QPalette::Window);
    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("ScrollContent"));
    m_sheet = new QFrame(m_content);
    m_sheet->setObjectName(QStringLiteral("SheetPanel"));
    m_sheet->setFrameShape(QFrame::Box);
    m_sheet->setLineWidth(1);
    auto *sheetLayout = new QVBoxLayout(m_sheet);
    sheetLayout->setContentsMargins(1, 1, 1, 1);
    m_image = new TPageImage(m_sheet);
    m_image->setObjectName(QStringLiteral("PageImage"));
    sheetLayout->addWidget(m_image);
    m_underline = new QWidget(m_content);
    m_underline->setObjectName(QStringLiteral("SearchUnderline"));
    m_underline->setAutoFillBackground(true);
    QPalette red = m_underline->palette();
    red.setColor(QPalette::Window, Qt::red);
    m_underline->setPalette(red);
    m_underline->setFixedHeight(4);
    m_underline->hide();
    m_corner = new QWidget(m_content);
    m_corner->setObjectName(QStringLiteral("CornerPanel"));
    m_corner->setFixedSize(10, 10);
    m_scrollBox->setWidget(m_content);
    m_scrollBox->viewport()->installEventFilter(this);
}

void TFPrintPreview::CreateWordList()
{
    QStringList words;
    auto row = [&words](const QString &name, const QString &fr, const QString &en) { words << name << fr << en; };
    row(QStringLiteral("ComboBox"), QLatin1String(kZoomItems[0]), QLatin1String(kZoomItems[0]));
    for (size_t i = 1; i < std::size(kZoomItems); ++i)
        row(QStringLiteral("\""), QLatin1String(kZoomItems[i]), QLatin1String(kZoomItems[i]));
    row(QStringLiteral("\".Hint"), QStringLiteral("Pourcentage d'agrandissement"), QStringLiteral("Zoom"));
    for (const TControlText &t : kControlTexts) {
        row(QLatin1String(t.name), QString::fromUtf8(t.frCaption), QString::fromUtf8(t.enCaption));
        if (t.frHint)
            row(QStringLiteral("\".Hint"), QString::fromUtf8(t.frHint), QString::fromUtf8(t.enHint));
    }
    m_multiLang = new ui::TMultiLang(this);
    m_multiLang->setObjectName(QStringLiteral("MultiLang"));
    m_multiLang->SetLanguages(2);
    m_multiLang->SetWords(words);
    m_multiLang->AfterLanguageChanged = [this](ui::TBaseMultiLang &, int) {
        m_archivePanel->SetFrench(French());
        m_exportMenu->SetFrench(French());
        m_mailPanel->SetFrench(French());
        if (m_current)
            AfterPageChange(*m_current, m_current->CurrentPage());
    };
    const QString zoom = m_zoomBox->currentText();
    m_multiLang->Loaded();
    m_zoomBox->setEditText(zoom);
}

bool TFPrintPreview::French() const { return !m_multiLang || m_multiLang->ActiveLanguage() == 0; }

ui::TKelSpeedButton *TFPrintPreview::Button(const char *name) const
{
    return findChild<ui::TKelSpeedButton *>(QLatin1String(name));
}

void TFPrintPreview::InstallHandlers(TPrintout &p)
{
    p.OnProgress = [this](TPrintout &pr, int step, const QString &text, int total) { Progress(pr, step, text, total); };
    p.OnBeforePageChange = [this](TPrintout &pr, int page) { m_mailPanel->BeforePageChange(pr, page); };
    p.OnAfterPageChange = [this](TPrintout &pr, int page) { AfterPageChange(pr, page); };
}

void TFPrintPreview::AddDocument(std::unique_ptr<TPrintout> printout)
{
    if (!printout)
        return;
    TPrintout *p = printout.get();
    InstallHandlers(*p);
    p->SetPreview(this);
    const auto at = m_documents.begin() + (m_currentIndex + 1);
    m_documents.insert(at, std::move(printout));
    m_currentIndex = m_currentIndex + 1;
    m_current = p;
    QAction *item = m_documentMenu->addAction(p->Title());
    item->setData(QVariant::fromValue(static_cast<void *>(p)));
    connect(item, &QAction::triggered, this, [this, p] { SwitchTo(p); });
    const QColor colour = p->PageColor() == TPrintout::kNoColor ? palette().color(QPalette::ToolTipBase)
                                                                : QColor(FromColorRef(p->PageColor()));
    m_image->colour = colour;
    setWindowTitle(p->Title());
    p->SetCurrentPage(1);
    ApplyZoom();
    UpdateDocumentButtons();
}

void TFPrintPreview::SwitchTo(TPrintout *printout)
{
    if (!printout || printout == m_current)
        return;
    int index = -1;
    for (size_t i = 0; i < m_documents.size(); ++i) {
        if (m_documents[i].get() == printout)
            index = int(i);
    }
    if (index < 0)
        return;
    m_currentIndex = index;
    m_current = printout;
    InstallHandlers(*printout);
    AfterPageChange(*printout, printout->CurrentPage());
    ApplyZoom();
    m_image->colour = printout->PageColor() == TPrintout::kNoColor ? palette().color(QPalette::ToolTipBase)
                                                                   : QColor(FromColorRef(printout->PageColor()));
    m_image->update();
    UpdateDocumentButtons();
    setWindowTitle(printout->Title());
}

void TFPrintPreview::UpdateDocumentButtons()
{
    const bool several = m_documents.size() >= 2;
    Button("BtnPreviousPrintout")->setEnabled(several);
    Button("BtnNextPrintout")->setEnabled(several);
    Button("BtnSelectPrintout")->setEnabled(several);
    Button("BtnSendMailMulti")->setEnabled(m_current && m_current->HasMailRecipients());
}

void TFPrintPreview::Progress(TPrintout &, int step, const QString &text, int total)
{
    if (m_progress->maximum() != total)
        m_progress->setMaximum(total);
    m_progress->setVisible(step != total);
    m_progress->setValue(step);
    SetHint(text);
}

void TFPrintPreview::SetHint(const QString &hint)
{
    if (hint == m_hint)
        return;
    m_hint = hint;
    emit HintChanged(hint);
}

void TFPrintPreview::AfterPageChange(TPrintout &p, int n)
{
    if (&p != m_current)
        return;
    m_image->metafile = p.PageMetafile(n);
    m_image->update();
    const int count = p.PageCount();
    for (const char *name : {"BtnNextPage", "BtnFastForward", "BtnLastPage"})
        Button(name)->setEnabled(n < count);
    for (const char *name : {"BtnPreviousPage", "BtnRewind", "BtnFirstPage"})
        Button(name)->setEnabled(n > 1);
    m_pageIndicator->setText(French() ? QStringLiteral("Page %1 de %2").arg(n).arg(count)
                                      : QStringLiteral("Page %1 of %2").arg(n).arg(count));
    m_hotSpots = m_image->metafile ? printout::HotSpots(*m_image->metafile) : std::vector<THotSpot>();
    m_mailPanel->AfterPageChange(p, n);
}

void TFPrintPreview::CreateMailPanel()
{
    m_mailPanel = new TMailPanel(this);
    TMailPanel::THost host;
    host.current = [this] { return m_current; };
    host.setPage = [this](int page) {
        if (m_current)
            m_current->SetCurrentPage(page);
    };
    host.hint = [this](const QString &hint) { SetHint(hint); };
    host.progress = [this](int percent, bool visible) {
        m_progress->setMaximum(100);
        m_progress->setValue(percent);
        m_progress->setVisible(visible);
    };
    host.multipleArchiving = [this] { return m_archivePanel->MultipleArchiving(); };
    host.archiveDescription = [this] { return m_archivePanel->Description(); };
    m_mailPanel->SetHost(std::move(host));
    // The accounts are looked for once, as the window opens; they live as long as it.
    m_mailPanel->SetAccounts(delivery::FindMailAccounts(QDir::homePath()));
}

void TFPrintPreview::OpenMailPanel(bool multiple)
{
    // The keys open what the buttons open, and nothing while a button is disabled.
    if (!m_current || !Button(multiple ? "BtnSendMailMulti" : "BtnSendMail")->isEnabled())
        return;
    m_mailPanel->SetFrench(French());
    m_mailPanel->Open(multiple);
}

void TFPrintPreview::GoTo(int page)
{
    if (!m_current)
        return;
    m_underline->hide();
    m_current->SetCurrentPage(page);
}

// --- zoom ---------------------------------------------------------------------------------

int TFPrintPreview::Zoom() const
{
    bool ok = false;
    const int z = m_zoomBox->currentText().trimmed().toInt(&ok);
    return ok ? z : 100;
}

void TFPrintPreview::SetZoomText(const QString &text) { m_zoomBox->setEditText(text); }

void TFPrintPreview::ApplyZoom()
{
    int z = Zoom();
    if (z > 1000) {
        SetZoomText(QStringLiteral("1000"));
        z = 1000;
        QApplication::beep();
    }
    z = std::max(z, 1);
    if (!m_current)
        return;
    const TPrintGeometry &g = m_current->Geometry();
    const QSize size(MulDiv(z, (long long)g.screenPpiX * g.sheetPx.width(), (long long)g.dpiX * 100),
                     MulDiv(z, (long long)g.screenPpiY * g.sheetPx.height(), (long long)g.dpiY * 100));
    SetSheetSize(size, true);
}

void TFPrintPreview::ZoomIn()
{
    SetZoomText(QString::number(MulDiv(Zoom(), 11, 10)));
    ApplyZoom();
}

void TFPrintPreview::ZoomOut()
{
    SetZoomText(QString::number(MulDiv(Zoom(), 10, 11)));
    ApplyZoom();
}

void TFPrintPreview::FullPage()
{
    m_scrollBox->horizontalScrollBar()->setValue(0);
    m_scrollBox->verticalScrollBar()->setValue(0);
    const QSize box = m_scrollBox->viewport()->size();
    const QSize old = m_sheet->size();
    if (old.isEmpty())
        return;
    QSize size;
    if (double(box.width()) / box.height() > double(old.width()) / old.height()) {
        const int h = box.height() - 30;
        size = QSize(MulDiv(h, old.width(), old.height()), h);
    } else {
        const int w = box.width() - 30;
        size = QSize(w, MulDiv(w, old.height(), old.width()));
    }
    SetSheetSize(size, false);
    // Centred in the box.
    const int left = size.width() < box.width() ? (box.width() - size.width()) / 2 : 5 - m_scrollBox->horizontalScrollBar()->value();
    const int top = size.height() < box.height() ? (box.height() - size.height()) / 2 : 5 - m_scrollBox->verticalScrollBar()->value();
    m_sheet->move(left, top);
    m_corner->move(m_sheet->geometry().bottomRight() + QPoint(1, 1));
}

void TFPrintPreview::PageWidth()
{
    m_scrollBox->horizontalScrollBar()->setValue(0);
    const QSize old = m_sheet->size();
    if (old.isEmpty())
        return;
    const int w = m_scrollBox->viewport()->width() - 50;
    SetSheetSize(QSize(w, MulDiv(w, old.height(), old.width())), false);
}

void TFPrintPreview::SetSheetSize(QSize size, bool fromZoomBox)
{
    size = size.expandedTo(QSize(10, 10));
    m_sheet->resize(size);
    LayOutSheet(fromZoomBox);
}

void TFPrintPreview::LayOutSheet(bool fromZoomBox)
{
    const QSize box = m_scrollBox->viewport()->size();
    const QSize sheet = m_sheet->size();
    const int cornerWidth = m_corner->width();
    // The client is large enough for the sheet and its margins; the scroll bars follow it.
    m_content->resize(std::max(box.width(), sheet.width() + cornerWidth + 20), std::max(box.height(), sheet.height() + 20));
    const int left = sheet.width() < box.width() ? std::max(0, (box.width() - sheet.width() - cornerWidth - 10) / 2) : 10;
    const int top = sheet.height() < box.height() ? (box.height() - sheet.height()) / 2 : 10;
    m_sheet->move(left, top);
    m_corner->move(m_sheet->geometry().bottomRight() + QPoint(1, 1));
    if (!fromZoomBox && m_current) {
        const TPrintGeometry &g = m_current->Geometry();
        const int z = MulDiv(sheet.width(), (long long)g.dpiX * 100, (long long)g.screenPpiX * g.sheetPx.width());
        m_zoomBox->setEditText(QString::number(z));
    }
    if (m_underline->isVisible())
        PlaceUnderline(1);
}

QSize TFPrintPreview::SheetSize() const { return m_sheet->size(); }

QPoint TFPrintPreview::SheetPosition() const { return m_sheet->pos(); }

void TFPrintPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_sheet)
        LayOutSheet(true);
}

void TFPrintPreview::ScrollBy(int dx, int dy)
{
    QScrollBar *h = m_scrollBox->horizontalScrollBar(), *v = m_scrollBox->verticalScrollBar();
    h->setValue(std::clamp(h->value() + dx, 0, h->maximum()));
    v->setValue(std::clamp(v->value() + dy, 0, v->maximum()));
}

// --- documents ----------------------------------------------------------------------------

void TFPrintPreview::BtnPreviousPrintoutClick()
{
    if (m_documents.size() < 2)
        return;
    const int n = int(m_documents.size());
    SwitchTo(m_documents[size_t((m_currentIndex - 1 + n) % n)].get());
}

void TFPrintPreview::BtnNextPrintoutClick()
{
    if (m_documents.size() < 2)
        return;
    const int n = int(m_documents.size());
    SwitchTo(m_documents[size_t((m_currentIndex + 1) % n)].get());
}

void TFPrintPreview::RemoveDocument(TPrintout *printout)
{
    for (QAction *a : m_documentMenu->actions()) {
        if (a->data().value<void *>() == printout) {
            m_documentMenu->removeAction(a);
            delete a;
        }
    }
    for (auto it = m_documents.begin(); it != m_documents.end(); ++it) {
        if (it->get() == printout) {
            m_documents.erase(it);
            break;
        }
    }
}

void TFPrintPreview::BtnClosePrintoutClick()
{
    if (m_documents.size() <= 1) {
        close();
        return;
    }
    TPrintout *closing = m_current;
    if (closing->Printer() && closing->Printer()->IsPrinting())
        return;
    RemoveDocument(closing);
    m_current = nullptr;
    if (m_currentIndex >= int(m_documents.size()))
        m_currentIndex = int(m_documents.size()) - 1;
    TPrintout *next = m_documents[size_t(m_currentIndex)].get();
    SwitchTo(next);
}

void TFPrintPreview::closeEvent(QCloseEvent *event)
{
    if (m_current && m_current->Printer() && m_current->Printer()->IsPrinting()) {
        event->ignore();
        return;
    }
    if (m_archivePanel->isVisible() && m_current) {
        auto box = ui::BuildMessageBox(QMessageBox::Question, French() ? QStringLiteral("Attention") : QStringLiteral("Warning"),
                                       French() ? QStringLiteral("Le document n'a pas été archivé. Désirez-vous l'archiver avant de fermer?")
                                                : QStringLiteral("The document has not been archived. Do you want to archive it before closing?"),
                                       QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, this);
        if (ui::RunMessageBox(*box) == QMessageBox::Yes)
            delivery::ArchivePages(*m_current, 1, m_current->PageCount(), false, m_current->Title());
        m_archivePanel->hide();
    }
    m_hotSpots.clear();
    event->accept();
    // A preview inside a sub-window takes the sub-window with it.
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()); sub && sub->widget() == this)
        sub->close();
}

// --- keys, wheel, mouse ---------------------------------------------------------------------

bool TFPrintPreview::HandleKey(QKeyEvent *e, bool perform)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool none = mods == Qt::NoModifier, ctrl = mods == Qt::ControlModifier;
    const bool ctrlShift = mods == (Qt::ControlModifier | Qt::ShiftModifier);
    const bool inEdit = qobject_cast<QLineEdit *>(QApplication::focusWidget()) != nullptr;
    // The widget the key is for: the one the event filter saw it reach, else the focus.
    const QObject *target = m_keyTarget ? m_keyTarget.data() : QApplication::focusWidget();
    const bool inText = inEdit || qobject_cast<const QLineEdit *>(target) || qobject_cast<const QPlainTextEdit *>(target)
                     || qobject_cast<const QTextEdit *>(target);
    switch (e->key()) {
    case Qt::Key_PageDown:
        if (none) { if (perform) BtnNextPageClick(); return true; }
        if (ctrl) { if (perform) BtnFastForwardClick(); return true; }
        break;
    case Qt::Key_PageUp:
        if (none) { if (perform) BtnPreviousPageClick(); return true; }
        if (ctrl) { if (perform) BtnRewindClick(); return true; }
        break;
    case Qt::Key_Down:
        if (ctrl) { if (perform) ScrollBy(0, 100); return true; }
        break;
    case Qt::Key_Up:
        if (ctrl) { if (perform) ScrollBy(0, -100); return true; }
        break;
    case Qt::Key_Right:
        if (ctrl && !inEdit) { if (perform) ScrollBy(100, 0); return true; }
        if (ctrlShift) { if (perform) BtnNextPrintoutClick(); return true; }
        break;
    case Qt::Key_Left:
        if (ctrl && !inEdit) { if (perform) ScrollBy(-100, 0); return true; }
        if (ctrlShift) { if (perform) BtnPreviousPrintoutClick(); return true; }
        break;
    case Qt::Key_Home:
        // Alone, as the button's hint says, except where it moves a text cursor.
        if (ctrl || (none && !inText)) { if (perform) BtnFirstPageClick(); return true; }
        break;
    case Qt::Key_End:
        if (ctrl || (none && !inText)) { if (perform) BtnLastPageClick(); return true; }
        break;
    case Qt::Key_Plus:
        // The keypad's Add, or "+" typed with Shift on keyboards that need it.
        if (ctrl || ctrlShift) { if (perform) ZoomIn(); return true; }
        break;
    case Qt::Key_Minus:
        if (ctrl) { if (perform) ZoomOut(); return true; }
        break;
    case Qt::Key_T:
        if (ctrl) { if (perform) FullPage(); return true; }
        break;
    case Qt::Key_E:
        if (ctrl) { if (perform) OpenMailPanel(false); return true; }
        if (ctrlShift) { if (perform) OpenMailPanel(true); return true; }
        break;
    case Qt::Key_A:
        if (ctrl) { if (perform) ShowArchivePanel(); return true; }
        break;
    case Qt::Key_L:
        if (ctrl) { if (perform) PageWidth(); return true; }
        break;
    case Qt::Key_W:
        if (ctrl) { if (perform) m_exportMenu->Popup(); return true; }
        break;
    case Qt::Key_P:
        if (ctrlShift) { if (perform) PrintCommand(); return true; }
        break;
    case Qt::Key_O:
        if (ctrlShift) { if (perform) BtnOpenClick(); return true; }
        break;
    case Qt::Key_S:
        if (ctrlShift) { if (perform) BtnSaveToDiskClick(); return true; }
        break;
    case Qt::Key_F:
        if (ctrlShift) { if (perform) ShowSearchPanel(); return true; }
        break;
    case Qt::Key_X:
        if (ctrlShift) { if (perform) BtnClosePrintoutClick(); return true; }
        break;
    default:
        break;
    }
    return false;
}

bool TFPrintPreview::HandleWheel(QWheelEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
    if (delta == 0)
        return true;
    const bool down = delta < 0;
    if (mods == Qt::NoModifier)
        down ? BtnNextPageClick() : BtnPreviousPageClick();
    else if (mods == Qt::ShiftModifier)
        down ? ZoomIn() : ZoomOut();
    else if (mods == Qt::ControlModifier)
        down ? BtnFastForwardClick() : BtnRewindClick();
    else if (mods == Qt::AltModifier)
        down ? BtnLastPageClick() : BtnFirstPageClick();
    return true;
}

QString TFPrintPreview::HotSpotHint(const QPoint &p, Qt::KeyboardModifiers modifiers) const
{
    for (const THotSpot &spot : m_hotSpots) {
        if (!spot.rect.normalized().contains(p))
            continue;
        const QString kind = spot.Kind();
        if (kind != QLatin1String("HTTP") && kind != QLatin1String("MAILTO"))
            return {};
        if ((modifiers & Qt::ShiftModifier) && (modifiers & Qt::ControlModifier))
            return spot.action;
        return spot.Target();
    }
    return {};
}

bool TFPrintPreview::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
        // The scroll box's client area changed: the sheet is centred again.
        if (watched == m_scrollBox->viewport() && m_sheet)
            LayOutSheet(true);
        break;
    case QEvent::ShortcutOverride: {
        // Inside the main window the sub-window's own shortcuts (Ctrl+W closes it) would come
        // first: a key the preview handles is claimed, and arrives as a key press.
        m_keyTarget = watched;
        const bool ours = HandleKey(static_cast<QKeyEvent *>(event), false);
        m_keyTarget = nullptr;
        if (ours) {
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        m_keyTarget = watched;
        const bool handled = HandleKey(key);
        m_keyTarget = nullptr;
        if (handled)
            return true;
        // Typed keys reach the combo box (its edit's focus proxy), which hands them to the
        // edit directly, past the edit's filters: both are watched.
        if (watched == m_zoomBox || watched == m_zoomBox->lineEdit()) {
            const int k = key->key();
            if (k == Qt::Key_Return || k == Qt::Key_Enter) {
                ApplyZoom();
                return true;
            }
            // Focus still moves on.
            if (k == Qt::Key_Tab || k == Qt::Key_Backtab)
                break;
            const bool digit = !key->text().isEmpty() && key->text()[0].isDigit();
            if (!digit && k != Qt::Key_Backspace) {
                QApplication::beep();
                return true;
            }
        }
        break;
    }
    case QEvent::Wheel:
        if (watched == m_scrollBox->viewport() || watched == m_image || watched == m_sheet || watched == m_content)
            return HandleWheel(static_cast<QWheelEvent *>(event));
        break;
    case QEvent::MouseButtonPress:
        if (watched == m_image) {
            auto *m = static_cast<QMouseEvent *>(event);
            if (m->button() == Qt::LeftButton && m_current) {
                const QSize sheet = m_current->Geometry().sheetSize;
                const QPoint at(MulDiv(m->position().x(), sheet.width(), std::max(1, m_image->width())),
                                MulDiv(m->position().y(), sheet.height(), std::max(1, m_image->height())));
                if (HotSpotHint(at, Qt::NoModifier).isEmpty()) {
                    m_panning = true;
                    m_panStart = m->globalPosition().toPoint();
                }
                return true;
            }
        }
        break;
    case QEvent::MouseMove:
        if (watched == m_image && m_current) {
            auto *m = static_cast<QMouseEvent *>(event);
            if (m_panning) {
                const QPoint now = m->globalPosition().toPoint();
                ScrollBy(m_panStart.x() - now.x(), m_panStart.y() - now.y());
                m_panStart = now;
                return true;
            }
            const QSize sheet = m_current->Geometry().sheetSize;
            const QPoint at(MulDiv(m->position().x(), sheet.width(), std::max(1, m_image->width())),
                            MulDiv(m->position().y(), sheet.height(), std::max(1, m_image->height())));
            const QString hint = HotSpotHint(at, m->modifiers());
            m_image->setToolTip(hint);
            SetHint(hint);
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched == m_image)
            m_panning = false;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// --- search ---------------------------------------------------------------------------------

void TFPrintPreview::ShowSearchPanel()
{
    m_searchPanel->Open();
}

void TFPrintPreview::Search(const QString &text, bool matchCase, bool wholeWords)
{
    // The last search's underline goes; a hit of this one shows it again.
    m_shownHit = -1;
    m_underline->hide();
    m_searchPanel->Search(m_current, text, matchCase, wholeWords, French());
}

QStringList TFPrintPreview::HitTexts() const
{
    return m_searchPanel->HitTexts();
}

void TFPrintPreview::BtnSearchClick()
{
    Search(SearchEdit()->text(), MatchCase()->isChecked(), WholeWords()->isChecked());
}

void TFPrintPreview::ShowHit(int index)
{
    if (index < 0 || index >= int(Hits().size()) || !m_current)
        return;
    m_shownHit = index;
    const TFindWords &hit = Hits()[size_t(index)];
    if (hit.page != m_current->CurrentPage())
        m_current->SetCurrentPage(hit.page);
    m_underline->show();
    m_underline->raise();
    PlaceUnderline(0);
    m_scrollBox->ensureWidgetVisible(m_underline);
    PlaceUnderline(1);
    m_scrollBox->ensureWidgetVisible(m_underline);
}

void TFPrintPreview::PlaceUnderline(int stage)
{
    if (m_shownHit < 0 || !m_current)
        return;
    const TFindWords &hit = Hits()[size_t(m_shownHit)];
    const QSize sheet = m_current->Geometry().sheetSize;
    const QPoint origin = m_sheet->pos() + m_image->pos();
    const int w = m_image->width(), h = m_image->height();
    const int left = int(std::lround(w * hit.rect.left() / sheet.width()));
    const int width = std::max(1, int(std::lround((hit.rect.right() - hit.rect.left()) * w / sheet.width())));
    const double y = stage == 0 ? hit.rect.top() : hit.rect.bottom();
    const int top = int(std::lround(h * y / sheet.height()));
    m_underline->setGeometry(origin.x() + left, origin.y() + top, width, 4);
}

bool TFPrintPreview::UnderlineVisible() const { return m_underline->isVisible(); }

QRect TFPrintPreview::UnderlineGeometry() const { return m_underline->geometry(); }

// --- files ----------------------------------------------------------------------------------

bool TFPrintPreview::SaveEmf(const QString &fileName, bool allPages)
{
    if (!m_current || m_current->PageCount() == 0)
        return false;
    ui::TWaitCursor wait;
    try {
        if (!allPages) {
            m_current->PageMetafile(m_current->CurrentPage())->Save(fileName);
            return true;
        }
        const QFileInfo info(fileName);
        const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
        const QString stem = fileName.left(fileName.size() - suffix.size());
        for (int p = 1; p <= m_current->PageCount(); ++p)
            m_current->PageMetafile(p)->Save(stem + QString::number(p) + suffix);
        return true;
    } catch (const EEmfError &e) {
        ui::ErrorBox(French() ? e.French() : e.English(), this);
        return false;
    }
}

bool TFPrintPreview::SaveFile(const QString &fileNameIn)
{
    QString fileName = fileNameIn;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".emf");
    // This question exists in French only.
    auto box = ui::BuildMessageBox(QMessageBox::Question, QStringLiteral("Avertissement"),
                                   QStringLiteral("Sauvegarder toutes les pages?  Cliquer sur non pour sauvegarder la page courante seulement."),
                                   QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, this);
    const QMessageBox::StandardButton answer = ui::RunMessageBox(*box);
    if (answer != QMessageBox::Yes && answer != QMessageBox::No)
        return false;
    return SaveEmf(fileName, answer == QMessageBox::Yes);
}

bool TFPrintPreview::OpenEmf(const QString &fileName)
{
    if (!m_current)
        return false;
    TMetafile mf;
    try {
        mf = TMetafile::Load(fileName);
    } catch (const EEmfError &e) {
        ui::ErrorBox(French() ? e.French() : e.English(), this);
        return false;
    }
    const int page = m_current->AddPage(std::move(mf));
    // The new page is shown as any move to a page does: without the last hit's underline.
    GoTo(page);
    return true;
}

namespace {

QString Proposed(const QString &title)
{
    QString name = title;
    for (QChar c : QStringLiteral("/\\+*?\"<>|"))
        name.remove(c);
    return name;
}

} // namespace

bool TFPrintPreview::SavePdf(const QString &fileNameIn)
{
    if (!m_current)
        return false;
    QString fileName = fileNameIn;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".pdf");
    try {
        ui::TWaitCursor wait;
        if (ExportTo(*m_current, fileName, QStringLiteral("ACROBAT"), 1, m_current->PageCount()))
            return true;
        ui::ErrorBox(French() ? QStringLiteral("Le fichier %1 ne peut pas être créé.").arg(fileName)
                              : QStringLiteral("The file %1 cannot be created.").arg(fileName),
                     this);
    } catch (const pdf::EPdfError &e) {
        ui::ErrorBox(e.Message(), this);
    }
    return false;
}

namespace {

// The file kinds of the save and open dialogs, in their order: the description the user
// reads, then the pattern.
struct TFileKind {
    const char *fr, *en, *suffix;
};
const TFileKind kSaveKinds[] = {{"(Document Kelvora *.krp)", "(Kelvora document *.krp)", "krp"},
                                {"(Fichier métafile *.emf)", "(Metafile *.emf)", "emf"},
                                {"(Fichier Adobe Acrobat *.pdf)", "(Adobe Acrobat File *.pdf)", "pdf"}};

QString FilterOf(const TFileKind &kind, bool french)
{
    return QString::fromUtf8(french ? kind.fr : kind.en) + QStringLiteral(" (*.") + QLatin1String(kind.suffix)
           + QLatin1Char(')');
}

// The save dialog keeps the kind last used, for the whole session.
int g_lastSaveKind = 0;

} // namespace

bool TFPrintPreview::SaveKrp(const QString &fileNameIn)
{
    if (!m_current)
        return false;
    QString fileName = fileNameIn;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".krp");
    try {
        delivery::SavePrintoutFile(*m_current, fileName, [this](delivery::TKelMemoryStream &, qint64 done, const QString &text,
                                                                qint64 total) {
            Progress(*m_current, int(done), text, int(total));
        });
        Progress(*m_current, 1, QString(), 1);
        return true;
    } catch (const delivery::EKrpError &e) {
        Progress(*m_current, 1, QString(), 1);
        ui::ErrorBox(e.Message(), this);
        return false;
    }
}

bool TFPrintPreview::OpenKrp(const QString &fileName)
{
    try {
        std::unique_ptr<TPrintout> loaded = delivery::LoadPrintoutFile(
            fileName, [this](delivery::TKelMemoryStream &, qint64 done, const QString &text, qint64 total) {
                if (m_current)
                    Progress(*m_current, int(done), text, int(total));
            });
        if (m_current)
            Progress(*m_current, 1, QString(), 1);
        AddDocument(std::move(loaded));
        return true;
    } catch (const delivery::EKrpError &e) {
        // A refused version says so as the loader's own message does; nothing is added.
        if (m_current)
            Progress(*m_current, 1, QString(), 1);
        ui::ErrorBox(e.Message(), this);
        return false;
    }
}

void TFPrintPreview::BtnSaveToDiskClick()
{
    if (!m_current)
        return;
    const bool french = French();
    QStringList filters;
    for (const TFileKind &k : kSaveKinds)
        filters << FilterOf(k, french);
    QFileDialog dialog(this, QString(), Proposed(m_current->Title()));
    // The descriptions already name their pattern: the dialog does not add it a second time.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(g_lastSaveKind));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString file = dialog.selectedFiles().first();
    int kind = std::max(0, NameFilterIndex(filters, dialog.selectedNameFilter()));
    // A known extension the user typed says the kind, whatever filter is selected.
    for (int k = 0; k < int(std::size(kSaveKinds)); ++k)
        if (QFileInfo(file).suffix().compare(QLatin1String(kSaveKinds[k].suffix), Qt::CaseInsensitive) == 0)
            kind = k;
    g_lastSaveKind = kind;
    if (QFileInfo(file).suffix().isEmpty())
        file += QLatin1Char('.') + QLatin1String(kSaveKinds[kind].suffix);
    if (kind == 0)
        SaveKrp(file);
    else if (kind == 1)
        SaveFile(file);
    else
        SavePdf(file);
}

void TFPrintPreview::BtnOpenClick()
{
    const bool french = French();
    const QStringList filters{FilterOf(kSaveKinds[0], french), FilterOf(kSaveKinds[1], french)};
    QFileDialog dialog(this, QString(), QString());
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("krp"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString file = dialog.selectedFiles().first();
    // The metafile filter, or a metafile chosen under the other one.
    if (NameFilterIndex(filters, dialog.selectedNameFilter()) == 1
        || QFileInfo(file).suffix().compare(QLatin1String("emf"), Qt::CaseInsensitive) == 0)
        OpenEmf(file);
    else
        OpenKrp(file);
}

// --- archive --------------------------------------------------------------------------------

void TFPrintPreview::ShowArchivePanel()
{
    if (!m_current)
        return;
    m_archivePanel->SetFrench(French());
    m_archivePanel->Open(m_current->Title(), delivery::HasArchiveLinks(*m_current));
}

int TFPrintPreview::ArchiveCommand()
{
    if (!m_current)
        return 0;
    const int count = m_current->PageCount();
    const int archived = m_archivePanel->MultipleArchiving()
                             ? delivery::ArchiveLinkedRuns(*m_current, 1, count, true, m_archivePanel->Description())
                             : delivery::ArchivePages(*m_current, 1, count, false, m_archivePanel->Description());
    m_archivePanel->hide();
    return archived;
}

// --- printing -------------------------------------------------------------------------------

void TFPrintPreview::SetPrintDialogHook(std::function<int(QPrintDialog &)> hook) { PrintDialogHook() = std::move(hook); }

void TFPrintPreview::PrintCommand()
{
    if (!m_current || !m_current->Printer())
        return;
    TPrinter &docPrinter = *m_current->Printer();
    if (!docPrinter.CanPrint() && !TPrinter::AnyInstalled()) {
        m_current->Print(); // says that no printer is installed
        return;
    }
    // Remember the application printer; it is put back at the end.
    const std::unique_ptr<TPrinter> remembered = ApplicationPrinter().Clone();
    struct TRestore {
        const std::unique_ptr<TPrinter> &printer;
        ~TRestore() { SetApplicationPrinter(printer->Clone()); }
    } restore{remembered};

    if (ApplicationPrinter().Name().compare(docPrinter.Name(), Qt::CaseInsensitive) != 0) {
        if (auto same = TPrinter::Named(docPrinter.Name()))
            SetApplicationPrinter(std::move(same));
    }
    // Pages made on the virtual device are printed on an installed printer.
    if (!ApplicationPrinter().Device())
        SetApplicationPrinter(TPrinter::Default());
    TPrinter &app = ApplicationPrinter();
    app.CopyJobSettings(docPrinter);
    if (!app.Device()) {
        m_current->Print(); // on the document's own device, or says why it cannot print
        return;
    }
    QPrintDialog dialog(app.Device(), this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    dialog.setMinMax(1, m_current->PageCount());
    dialog.setFromTo(1, m_current->PageCount());
    app.Device()->setCopyCount(docPrinter.Copies());
    app.Device()->setCollateCopies(docPrinter.Collate());
    const int result = PrintDialogHook() ? PrintDialogHook()(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return;

    ui::TWaitCursor wait;
    std::unique_ptr<TPrintout> temporary;
    TPrintout *target = m_current;
    // The dialog's "print to file" leaves no queue name but a file to write.
    const bool toFile = app.Device()->outputFormat() == QPrinter::PdfFormat && !app.Device()->outputFileName().isEmpty();
    const QString chosen = toFile ? app.Device()->outputFileName() : app.Device()->printerName();
    if (chosen.compare(docPrinter.Name(), Qt::CaseInsensitive) != 0 || m_current->PrinterNotFound()) {
        std::unique_ptr<TPrinter> other = toFile ? TPrinter::PdfFile(chosen) : TPrinter::Named(chosen);
        if (!other) {
            const EPrintError e(QStringLiteral("L'imprimante « %1 » est introuvable ; rien n'a été imprimé.").arg(chosen),
                                QStringLiteral("The printer \"%1\" cannot be found; nothing was printed.").arg(chosen));
            ui::ErrorBox(e.Message(), this);
            return;
        }
        other->TakeJobSettings(*app.Device());
        temporary = std::make_unique<TPrintout>(m_current->Owner(), std::move(other), m_current->Title());
        temporary->SetCopies(app.Device()->copyCount());
        temporary->SetFitToPrintable(m_current->FitToPrintable());
        temporary->OnProgress = m_current->OnProgress;
        const TPaper paper = m_current->GetPaper();
        if (!temporary->SetPaper(paper.sizeCode, paper.orientation, paper.length, paper.width))
            ui::WarningBox(QStringLiteral("@IDS_CANTSELECTPAPER"), this);
        // Pages are in page units from the sheet corner: the same records on the new sheet keep
        // every position and size, as playing them into the new page would.
        const QSize sheet = temporary->Geometry().sheetSize;
        for (int p = 1; p <= m_current->PageCount(); ++p) {
            temporary->NewPage(0);
            temporary->EndPage();
            TMetafile copy = *m_current->PageMetafile(p);
            copy.SetDevice(temporary->Page(p - 1).Metafile().Device());
            copy.SetFrame(QRect(0, 0, sheet.width() * 10, sheet.height() * 10));
            temporary->Page(p - 1).Metafile() = copy;
            temporary->SetArchiveLink(p, p, m_current->ArchiveLink(p));
        }
        target = temporary.get();
    } else {
        docPrinter.TakeJobSettings(*app.Device());
    }
    if (target->Copies() == 0 && app.Device()->copyCount() > 1)
        target->SetCopies(app.Device()->copyCount());
    try {
        if (dialog.printRange() == QAbstractPrintDialog::PageRange)
            target->PrintRange(dialog.fromPage(), dialog.toPage());
        else
            target->Print();
    } catch (const EPrintError &e) {
        ui::ErrorBox(e.Message(), this);
    }
    m_current->SetPrinted(true);
}

} // namespace preview
