#include "forms/FormPrims.h"

#include "db/Settings.h"
#include "pdf/FontEngine.h"
#include "printout/EmfFormat.h"
#include "printout/PageCanvas.h"

#include <QLocale>
#include <QPainter>
#include <QPainterPath>

namespace forms {

namespace {

constexpr const char *A = "Arial";
constexpr const char *T = "Times";

// Index 0 is unused so that entries keep the numbers the pages use.
std::array<FontRecord, kFormFontCount + 1> g_fonts = {{
    {0, A, 0, false, false, 0},
    {20, A, 0, false, false, 1013},  {28, A, 0, false, false, 1398},  {30, A, 0, false, false, 1427},
    {32, A, 0, false, false, 1533},  {34, A, 0, false, false, 1642},  {35, A, 0, false, false, 1706},
    {36, A, 0, false, false, 1837},  {37, A, 0, false, false, 1899},  {40, A, 0, false, false, 1967},
    {45, A, 0, false, false, 2253},  {47, A, 0, false, false, 2344},  {48, A, 0, false, false, 2427},
    {51, A, 0, false, false, 2468},  {52, A, 0, false, false, 2598},  {55, A, 0, false, false, 2703},
    {56, A, 0, false, false, 2772},  {65, A, 0, false, false, 3296},  {115, A, 0, false, false, 5817},
    {174, A, 0, false, false, 8895}, {200, A, 0, false, false, 11938}, {235, A, 0, false, false, 12699},
    {34, A, 0, true, false, 1734},   {36, A, 0, true, false, 1834},   {37, A, 0, true, false, 1911},
    {40, A, 0, true, false, 2106},   {45, A, 0, true, false, 2313},   {46, A, 0, true, false, 2362},
    {47, A, 0, true, false, 2465},   {51, A, 0, true, false, 2592},   {52, A, 0, true, false, 2662},
    {55, A, 0, true, false, 2895},   {56, A, 0, true, false, 2951},   {60, A, 0, true, false, 3132},
    {65, A, 0, true, false, 3345},   {79, A, 0, true, false, 4095},   {85, A, 0, true, false, 4455},
    {52, T, 0, false, false, 2126},  {52, T, 0, true, false, 2229},   {52, T, 0, false, true, 2126},
}};

uint32_t AlignFlags(TAnchor anchor)
{
    using namespace printout::emf;
    switch (anchor) {
    case TAnchor::Centre: return TA_BASELINE | TA_CENTER;
    case TAnchor::Right: return TA_BASELINE | TA_RIGHT;
    case TAnchor::Left: break;
    }
    return TA_BASELINE;
}

QString FormatAmount(double amount)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(amount, 'f', 2);
}

// Colours of the white-on-black elements, or their outlined look under save-toner.
QColor Ground()
{
    return db::SaveToner() ? Qt::white : Qt::black;
}
QColor Ink()
{
    return db::SaveToner() ? Qt::black : Qt::white;
}

} // namespace

QString ReferenceSentence()
{
    return QStringLiteral("Que le bail soit à durée fixe ou indéterminée, la coopérative ne peut y mettre fin "
                          "(sauf les cas prévus par la loi) (mentions 5 et 9).");
}

const FontRecord &FormFont(int index)
{
    return g_fonts.at(size_t(index));
}

int FittedHeight(int index)
{
    const FontRecord &f = FormFont(index);
    return f.fittedHeight > 0 ? f.fittedHeight : f.nominalHeight;
}

void CalibrateFormFonts()
{
    // Widths come from the shared font engine, unhinted, so they scale with the height and
    // the fitted heights hold for the printer, the screen and the page units alike.
    const QString sentence = ReferenceSentence();
    CalibrateFormFonts([&sentence](const FontRecord &f, int height) {
        const pdf::TFontFace *face = pdf::TFontEngine::Instance().Face(QLatin1String(f.face), f.bold, f.italic);
        return face ? face->TextWidth(sentence, face->EmForHeight(height)) : 0.0;
    });
}

void CalibrateFormFonts(const TSentenceMeasure &measure)
{
    for (int i = 1; i <= kFormFontCount; ++i) {
        FontRecord &f = g_fonts[size_t(i)];
        int height = f.nominalHeight;
        while (height > 1 && measure(f, height) > f.referenceWidth)
            --height;
        f.fittedHeight = height;
    }
}

void SetFormFont(TPageCanvas &canvas, int index)
{
    const FontRecord &f = FormFont(index);
    canvas.SetFontName(QLatin1String(f.face));
    canvas.SetFontHeight(FittedHeight(index));
    canvas.SetFontStyle((f.bold ? printout::fsBold : 0) | (f.italic ? printout::fsItalic : 0));
}

QString MonthName(int month)
{
    static const char *const kFrench[] = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                                          "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
    static const char *const kEnglish[] = {"January", "February", "March",     "April",   "May",      "June",
                                           "July",    "August",   "September", "October", "November", "December"};
    if (month < 1 || month > 12)
        return QString();
    return db::PickPrintText(QString::fromUtf8(kFrench[month - 1]), QString::fromUtf8(kEnglish[month - 1]));
}

void RestoreNormalState(TPageCanvas &canvas)
{
    canvas.SetFontColor(Qt::black);
    canvas.SetBrushColor(Qt::white);
    canvas.SetBrushStyle(printout::TBrushStyle::Clear);
    canvas.SetTextAlign(AlignFlags(TAnchor::Left));
}

void DrawText(TPageCanvas &canvas, int x, int baseline, const QString &text, TAnchor anchor)
{
    if (anchor == TAnchor::Left) {
        canvas.TextOut(x, -baseline, text);
        return;
    }
    canvas.SetTextAlign(AlignFlags(anchor));
    canvas.TextOut(x, -baseline, text);
    canvas.SetTextAlign(AlignFlags(TAnchor::Left));
}

void DrawLine(TPageCanvas &canvas, int x1, int y1, int x2, int y2)
{
    canvas.MoveTo(x1, -y1);
    canvas.LineTo(x2, -y2);
}

void DrawBox(TPageCanvas &canvas, int left, int top, int right, int bottom)
{
    canvas.Rectangle(left, -top, right, -bottom);
}

void DrawDate(TPageCanvas &canvas, int x, int baseline, const QDate &date)
{
    if (!date.isValid() || date.day() == 0 || date.month() == 0 || date.year() == 0)
        return;
    canvas.TextOut(x + 30, -baseline, QString::number(date.day()));
    canvas.TextOut(x + 160, -baseline, MonthName(date.month()));
    canvas.TextOut(x + 540, -baseline, QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')));
}

void DrawDateLine(TPageCanvas &canvas, int x, int baseline, const QDate &date, int captionMonthOffset,
                  int captionYearOffset)
{
    DrawLine(canvas, x, baseline + 3, x + 660, baseline + 3);
    canvas.TextOut(x + 130, -baseline, QStringLiteral("/"));
    canvas.TextOut(x + 510, -baseline, QStringLiteral("/"));
    DrawDate(canvas, x, baseline, date);
    SetFormFont(canvas, 3);
    canvas.TextOut(x, -(baseline + 31), db::PickPrintText(QStringLiteral("jour"), QStringLiteral("day")));
    canvas.TextOut(x + captionMonthOffset, -(baseline + 31), db::PickPrintText(QStringLiteral("mois"), QStringLiteral("month")));
    canvas.TextOut(x + captionYearOffset, -(baseline + 31), db::PickPrintText(QStringLiteral("année"), QStringLiteral("year")));
}

QString StarFill(TPageCanvas &canvas, const QString &text, int width, int side)
{
    QString s = text;
    if (!s.isEmpty()) {
        if (side != 2)
            s.append(QLatin1Char(' '));
        if (side != 0)
            s.prepend(QLatin1Char(' '));
    }
    if (canvas.TextWidth(QStringLiteral("*")) <= 0)
        return s;
    // Each step is measured whole, so that two stars a step never carry the text past the
    // width (where the next label starts).
    for (;;) {
        QString next = s;
        if (side != 2)
            next.append(QLatin1Char('*'));
        if (side != 0)
            next.prepend(QLatin1Char('*'));
        if (canvas.TextWidth(next) >= width)
            return s;
        s = next;
    }
}

void DrawAmount(TPageCanvas &canvas, int x, int baseline, bool starFill, double amount)
{
    QString text = FormatAmount(amount);
    SetFormFont(canvas, 9);
    if (starFill)
        text = StarFill(canvas, text, 240, 2);
    if (!db::IsFrench(db::PrintingLanguage())) {
        SetFormFont(canvas, 13);
        canvas.TextOut(x - 10, -baseline, QStringLiteral("$"));
        SetFormFont(canvas, 9);
        DrawText(canvas, x + 260, baseline - 5, text, TAnchor::Right);
        DrawLine(canvas, x + 15, baseline, x + 260, baseline);
        return;
    }
    DrawLine(canvas, x, baseline, x + 240, baseline);
    DrawText(canvas, x + 240, baseline - 5, text, TAnchor::Right);
    SetFormFont(canvas, 13);
    canvas.TextOut(x + 245, -baseline, QStringLiteral("$"));
}

QString FormatPhone(const QString &text)
{
    QString t = text;
    while (t.size() < 10)
        t.prepend(QLatin1Char(' '));
    return QLatin1Char('(') + t.mid(0, 3) + QStringLiteral(") ") + t.mid(3, 3) + QLatin1Char('-') + t.mid(6, 4);
}

int ShrinkFontToWidth(TPageCanvas &canvas, const QString &text, int width)
{
    int height = canvas.FontHeight();
    while (height > 1 && canvas.TextWidth(text) > width) {
        --height;
        canvas.SetFontHeight(height);
    }
    return height;
}

void DrawFitted(TPageCanvas &canvas, int x, int baseline, const QString &text, int width, TAnchor anchor)
{
    const int height = canvas.FontHeight();
    if (canvas.TextWidth(text) > width)
        ShrinkFontToWidth(canvas, text, std::max(width, 1));
    DrawText(canvas, x, baseline, text, anchor);
    canvas.SetFontHeight(height);
}

void DrawSectionLetter(TPageCanvas &canvas, int left, int top, const QString &letter)
{
    canvas.SetBrushStyle(printout::TBrushStyle::Solid);
    canvas.SetBrushColor(Ground());
    DrawBox(canvas, left, top, left + 82, top + 82);
    SetFormFont(canvas, 34);
    canvas.SetFontColor(Ink());
    DrawText(canvas, left + 41, top + 60, letter, TAnchor::Centre);
    RestoreNormalState(canvas);
}

void BeginSectionBand(TPageCanvas &canvas, int left, int top, int right, int bottom, int fontIndex)
{
    canvas.SetBrushStyle(printout::TBrushStyle::Solid);
    canvas.SetBrushColor(Ground());
    DrawBox(canvas, left, top, right, bottom);
    SetFormFont(canvas, fontIndex);
    canvas.SetFontColor(Ink());
    canvas.SetTextAlign(AlignFlags(TAnchor::Centre));
}

void EndSectionBand(TPageCanvas &canvas)
{
    RestoreNormalState(canvas);
}

void DrawCheckBox(TPageCanvas &canvas, int left, int top, bool marked)
{
    DrawBox(canvas, left, top, left + 35, top + 35);
    if (!marked)
        return;
    canvas.SetPenWidth(3);
    DrawLine(canvas, left + 1, top + 1, left + 34, top + 34);
    DrawLine(canvas, left + 1, top + 34, left + 34, top + 1);
    canvas.SetPenWidth(1);
}

void DrawYesNoOrNeither(TPageCanvas &canvas, int x1, int x2, int baseline, int boxTop, std::optional<bool> value)
{
    canvas.SetTextAlign(AlignFlags(TAnchor::Right));
    canvas.TextOut(x1, -baseline, db::PickPrintText(QStringLiteral("Oui"), QStringLiteral("Yes")));
    DrawCheckBox(canvas, x1 + 10, boxTop, value == true);
    canvas.TextOut(x2, -baseline, db::PickPrintText(QStringLiteral("Non"), QStringLiteral("No")));
    DrawCheckBox(canvas, x2 + 10, boxTop, value == false);
    canvas.SetTextAlign(AlignFlags(TAnchor::Left));
}

void DrawYesNo(TPageCanvas &canvas, int x1, int x2, int baseline, int boxTop, bool value)
{
    DrawYesNoOrNeither(canvas, x1, x2, baseline, boxTop, value);
}

int DrawFillInLine(TPageCanvas &canvas, int x, int baseline, const QString &label, int lineEnd, int below)
{
    canvas.TextOut(x, -baseline, label);
    const int start = x + canvas.TextWidth(label);
    DrawLine(canvas, start, baseline + below, lineEnd, baseline + below);
    return start;
}

int DrawEmphasisRun(TPageCanvas &canvas, int x, int baseline, const std::vector<TRunPiece> &pieces,
                    int regularIndex, int boldIndex)
{
    int at = x;
    for (const TRunPiece &piece : pieces) {
        SetFormFont(canvas, piece.bold ? boldIndex : regularIndex);
        canvas.TextOut(at, -baseline, piece.text);
        at += canvas.TextWidth(piece.text);
    }
    return at;
}

const QImage &Emblem()
{
    // A plain geometric mark: a framed square with a roof over three columns. It stands in
    // for the form's emblem without imitating any real one.
    static const QImage emblem = [] {
        QImage image(96, 96, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 4));
        p.drawRect(4, 4, 88, 88);
        QPainterPath roof;
        roof.moveTo(18, 40);
        roof.lineTo(48, 16);
        roof.lineTo(78, 40);
        roof.closeSubpath();
        p.fillPath(roof, Qt::black);
        for (int x : {24, 43, 62})
            p.fillRect(x, 46, 10, 30, Qt::black);
        p.fillRect(16, 78, 64, 6, Qt::black);
        return image;
    }();
    return emblem;
}

void DrawFirstPageFooter(TPageCanvas &canvas, const QString &pageText, int textX, int captionRight, int lineLeft,
                         int lineRight)
{
    // The emblem is stretched into its box twice, as the form's own layout does.
    const QRect box(QPoint(120, -2630), QPoint(190, -2700));
    canvas.StretchDraw(box, Emblem());
    canvas.StretchDraw(box, Emblem());
    SetFormFont(canvas, 13);
    canvas.TextOut(textX, -2660, QStringLiteral("Gouvernement du Vellmar"));
    SetFormFont(canvas, 28);
    canvas.TextOut(textX, -2700, QStringLiteral("Ostrevane"));
    canvas.SetTextAlign(AlignFlags(TAnchor::Centre));
    SetFormFont(canvas, 10);
    canvas.TextOut(1090, -2655, db::PickPrintText(QStringLiteral("Reproduction interdite"), QStringLiteral("May not be reproduced")));
    SetFormFont(canvas, 6);
    canvas.TextOut(1090, -2700, pageText);
    canvas.SetTextAlign(AlignFlags(TAnchor::Right));
    SetFormFont(canvas, 4);
    canvas.TextOut(captionRight, -2700, db::PickPrintText(QStringLiteral("Initiales des parties:"), QStringLiteral("Initials of parties:")));
    canvas.SetTextAlign(AlignFlags(TAnchor::Left));
    DrawLine(canvas, lineLeft, 2704, lineRight, 2704);
}

void DrawPageFooter(TPageCanvas &canvas, const QString &pageText, int dy, int centreX, int captionRight,
                    int lineLeft, int lineRight)
{
    SetFormFont(canvas, 6);
    DrawText(canvas, centreX, 2710 + dy, pageText, TAnchor::Centre);
    SetFormFont(canvas, 4);
    DrawText(canvas, captionRight, 2710 + dy,
             db::PickPrintText(QStringLiteral("Initiales des parties:"), QStringLiteral("Initials of parties:")),
             TAnchor::Right);
    DrawLine(canvas, lineLeft, 2714 + dy, lineRight, 2714 + dy);
}

} // namespace forms
