#pragma once
// The word-processing export: each recorded page rebuilt as the paragraphs a word processor's
// automation would type (tab stops from the columns of each line, font groups, exact line
// spacing, empty paragraphs for the vertical gaps, a page break between pages) plus floating
// shapes, lines and text boxes for what lies outside the text, saved as a .docx package.

#include "delivery/ExportWalk.h"
#include "printout/PdfExport.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace delivery {

struct TWordTab {
    double points = 0; // from the left margin
    QChar letter;      // L, C, R
    bool operator==(const TWordTab &) const = default;
};

struct TWordRun {
    TEmrFont font;
    QString text; // '\t' for a typed tab
};

struct TWordParagraph {
    std::vector<TWordTab> tabs;
    double lineSpacing = 12; // points, exact
    TEmrFont markFont;
    bool pageBreak = false; // a page break before the first run
    std::vector<TWordRun> runs;
    QString Text() const;
};

struct TWordShape {
    enum TKind { Rectangle, RoundRect, Ellipse, Arc, Line, TextBox } kind = Rectangle;
    int left = 0, top = 0, right = 0, bottom = 0; // points from the page corner (a line: its ends)
    bool filled = false;
    uint32_t fill = 0; // COLORREF
    bool outlined = true;
    double lineWidth = 0.75; // points
    uint32_t lineColor = 0;
    QString text; // a text box
    TEmrFont font;
    int alignment = 0; // 0 left, 1 centre, 2 right, 3 justified
};

struct TWordPage {
    size_t firstParagraph = 0; // where the page's shapes are anchored
    std::vector<TWordShape> shapes;
};

// The document as the automation would have built it, and its package.
class TWordDocument {
public:
    // Page set-up: margins in 0.01 mm, the first page's frame (0.01 mm).
    void Begin(const printout::TReportMargins &margins, const printout::TMetafile &first);
    void AddPage(const TPageWalk &walk, QSize sheetPx, const printout::TMetafile &metafile);

    const std::vector<TWordParagraph> &Paragraphs() const { return m_paragraphs; }
    const std::vector<TWordPage> &Pages() const { return m_pages; }
    int PageWidth() const { return m_width; }   // points
    int PageHeight() const { return m_height; } // points
    int TopMargin() const { return m_top; }
    int LeftMargin() const { return m_left; }
    int RightMargin() const { return m_right; }

    QByteArray DocumentXml() const;
    // Writes the .docx package to path; throws EExportError.
    void Save(const QString &path) const;

private:
    TWordParagraph &Current() { return m_paragraphs.back(); }
    void NewParagraph();
    void AddShapes(const TPageWalk &walk, QSize sheetPx, const printout::TMetafile &metafile, TWordPage &page);

    int m_width = 612, m_height = 792, m_top = 18, m_left = 18, m_right = 18;
    std::vector<TWordParagraph> m_paragraphs;
    std::vector<TWordPage> m_pages;
    // The selection's state, carried from line to line and page to page.
    TEmrFont m_font;
    bool m_hasFont = false;
    QString m_layout;
    bool m_layoutSet = false;
    bool m_enlarged = false;
};

class TWordExport : public printout::TExportTarget {
public:
    explicit TWordExport(const QString &fileName) : m_fileName(fileName) {}
    void Begin(const printout::TMetafile &first, const printout::TReportMargins &margins, QSize sheetPx,
               QSize sheetSize, int orientation) override;
    void Page(int page, bool more, const printout::TMetafile &metafile) override;
    void End() override;
    const TWordDocument &Document() const { return m_document; }

private:
    QString m_fileName;
    QSize m_sheetPx;
    TWordDocument m_document;
};

} // namespace delivery
