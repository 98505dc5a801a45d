#pragma once
// Plays a page's records onto any QPainter (screen at any zoom, printer, QImage), and walks
// them without drawing for what the preview needs: the text runs with their boxes (search)
// and the hot-spots carried by comment records.

#include "printout/Metafile.h"

#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <functional>
#include <vector>

class QPainter;

namespace printout {

// How a page maps its logical units to the pixels of its reference device: map mode, window
// and viewport, world transform. The player and the PDF export follow the same records.
struct TEmfMapping {
    uint32_t mapMode = 1; // MM_TEXT
    QPointF winOrg, vpOrg;
    QSizeF winExt{1, 1}, vpExt{1, 1};
    QTransform world;

    // Takes a record that changes the mapping; false for any other record.
    bool Apply(const emf::TRecordView &r);
    // Logical units to device pixels, for a device of these pixels per millimetre.
    QTransform PageTransform(double pxPerMmX, double pxPerMmY) const;
};

// The reference device's pixels per millimetre across and down.
QPointF PixelsPerMm(const TReferenceDevice &device);

// One text-output record as the page shows it.
struct TTextRun {
    int record = 0;      // index of the record in the page
    QString text;        // the characters (empty for glyph-index records, which hold no text)
    QRectF box;          // its box in 0.1 mm from the sheet's top-left corner, y downward
};

// A rectangle of the page bound to an action ("HTTP;...", "MAILTO;...").
struct THotSpot {
    QRect rect;          // left, top, right, bottom in 0.1 mm, y downward
    QString action;
    // The action's kind: its first field before ";" (upper case).
    QString Kind() const;
    // Its second field (the address), or empty.
    QString Target() const;
};

// Draws metafile so that its picture frame fills target (painter coordinates). The painter's
// state (transform, clip, pen, brush) is the same afterwards. Records that cannot be drawn are
// skipped; nothing outside the records is ever read.
void PlayMetafile(QPainter &painter, const TMetafile &metafile, const QRectF &target);

// Draws metafile at its physical size on a device of dpiX x dpiY dots per inch, with the
// frame's top-left corner at origin (painter coordinates).
void PlayAtPhysicalSize(QPainter &painter, const TMetafile &metafile, double dpiX, double dpiY,
                        const QPointF &origin = {});

// The page's text runs in record order.
std::vector<TTextRun> TextRuns(const TMetafile &metafile);

// Hot-spots from comment records whose data is a hot-spot text: four six-character fields
// (left, top, right, bottom; each trimmed, 0 when not a number) then the action text.
std::vector<THotSpot> HotSpots(const TMetafile &metafile);

// Parses one hot-spot text; false when it is too short to be one.
bool ParseHotSpot(const QString &text, THotSpot &out);

} // namespace printout
