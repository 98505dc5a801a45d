// Page 2 of the lease: the term (section C), the rent (D) and the start of the services and
// conditions (E).

#include "forms/StdPages.h"
#include "forms/StdPagesTables.h"

#include "db/Settings.h"
#include "printout/PageCanvas.h"
#include "printout/Printout.h"

namespace forms {

using namespace stdpages;

namespace {

constexpr TAnchor L = TAnchor::Left, R = TAnchor::Right;

const TText kFixedTexts[] = {
    {140, 201, 25, L, "Bail à durée fixe", "Fixed term lease"},
    {330, 400, 25, L, "ou", "or"},
    {140, 450, 25, L, "Bail à durée indéterminée", "Indeterminate term lease"},
    {140, 610, 7, L, "", "by law) (particulars Nos. 5 and 9)."},
    {140, 1107, 25, L, "Date du paiement", "Date of payment"},
    {140, 1788, 25, L, "Mode de paiement", "Method of payment"},
    {330, 1900, 9, L, "Le loyer est payable selon le mode de paiement suivant:",
     "Rent is payable in accordance with the following method of payment:"},
    {140, 2038, 25, L, "Lieu de paiement", "Place of payment"},
    {140, 2086, 9, L, "Le loyer est payable au domicile du locataire, sauf entente contraire (art. 1566 C.c.V.).",
     "The rent is payable at the lessee's domicile, unless otherwise agreed (art. 1566 C.C.V.)."},
    {140, 2245, 25, L, "Preuve de paiement", "Proof of payment"},
    {140, 2294, 9, L, "Le locataire a droit à un reçu pour le paiement de son loyer (art. 1568 C.c.V.).",
     "The lessee is entitled to a receipt for the payment of his rent (art. 1568 C.C.V.)."},
    {140, 2447, 25, L, "Service de conciergerie", "Janitorial service"},
    {300, 2518, 3, L, "Précisions", "Specify"},
    // the monthly and weekly boxes of the rent
    {1686, 886, 9, R, "$    par mois", "per month"},
    {1994, 886, 9, R, "par semaine", "per week"},
};

const int kBullets[] = {248, 501, 886, 1321, 1634, 1900, 2153, 2581};

const TBandTitle kTermTitle[] = {{1080, 132, "DURÉE DU BAIL (art. 1851 C.c.V.)", "TERM OF LEASE (art. 1851 C.C.V.)"}};
const TBandTitle kRentTitle[] = {{1080, 685, "LOYER (art.1903 et 1904 C.c.V.)", "RENT (arts. 1903 and 1904 C.C.V.)"}};
const TBandTitle kServicesTitle[] = {{1080, 2382, "SERVICES ET CONDITIONS", "SERVICES AND CONDITIONS"}};

const TBox kRentBoxes[] = {{1700, 850, "D_MOIS1"}, {2008, 850, "D_SEMAINE1"}};
const TYesNo kJanitor[] = {{720, 900, 2447, 2411, "E_CONCIERG"}};
const TValue kServiceValues[] = {{300, 2488, L, "E_PRECISIO", 1740}};

bool English()
{
    return !db::IsFrench(db::PrintingLanguage());
}

// Text in entry 9 at x; returns the x after it.
int Label(TPageCanvas &canvas, int x, int baseline, const QString &text, int font = 9)
{
    SetFormFont(canvas, font);
    DrawText(canvas, x, baseline, text);
    return x + canvas.TextWidth(text);
}

// A money amount stored as text, star-filled to width on the given side, in entry 9; an
// amount wider than that is drawn smaller to keep clear of the label after it.
void StarValue(TPageCanvas &canvas, int x, int baseline, const QString &text, int width, int side,
               TAnchor anchor = TAnchor::Left)
{
    SetFormFont(canvas, 9);
    DrawFitted(canvas, x, baseline, StarFill(canvas, text, width, side), width, anchor);
}

// A field's text in entry 9 at x, with room units before the line's end or the next label.
void Value(TPageCanvas &canvas, int x, int baseline, const QString &text, int room)
{
    SetFormFont(canvas, 9);
    DrawFitted(canvas, x, baseline, text, room);
}

void DrawPeriod(TPageCanvas &canvas, int x, int baseline)
{
    SetFormFont(canvas, 9);
    DrawText(canvas, x, baseline, QStringLiteral("."));
}

// The date line at r in entry 9 (the date in entry 9, captions in entry 3).
void DateLine(TPageCanvas &canvas, int r, int baseline, const QDate &date, int monthOffset, int yearOffset)
{
    SetFormFont(canvas, 9);
    DrawDateLine(canvas, r, baseline, date, monthOffset, yearOffset);
}

void DrawSectionC(TPageCanvas &canvas, const TRow &lease)
{
    int r = Label(canvas, 330, 248, Pick("Ce bail a une durée de ", "The term of the lease is "));
    DrawLine(canvas, r, 251, 1120, 251);
    Value(canvas, r, 248, lease.Text("C_DUREE"), 1120 - r);
    SetFormFont(canvas, 3);
    DrawText(canvas, r, 279, Pick("Préciser semaine, mois, année", "Specify weeks, months or years"));
    r = Label(canvas, 1129, 248, Pick("commençant le ", "beginning on "));
    DateLine(canvas, r, 248, lease.Date("C_DEBUT"), 150, 530);

    r = Label(canvas, 330, 328, Pick("et se terminant le ", "and ending on "));
    DateLine(canvas, r, 328, lease.Date("C_FIN"), 150, 510);
    DrawPeriod(canvas, r + 665, 328);
    SetFormFont(canvas, 3);
    DrawText(canvas, r + 100, 384, Pick("(habituellement le dernier jour d'un mois)", "(usually the last day of a month)"));

    r = Label(canvas, 330, 501, Pick("Ce bail est à durée indéterminée, commençant le ",
                                     "The term of the lease is indeterminate, beginning on "));
    DateLine(canvas, r, 501, lease.Date("C_DEBUTIND"), 130, 510);
    DrawPeriod(canvas, r + 665, 501);

    DrawMarked(canvas, 140, 570,
               Pick("Que le bail soit à durée fixe ou indéterminée, le propriétaire ^ne peut ^y mettre fin (sauf les "
                    "cas prévus par la loi) (mentions 5 et 9).",
                    "Whether the term of a lease is fixed or indeterminate, the landlord ^may not ^terminate the lease "
                    "(except in the cases provided for"),
               7, 23);
}

void DrawRent(TPageCanvas &canvas, const TRow &lease)
{
    int r = Label(canvas, 330, 886, Pick("Le loyer est de ", "The rent is $ "));
    DrawLine(canvas, r, 889, r + 900, 889);
    StarValue(canvas, r, 886, lease.Text("D_LOYER"), 900, 1);
    DrawBoxes(canvas, lease, kRentBoxes);

    r = Label(canvas, 330, 952, Pick("autre ", "other "));
    DrawLine(canvas, r, 955, r + 600, 955);
    Value(canvas, r, 952, lease.Text("D_AUTRE1"), 600);
    r = Label(canvas, r + 600, 952, Pick(", pour un total de ", ", for a total amount of $ "));
    DrawLine(canvas, r, 955, 2040, 955);
    // The total is filled with stars on the left so that it always ends at the line's end.
    StarValue(canvas, 2040, 952, lease.Text("D_TOTAL1"), 2040 - r, 2, TAnchor::Right);

    DrawLine(canvas, 330, 1024, 1070, 1024);
    StarValue(canvas, 330, 1021, lease.Text("D_TOTAL2"), 740, 0);
    Label(canvas, 1075, 1021, Pick("$, pour toute la durée du bail (si celui-ci est à durée fixe).",
                                   "for the full term of the lease (if it is a fixed term lease)."));
}

void DrawPaymentDates(TPageCanvas &canvas, const TRow &lease)
{
    int r = DrawMarked(canvas, 330, 1321,
                       Pick("Le loyer du ^premier terme ^sera payé en tout, le ",
                            "The rent for the ^first payment period ^will be paid in whole, on "),
                       9, 25);
    DateLine(canvas, r, 1321, lease.Date("D_DATETOUT"), 130, 510);

    // Two partial payments of the first period.
    const struct {
        int y;
        const char *labelFr, *labelEn, *amount, *date;
        bool period;
    } parts[] = {
        {1406, "en partie, soit ", "in part, that is $ ", "D_MNTPART1", "D_DATPART1", false},
        {1520, "et ", "and $ ", "D_MNTPART2", "D_DATPART2", true},
    };
    for (const auto &p : parts) {
        int x = 330;
        if (!p.period)
            x = Label(canvas, 330, p.y, Pick("ou ", "or "), 25);
        r = Label(canvas, x, p.y, Pick(p.labelFr, p.labelEn));
        DrawLine(canvas, r, p.y + 3, r + 630, p.y + 3);
        StarValue(canvas, r, p.y, lease.Text(p.amount), 630, 1);
        SetFormFont(canvas, 3);
        DrawText(canvas, r, p.y + 31, Pick("Préciser le montant", "Specify the amount"));
        const int d = Label(canvas, r + 630, p.y, Pick(" $, le ", ", on "));
        DateLine(canvas, d, p.y, lease.Date(p.date), 130, 510);
        if (p.period)
            DrawPeriod(canvas, d + 665, p.y);
    }

    // Later periods: day of the month or of the week, or another period.
    r = DrawMarked(canvas, 330, 1634,
                   Pick("Le paiement des ^autres termes ^de loyer se fera le 1",
                        "Payment of the rent for the ^other payment periods ^will be made on the 1"),
                   9, 25);
    if (English()) {
        r = Label(canvas, r, 1634, QStringLiteral("st"));
    } else {
        SetFormFont(canvas, 1); // a superscript
        DrawText(canvas, r, 1620, QStringLiteral("er"));
        r += canvas.TextWidth(QStringLiteral("er"));
    }
    r = Label(canvas, r, 1634, Pick(" jour du mois", " day of the month"));
    DrawCheckBox(canvas, r + 10, 1598, lease.Bool("D_MOIS2"));
    int other = 330;
    if (English()) {
        const int week = Label(canvas, 330, 1718, QStringLiteral("of the week"));
        DrawCheckBox(canvas, week + 10, 1682, lease.Bool("D_SEMAINE2"));
        other = week + 10 + 100;
    } else {
        const int week = Label(canvas, r + 10 + 90, 1634, QStringLiteral("de la semaine"));
        DrawCheckBox(canvas, week + 10, 1598, lease.Bool("D_SEMAINE2"));
    }
    r = Label(canvas, other, 1718, Pick("autre ", "other "));
    DrawLine(canvas, r, 1721, r + 600, 1721);
    DrawPeriod(canvas, r + 605, 1718);
    Value(canvas, r, 1718, lease.Text("D_AUTRE2"), 600);
}

void DrawPaymentMethod(TPageCanvas &canvas, const TRow &lease)
{
    int r = Label(canvas, 140, 1831, Pick("Le propriétaire ne peut exiger la remise d'un chèque ou d'un autre effet ",
                                          "The landlord may not require payment by means of a "));
    r = Label(canvas, r, 1831, Pick("postdaté", "postdated "), 25);
    Label(canvas, r, 1831, Pick(".", "cheque or other postdated instrument."));

    r = Label(canvas, 330, 1966, Pick("par chèque ", "by cheque "));
    DrawCheckBox(canvas, r, 1930, lease.Bool("D_MODE_CHQ"));
    r = Label(canvas, r + 90, 1966, Pick("en argent comptant ", "in cash "));
    DrawCheckBox(canvas, r, 1930, lease.Bool("D_MODE_ARG"));
    r = Label(canvas, r + 90, 1966, Pick("autre ", "other method of payment "));
    DrawLine(canvas, r, 1969, 2035, 1969);
    DrawPeriod(canvas, 2040, 1966);
    Value(canvas, r, 1966, lease.Text("D_MODE_AUT"), 2035 - r);

    r = Label(canvas, 330, 2153, Pick("Le loyer sera payable au ", "Rent shall be payable at "));
    DrawLine(canvas, r, 2156, 2035, 2156);
    DrawPeriod(canvas, 2040, 2153);
    Value(canvas, r, 2153, lease.Text("D_LIEU"), 2035 - r);
    SetFormFont(canvas, 3);
    DrawText(canvas, r, 2181, Pick("Lieu du paiement - si par la poste, l'indiquer", "Place of payment - specify if by mail"));
}

void DrawJanitor(TPageCanvas &canvas, const TRow &lease)
{
    DrawYesNos(canvas, lease, kJanitor);
    DrawLine(canvas, 300, 2491, 2040, 2491);
    DrawValues(canvas, lease, kServiceValues);

    int r = Label(canvas, 330, 2581,
                  Pick("Le numéro de téléphone du concierge ou de la personne à contacter en cas de",
                       "The telephone number of the janitor or person to contact in case of need is "));
    const QString phone = FormatPhone(lease.Raw("E_TEL").trimmed());
    if (English()) {
        DrawLine(canvas, r, 2584, 2035, 2584);
        Label(canvas, r, 2581, phone);
        DrawPeriod(canvas, 2040, 2581);
    } else {
        r = Label(canvas, 330, 2645, QStringLiteral("besoin est "));
        DrawLine(canvas, r, 2648, r + 630, 2648);
        Label(canvas, r, 2645, phone);
        DrawPeriod(canvas, r + 635, 2645);
    }
}

} // namespace

void PaintStdPage2(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &lease = rows.lease;
    RestoreNormalState(canvas);
    DrawFrame(canvas, 111, 116, 2065, 628, 6);
    DrawFrame(canvas, 111, 683, 2065, 2326, 6);
    DrawFrame(canvas, 111, 2377, 2065, 2670, 6);
    DrawBand(canvas, 302, 70, 1870, 160, kTermTitle);
    DrawBand(canvas, 302, 622, 1870, 708, kRentTitle);
    DrawBand(canvas, 302, 2316, 1870, 2403, kServicesTitle);
    DrawSectionLetter(canvas, 93, 70, QStringLiteral("C"));
    DrawSectionLetter(canvas, 93, 625, QStringLiteral("D"));
    DrawSectionLetter(canvas, 93, 2317, QStringLiteral("E"));

    DrawTexts(canvas, kFixedTexts);
    for (int y : kBullets)
        DrawBullet(canvas, y);
    DrawLegalLines(canvas, 2);
    DrawSectionC(canvas, lease);
    DrawRent(canvas, lease);
    DrawPaymentDates(canvas, lease);
    DrawPaymentMethod(canvas, lease);
    DrawJanitor(canvas, lease);
    DrawPageFooter(canvas, PageText(2));
}

} // namespace forms
