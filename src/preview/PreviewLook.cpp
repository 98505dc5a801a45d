#include "preview/PreviewLook.h"

#include "ui/KelGradient.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace preview {

namespace {

constexpr int kSize = 20;

const QColor kInk(45, 55, 80);
const QColor kEdge(95, 105, 125);
const QColor kBlue(40, 90, 170);
const QColor kGreen(30, 135, 60);
const QColor kRed(205, 40, 40);
const QColor kLine(150, 160, 180);

// A sheet of paper with its top-right corner folded; lines of text when asked.
void Sheet(QPainter &p, const QRectF &r, bool lines = false)
{
    const double fold = 3;
    QPolygonF outline({r.topLeft(), QPointF(r.right() - fold, r.top()), QPointF(r.right(), r.top() + fold),
                       r.bottomRight(), r.bottomLeft()});
    p.setPen(QPen(kEdge, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(outline);
    p.drawPolyline(QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                              QPointF(r.right(), r.top() + fold)}));
    if (!lines)
        return;
    p.setPen(QPen(kLine, 1));
    for (double y = r.top() + 4; y < r.bottom() - 1.5; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

// A magnifying glass: the lens around centre, the handle down to the right.
void Magnifier(QPainter &p, QPointF centre, double radius, QPointF handleEnd)
{
    p.setPen(QPen(kInk, 2.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF dir = (handleEnd - centre) / std::hypot(handleEnd.x() - centre.x(), handleEnd.y() - centre.y());
    p.drawLine(centre + dir * radius, handleEnd);
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(215, 232, 250, 220));
    p.drawEllipse(centre, radius, radius);
}

// A block arrow along y from x0 to x1 (pointing at x1), shaft half-height h.
void BlockArrow(QPainter &p, double x0, double x1, double y, double h, const QColor &colour)
{
    const double head = (x1 > x0 ? 1 : -1) * 5;
    p.setPen(QPen(colour.darker(130), 1));
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({QPointF(x0, y - h), QPointF(x1 - head, y - h), QPointF(x1 - head, y - h - 3),
                             QPointF(x1, y), QPointF(x1 - head, y + h + 3), QPointF(x1 - head, y + h),
                             QPointF(x0, y + h)}));
}

// A filled triangle pointing left with its tip at x.
void LeftTriangle(QPainter &p, double x, double width)
{
    p.setPen(QPen(kBlue.darker(130), 1));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({QPointF(x, 10), QPointF(x + width, 4), QPointF(x + width, 16)}));
}

void Envelope(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(255, 252, 235));
    p.drawRect(r);
    p.drawPolyline(QPolygonF({r.topLeft(), QPointF(r.center().x(), r.top() + r.height() * 0.6), r.topRight()}));
}

void DrawZoom(QPainter &p, bool in)
{
    Magnifier(p, QPointF(8, 8), 6, QPointF(18, 18));
    p.setPen(QPen(kBlue, 2));
    p.drawLine(QPointF(5, 8), QPointF(11, 8));
    if (in)
        p.drawLine(QPointF(8, 5), QPointF(8, 11));
}

void DrawFullPage(QPainter &p)
{
    Sheet(p, QRectF(6.5, 4.5, 7, 11), true);
    p.setPen(QPen(kBlue, 1.6));
    p.setBrush(Qt::NoBrush);
    for (const QPointF corner : {QPointF(2, 1), QPointF(18, 1), QPointF(18, 19), QPointF(2, 19)}) {
        const double dx = corner.x() < 10 ? 4 : -4, dy = corner.y() < 10 ? 4 : -4;
        p.drawPolyline(QPolygonF({corner + QPointF(0, dy), corner, corner + QPointF(dx, 0)}));
    }
}

void DrawPageWidth(QPainter &p)
{
    Sheet(p, QRectF(4.5, 1.5, 11, 17), true);
    p.setPen(QPen(kBlue, 1.6));
    p.drawLine(QPointF(1.5, 10), QPointF(18.5, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({QPointF(0.5, 10), QPointF(4.5, 6.5), QPointF(4.5, 13.5)}));
    p.drawPolygon(QPolygonF({QPointF(19.5, 10), QPointF(15.5, 6.5), QPointF(15.5, 13.5)}));
}

// Two documents with an arrow pointing to the previous one (mirrored for the next).
void DrawOtherDocument(QPainter &p)
{
    Sheet(p, QRectF(9.5, 1.5, 8, 11));
    Sheet(p, QRectF(7.5, 3.5, 8, 11), true);
    BlockArrow(p, 12, 1, 15, 1.5, kGreen);
}

void DrawSelectDocument(QPainter &p)
{
    Sheet(p, QRectF(8.5, 0.5, 9, 12));
    Sheet(p, QRectF(5.5, 3.5, 9, 12));
    Sheet(p, QRectF(2.5, 6.5, 9, 12), true);
}

void DrawCloseDocument(QPainter &p)
{
    Sheet(p, QRectF(2.5, 1.5, 11, 15), true);
    p.setPen(QPen(kRed, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(17.5, 17.5));
    p.drawLine(QPointF(17.5, 10), QPointF(10, 17.5));
}

// Page movements, drawn pointing left; the forward ones are their mirror images.
void DrawFirstPage(QPainter &p)
{
    p.setPen(QPen(kBlue.darker(130), 1));
    p.setBrush(kBlue);
    p.drawRect(QRectF(3.5, 4, 2.5, 12));
    LeftTriangle(p, 7, 9);
}

void DrawRewind(QPainter &p)
{
    LeftTriangle(p, 2, 8);
    LeftTriangle(p, 9.5, 8);
}

void DrawPreviousPage(QPainter &p) { LeftTriangle(p, 5.5, 9); }

void DrawPrint(QPainter &p)
{
    p.setPen(QPen(kEdge, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 1.5, 9, 7));
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(160, 170, 190));
    p.drawRoundedRect(QRectF(1.5, 7.5, 17, 8), 2, 2);
    p.setPen(QPen(kEdge, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 12.5, 9, 6));
    p.setPen(QPen(kLine, 1));
    p.drawLine(QPointF(7, 15), QPointF(13, 15));
    p.drawLine(QPointF(7, 17), QPointF(12, 17));
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(15.5, 10), 1.1, 1.1);
}

void DrawExport(QPainter &p)
{
    Sheet(p, QRectF(1.5, 1.5, 11, 16), true);
    BlockArrow(p, 7, 19.5, 12, 1.5, kGreen);
}

void DrawArchive(QPainter &p)
{
    const QColor brown(125, 80, 30);
    p.setPen(QPen(brown, 1));
    p.setBrush(QColor(225, 185, 120));
    p.drawRect(QRectF(2.5, 7.5, 15, 10));
    p.setBrush(QColor(205, 160, 95));
    p.drawRect(QRectF(1.5, 3.5, 17, 4));
    p.setBrush(brown);
    p.drawRoundedRect(QRectF(7.5, 10, 5, 2), 1, 1);
}

void DrawOpen(QPainter &p)
{
    const QColor edge(150, 110, 20);
    p.setPen(QPen(edge, 1));
    p.setBrush(QColor(230, 180, 50));
    p.drawPolygon(QPolygonF({QPointF(1.5, 3.5), QPointF(7, 3.5), QPointF(8.5, 5.5), QPointF(16.5, 5.5),
                             QPointF(16.5, 17.5), QPointF(1.5, 17.5)}));
    p.setBrush(QColor(252, 216, 105));
    p.drawPolygon(QPolygonF({QPointF(4.5, 9.5), QPointF(19.5, 9.5), QPointF(16.5, 17.5), QPointF(1.5, 17.5)}));
}

void DrawSave(QPainter &p)
{
    p.setPen(QPen(kBlue.darker(150), 1));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({QPointF(2.5, 2.5), QPointF(15.5, 2.5), QPointF(17.5, 4.5), QPointF(17.5, 17.5),
                             QPointF(2.5, 17.5)}));
    p.setBrush(QColor(220, 225, 235));
    p.drawRect(QRectF(5.5, 2.5, 8, 5));
    p.setBrush(kBlue.darker(150));
    p.drawRect(QRectF(10.5, 3.5, 2, 3));
    p.setPen(QPen(kEdge, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 11, 7));
    p.setPen(QPen(kLine, 1));
    p.drawLine(QPointF(6, 13), QPointF(14, 13));
    p.drawLine(QPointF(6, 15), QPointF(14, 15));
}

void DrawMail(QPainter &p) { Envelope(p, QRectF(1.5, 4.5, 17, 11)); }

void DrawMailMulti(QPainter &p)
{
    Envelope(p, QRectF(5.5, 1.5, 13, 9));
    Envelope(p, QRectF(1.5, 7.5, 13, 9));
}

void DrawFind(QPainter &p)
{
    Sheet(p, QRectF(1.5, 1.5, 11, 15), true);
    Magnifier(p, QPointF(12, 11), 4.2, QPointF(18.5, 18.5));
}

void DrawClose(QPainter &p)
{
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, 5), QPointF(15, 15));
    p.drawLine(QPointF(15, 5), QPointF(5, 15));
}

struct TGlyph {
    const char *name;
    void (*draw)(QPainter &);
    bool mirrored;   // drawn as its left-hand twin, then flipped
};

const TGlyph kGlyphs[] = {
    {"BtnZoomIn", [](QPainter &p) { DrawZoom(p, true); }, false},
    {"BtnZoomOut", [](QPainter &p) { DrawZoom(p, false); }, false},
    {"BtnFullPage", DrawFullPage, false},
    {"BtnPageWidth", DrawPageWidth, false},
    {"BtnPreviousPrintout", DrawOtherDocument, false},
    {"BtnNextPrintout", DrawOtherDocument, true},
    {"BtnSelectPrintout", DrawSelectDocument, false},
    {"BtnClosePrintout", DrawCloseDocument, false},
    {"BtnFirstPage", DrawFirstPage, false},
    {"BtnRewind", DrawRewind, false},
    {"BtnPreviousPage", DrawPreviousPage, false},
    {"BtnNextPage", DrawPreviousPage, true},
    {"BtnFastForward", DrawRewind, true},
    {"BtnLastPage", DrawFirstPage, true},
    {"BtnPrint", DrawPrint, false},
    {"BtnExport", DrawExport, false},
    {"SBArchive", DrawArchive, false},
    {"BtnOpen", DrawOpen, false},
    {"BtnSaveToDisk", DrawSave, false},
    {"BtnSendMail", DrawMail, false},
    {"BtnSendMailMulti", DrawMailMulti, false},
    {"BtnFind", DrawFind, false},
    {"SearchClose", DrawClose, false},
};

} // namespace

QImage ToolbarGlyph(const QString &buttonName)
{
    for (const TGlyph &g : kGlyphs) {
        if (buttonName != QLatin1String(g.name))
            continue;
        QImage image(kSize, kSize, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            g.draw(p);
        }
        return g.mirrored ? image.mirrored(true, false) : image;
    }
    return QImage();
}

void UsePanelGradient(ui::TKelGradient &panel)
{
    panel.BeginUpdate();
    panel.SetStyle(ui::gsLinearV);
    panel.SetColorBegin(Qt::white);
    panel.EndUpdate();
}

} // namespace preview
