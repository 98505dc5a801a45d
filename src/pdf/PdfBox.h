#pragma once
// A PDF 1.3 writer driven like a printer: begin a document, draw on the canvas page by page
// in a length unit measured from the top-left corner of the sheet, end it. The file is
// written as it goes; only the current page's content and the pending pictures stay in memory.

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QPainter;
class QRect;

namespace pdf {

class TPdfBox;
class TPdfFile;
class TPdfFont;
class TPdfImage;

enum TPdfCompressMode { cpNone, cpZlib, cpJpeg };
enum TPdfLengthUnit { luTenth, luPoint };
enum TPdfOrientation { poPortrait, poLandscape };
enum TPdfPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPdfBrushStyle { bsSolid, bsClear };
enum TPdfHorzAlign { haLeft, haRight, haCenter };
enum TPdfVertAlign { vaTop, vaBottom, vaCenter };

// The failures of the writer; each one has aborted the document before it is thrown.
enum class TPdfErrorCode {
    AlreadyOpen,
    InvalidPropertyValue,
    InvalidValueForProperty,
    FileLocked,
    CantOpenFile,
    CantModifyProperty,
    NotOpened,
    BadRectangle,
    InvalidMethodCall,
    WriteError,
    InternalError,
    CharsetNotSupported,
    NotTrueType,
    FileNotFound,
};

class EPdfError : public std::exception {
public:
    // Message: the error's text, then ": " and detail when detail is not empty.
    EPdfError(TPdfErrorCode code, const QString &detail = QString());
    TPdfErrorCode Code() const { return m_code; }
    const QString &Message() const { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }
    // The fixed text of an error code.
    static QString Text(TPdfErrorCode code);

private:
    TPdfErrorCode m_code;
    QString m_message;
    QByteArray m_what;
};

struct TPdfPen {
    QColor Color = Qt::black;
    TPdfPenStyle Style = psSolid;
    int Width = 1; // in the length unit
};

struct TPdfBrush {
    QColor Color = Qt::white;
    TPdfBrushStyle Style = bsSolid;
};

struct TPdfFontDesc {
    QString Name = QStringLiteral("Arial");
    double Size = 10; // points; the sign is ignored
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    QColor Color = Qt::black;
    int Charset = 1; // Windows character set number; 1 is the locale's default
    // Angle of the baseline in tenths of a degree, counter-clockwise on the page; the text
    // turns about the top-left corner of its cell.
    int Orientation = 0;
};

// A vector picture the writer turns into a bitmap at 600 dots per inch.
class TPdfMetafile {
public:
    virtual ~TPdfMetafile() = default;
    // Identity of the picture: drawing the same handle again reuses its image object.
    virtual quint64 Handle() const = 0;
    // Size in screen pixels (TPdfBox::ScreenDpi per inch).
    virtual QSize SizePixels() const = 0;
    // Draws the whole picture into target of painter's device.
    virtual void Render(QPainter &painter, const QRect &target) const = 0;
};

// The drawing surface of a TPdfBox. Coordinates are in the box's length unit from the
// top-left corner, y downward; rectangles accept their corners in any order. Calls with no
// document open fail with "Document not opened"; calls after an abort are ignored.
class TPdfCanvas {
public:
    ~TPdfCanvas();
    TPdfCanvas(const TPdfCanvas &) = delete;
    TPdfCanvas &operator=(const TPdfCanvas &) = delete;

    TPdfPen &Pen() { return m_pen; }
    TPdfBrush &Brush() { return m_brush; }
    TPdfFontDesc &Font() { return m_font; }
    // Placement of pictures drawn with their aspect ratio kept.
    TPdfHorzAlign HorzAlign = haCenter;
    TPdfVertAlign VertAlign = vaCenter;

    void MoveTo(int x, int y);
    // Strokes from the current point when the pen is visible; the point becomes (x, y).
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    // Fails with "Bad rectangle definition" for a bounding box without width or height.
    void Ellipse(int x1, int y1, int x2, int y2);
    // rx, ry: corner radii, limited to half the width and height.
    void RoundRect(int x1, int y1, int x2, int y2, int rx, int ry);
    // (x, y) is the top-left corner of the text's cell (before the font's orientation turns it).
    void TextOut(int x, int y, const QString &text);
    // Advance width and cell height of text in the current font, in the length unit.
    int TextWidth(const QString &text);
    int TextHeight(const QString &text);
    // Draws a bitmap or a metafile into the rectangle; an empty rectangle takes the picture's
    // own size from (left, top). A null image fails with "Invalid method call".
    void StretchDraw(int left, int top, int right, int bottom, const QImage &image);
    void StretchDraw(int left, int top, int right, int bottom, const TPdfMetafile &metafile);

private:
    friend class TPdfBox;
    explicit TPdfCanvas(TPdfBox &box);

    // The drawing state a new document starts with.
    void Reset();
    // Throws "Document not opened" when closed; false when the call is to be ignored.
    bool Ready();
    double X(double x) const;
    double Y(double y) const;
    double L(double length) const;
    // Writes fill and stroke state; the painting operator, empty when nothing shows.
    QByteArray PaintingState(bool withFill = true);
    void Add(const QByteArray &line) { m_content.append(line).append('\n'); }
    void Line(double x1, double y1, double x2, double y2);
    TPdfFont &CurrentFont();
    void PlacePicture(int left, int top, int right, int bottom, TPdfImage &image, QSize pixels);
    // The image object of a picture, created at its first drawing.
    TPdfImage &ImageFor(int kind, quint64 handle, const std::function<QImage()> &bitmap);
    // Ends the current page: content stream, pending pictures, page object.
    void WritePage();
    // Final objects of the document.
    void WriteDocumentEnd();

    TPdfBox &m_box;
    TPdfPen m_pen;
    TPdfBrush m_brush;
    TPdfFontDesc m_font;
    int m_curX = 0, m_curY = 0;
    QByteArray m_content;                          // lines of the current page
    std::vector<int> m_pages;                      // page object numbers
    std::vector<std::unique_ptr<TPdfFont>> m_fonts; // in resource order
    std::map<QString, TPdfFont *> m_fontByKey;
    std::vector<std::unique_ptr<TPdfImage>> m_images;
    std::map<std::pair<int, quint64>, TPdfImage *> m_imageByHandle; // (kind, handle)
};

using TPdfEvent = std::function<void(TPdfBox *sender)>;

class TPdfBox {
public:
    TPdfBox();
    // An open document is aborted (its file deleted).
    ~TPdfBox();
    TPdfBox(const TPdfBox &) = delete;
    TPdfBox &operator=(const TPdfBox &) = delete;

    QString About() const;

    // Properties. Setters that change the document fail with "Can't modify property when
    // printing" while a document is open (and then abort it).
    QString Author() const { return m_author; }
    void SetAuthor(const QString &value);
    bool EmbedFonts() const { return m_embedFonts; }
    void SetEmbedFonts(bool value);
    QString FileName() const { return m_fileName; }
    void SetFileName(const QString &value);
    TPdfCompressMode ImageCompressMode() const { return m_compressMode; }
    void SetImageCompressMode(TPdfCompressMode value) { m_compressMode = value; }
    int JpegQuality() const { return m_jpegQuality; }
    // 1 to 100, otherwise "Invalid value for property".
    void SetJpegQuality(int value);
    QString Keywords() const { return m_keywords; }
    void SetKeywords(const QString &value);
    TPdfLengthUnit LengthUnit() const { return m_unit; }
    // Converts the page size to the new unit.
    void SetLengthUnit(TPdfLengthUnit value);
    QStringList &NonEmbeddedFonts() { return m_nonEmbedded; }
    const QStringList &NonEmbeddedFonts() const { return m_nonEmbedded; }
    TPdfOrientation Orientation() const { return m_orientation; }
    // Swaps width and height on a change.
    void SetOrientation(TPdfOrientation value);
    int PageHeight() const { return m_pageHeight; }
    int PageWidth() const { return m_pageWidth; }
    // Both make the paper size "Custom".
    void SetPageHeight(int value);
    void SetPageWidth(int value);
    int PaperSize() const { return m_paperSize; }
    // Index 0 to 41 ("Invalid property value" otherwise); 0 keeps the size and says "Custom".
    void SetPaperSize(int index);
    QString PaperSizeName() const;
    // Looked up without regard to case; an unknown name is "Invalid property value".
    void SetPaperSizeName(const QString &name);
    QString Producer() const { return m_producer; }
    void SetProducer(const QString &value);
    bool SmartStretchDraw() const { return m_smartStretch; }
    void SetSmartStretchDraw(bool value) { m_smartStretch = value; }
    QString Subject() const { return m_subject; }
    void SetSubject(const QString &value);
    QString Title() const { return m_title; }
    void SetTitle(const QString &value);
    bool WantShow() const { return m_wantShow; }
    void SetWantShow(bool value) { m_wantShow = value; }
    // Page content streams compressed with zlib (off: written as plain lines).
    bool CompressPages() const { return m_compressPages; }
    void SetCompressPages(bool value);

    TPdfEvent OnAbort, OnEnd, OnNewPage, OnStart;

    // Opens the output (an existing file is replaced when the document ends), writes the
    // header and the document information and starts page 1.
    void BeginDoc();
    // Ends the current page and starts the next; ignored after an abort.
    void NewPage();
    // Writes the last page and the document's closing objects, closes the file, and shows it
    // when WantShow is set.
    void EndDoc();
    // Stops the document and deletes what was written; a file it was to replace is kept.
    void Abort();

    TPdfCanvas &Canvas() { return m_canvas; }
    bool Printing() const { return m_open; }
    bool Aborted() const { return m_aborted; }
    int PageNumber() const { return m_pageCount; }

    // Points per length unit (72/254 for tenths of a millimetre) and length units per
    // screen pixel.
    double UnitToPoint() const;
    double PixelToUnit() const;
    // Logical pixels per inch of the screen (96 without a screen).
    static int ScreenDpi();

    // Paper-size table: name and size in tenths of a millimetre of index 0..41.
    struct TPaperSize {
        const char *name;
        int width, height;
    };
    static const TPaperSize &PaperSizeInfo(int index);
    static int PaperSizeCount();

private:
    friend class TPdfCanvas;

    // Aborts the open document (errors of the abort ignored) and throws.
    [[noreturn]] void Fail(TPdfErrorCode code, const QString &detail = QString());
    // Runs a step of the document; any writer error aborts it before it goes on up.
    template <typename F> void Guard(F &&step);
    void CheckClosed(const char *property, bool section = false);
    void ApplyPaperSize(int index);
    void StartPage();
    void CheckWritten();

    QString m_author, m_fileName, m_keywords, m_producer, m_subject, m_title;
    bool m_embedFonts = false;
    TPdfCompressMode m_compressMode = cpJpeg;
    int m_jpegQuality = 90;
    TPdfLengthUnit m_unit = luTenth;
    QStringList m_nonEmbedded;
    QStringList m_symbolFonts;
    TPdfOrientation m_orientation = poPortrait;
    TPdfOrientation m_savedOrientation = poPortrait;
    int m_pageWidth = 0, m_pageHeight = 0;
    int m_paperSize = 0;
    bool m_smartStretch = true;
    bool m_wantShow = false;
    bool m_compressPages = false;

    bool m_open = false;
    bool m_aborted = false;
    int m_pageCount = 0;
    QString m_targetPath;        // the file the document becomes
    QString m_workPath;          // the file being written, renamed to m_targetPath at the end
    std::unique_ptr<TPdfFile> m_file;
    TPdfCanvas m_canvas;
};

} // namespace pdf
