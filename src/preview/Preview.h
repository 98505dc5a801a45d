#pragma once
// The print preview window: shows the pages of the printouts it owns, zooms, pages through
// them, prints them (on another printer too), saves pages as .emf files, opens an .emf file
// as a new page and searches the text of every page. Usable on its own or as the content of
// a QMdiSubWindow (ShowInMdi).

#include "preview/SearchPanel.h"
#include "printout/Player.h"
#include "printout/Printout.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrintDialog;
class QProgressBar;
class QScrollArea;

namespace ui {
class TKelGradient;
class TKelSpeedButton;
class TMultiLang;
}

namespace preview {

class TArchivePanel;
class TExportMenu;
class TMailPanel;

class TPageImage;

class TFPrintPreview : public QWidget {
    Q_OBJECT
public:
    // Takes ownership of printout, shows its page 1 at 100 %.
    TFPrintPreview(QWidget *owner, std::unique_ptr<printout::TPrintout> printout);
    ~TFPrintPreview() override;

    // A preview maximised in a sub-window of area; the sub-window closes with the preview.
    static TFPrintPreview *ShowInMdi(QMdiArea *area, std::unique_ptr<printout::TPrintout> printout);

    // Documents.
    void AddDocument(std::unique_ptr<printout::TPrintout> printout);
    void SwitchTo(printout::TPrintout *printout);
    printout::TPrintout *Current() const { return m_current; }
    int CurrentIndex() const { return m_currentIndex; }
    int DocumentCount() const { return int(m_documents.size()); }
    printout::TPrintout *Document(int index) const { return m_documents.at(size_t(index)).get(); }

    // Zoom: the percentage shown in the zoom box; ApplyZoom reads the box.
    int Zoom() const;
    void SetZoomText(const QString &text);
    void ApplyZoom();
    void ZoomIn();
    void ZoomOut();
    void FullPage();
    void PageWidth();
    QSize SheetSize() const; // displayed sheet in pixels
    QPoint SheetPosition() const;

    // Saving and opening .emf pages (what the dialogs lead to). Errors are shown in boxes.
    // allPages: every page in its own numbered file; otherwise the current one.
    bool SaveEmf(const QString &fileName, bool allPages);
    // Asks "all pages?" as the save command does, then SaveEmf; the name gets ".emf" when it
    // has no extension.
    bool SaveFile(const QString &fileName);
    // Every page of the shown printout as a PDF document (the name gets ".pdf" when it has
    // no extension). Errors are shown in a box; nothing is left of a failed file.
    bool SavePdf(const QString &fileName);
    bool OpenEmf(const QString &fileName);
    // The shown printout, all pages, as a compressed printout file (".krp" added when the name
    // has none); a printout file opened as a further document. Errors are shown in boxes, and
    // a file that cannot be read adds nothing.
    bool SaveKrp(const QString &fileName);
    bool OpenKrp(const QString &fileName);

    // Archive: the panel shown with the title as description; ArchiveCommand archives every
    // page (by links when the panel's multiple archiving is ticked), hides the panel and
    // returns the number of documents archived.
    void ShowArchivePanel();
    int ArchiveCommand();
    TArchivePanel *ArchivePanel() const { return m_archivePanel; }
    // Export: the menu of the export button (Ctrl+W).
    TExportMenu *ExportMenu() const { return m_exportMenu; }

    // E-mail: the panel opened by the two send commands (multiple: recipients per page).
    void OpenMailPanel(bool multiple);
    TMailPanel *MailPanel() const { return m_mailPanel; }

    // Search.
    void ShowSearchPanel();
    void Search(const QString &text, bool matchCase, bool wholeWords);
    const std::vector<TFindWords> &Hits() const { return m_searchPanel->Hits(); }
    QStringList HitTexts() const;
    void ShowHit(int index);
    bool UnderlineVisible() const;
    QRect UnderlineGeometry() const; // in the scroll box's content
    // Whether run contains text as the search rules say (both already case-folded as needed).
    static bool Matches(const QString &run, const QString &text, bool wholeWords)
    {
        return TSearchPanel::Matches(run, text, wholeWords);
    }

    // Hot-spots of the shown page and the hint a position (0.1 mm) gives.
    const std::vector<printout::THotSpot> &HotSpots() const { return m_hotSpots; }
    QString HotSpotHint(const QPoint &tenthsMm, Qt::KeyboardModifiers modifiers) const;

    // Print command (dialog included). Tests may answer the dialog through the hook: it gets
    // the dialog and returns its result instead of showing it.
    void PrintCommand();
    static void SetPrintDialogHook(std::function<int(QPrintDialog &)> hook);

    // Controls, for the tests and the screens.
    ui::TKelSpeedButton *Button(const char *name) const;
    QComboBox *ZoomBox() const { return m_zoomBox; }
    QLabel *PageIndicator() const { return m_pageIndicator; }
    QScrollArea *ScrollBox() const { return m_scrollBox; }
    TSearchPanel *SearchPanel() const { return m_searchPanel; }
    QLineEdit *SearchEdit() const { return m_searchPanel->SearchEdit(); }
    QCheckBox *MatchCase() const { return m_searchPanel->MatchCase(); }
    QCheckBox *WholeWords() const { return m_searchPanel->WholeWords(); }
    QListWidget *HitList() const { return m_searchPanel->HitList(); }
    QMenu *DocumentMenu() const { return m_documentMenu; }
    ui::TMultiLang *Translation() const { return m_multiLang; }
    // The hint text the window last gave the application (progress, hot-spots).
    QString ApplicationHint() const { return m_hint; }

signals:
    void HintChanged(const QString &hint);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void BtnZoomInClick() { ZoomIn(); }
    void BtnZoomOutClick() { ZoomOut(); }
    void BtnFullPageClick() { FullPage(); }
    void BtnPageWidthClick() { PageWidth(); }
    void BtnPreviousPrintoutClick();
    void BtnNextPrintoutClick();
    void BtnClosePrintoutClick();
    void BtnFirstPageClick() { GoTo(1); }
    void BtnRewindClick() { GoTo(CurrentPageNumber() - 10); }
    void BtnPreviousPageClick() { GoTo(CurrentPageNumber() - 1); }
    void BtnNextPageClick() { GoTo(CurrentPageNumber() + 1); }
    void BtnFastForwardClick() { GoTo(CurrentPageNumber() + 10); }
    void BtnLastPageClick() { GoTo(m_current ? m_current->PageCount() : 0); }
    void BtnPrintClick() { PrintCommand(); }
    void BtnOpenClick();
    void BtnSaveToDiskClick();
    void BtnFindClick() { ShowSearchPanel(); }
    void BtnSearchClick();

private:
    static constexpr int kButtonSize = 30;   // toolbar buttons: square glyph buttons, 30 high

    void CreateToolBar();
    void CreatePageArea();
    void CreateMailPanel();
    void CreateWordList();
    ui::TKelSpeedButton *AddButton(const char *name, int width = kButtonSize);
    void InstallHandlers(printout::TPrintout &printout);
    void Progress(printout::TPrintout &printout, int step, const QString &text, int total);
    void AfterPageChange(printout::TPrintout &printout, int page);
    void UpdateDocumentButtons();
    int CurrentPageNumber() const { return m_current ? m_current->CurrentPage() : 0; }
    void GoTo(int page);
    void SetSheetSize(QSize size, bool fromZoomBox);
    void LayOutSheet(bool fromZoomBox);
    void PlaceUnderline(int stage);
    void SetHint(const QString &hint);
    bool French() const;
    // The preview's own keys; with perform false only tells whether the key is one of them.
    bool HandleKey(QKeyEvent *event, bool perform = true);
    bool HandleWheel(QWheelEvent *event);
    void RemoveDocument(printout::TPrintout *printout);
    void ScrollBy(int dx, int dy);

    std::vector<std::unique_ptr<printout::TPrintout>> m_documents;
    int m_currentIndex = -1;
    printout::TPrintout *m_current = nullptr;
    std::vector<printout::THotSpot> m_hotSpots;
    int m_shownHit = -1;
    bool m_panning = false;
    QPoint m_panStart;
    bool m_resizingFromZoomBox = false;
    QString m_hint;

    ui::TMultiLang *m_multiLang = nullptr;
    ui::TKelGradient *m_toolBar = nullptr;
    QComboBox *m_zoomBox = nullptr;
    QLabel *m_pageIndicator = nullptr;
    QProgressBar *m_progress = nullptr;
    QMenu *m_documentMenu = nullptr;
    QScrollArea *m_scrollBox = nullptr;
    QWidget *m_content = nullptr;     // the scroll box's client
    QFrame *m_sheet = nullptr;        // bordered panel, the displayed page size
    TPageImage *m_image = nullptr;    // the page stretched to the panel
    QWidget *m_underline = nullptr;   // red bar under a search hit
    QWidget *m_corner = nullptr;      // 10 x 10 at the sheet's bottom-right corner
    TSearchPanel *m_searchPanel = nullptr;
    TArchivePanel *m_archivePanel = nullptr;
    TExportMenu *m_exportMenu = nullptr;
    QPointer<QObject> m_keyTarget; // the widget a key being filtered was sent to
    TMailPanel *m_mailPanel = nullptr;
};

} // namespace preview
