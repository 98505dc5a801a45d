// Page 2 of the lease: the term (section C), the rent (D) and the start of the services and
// conditions (E). The sections are drawn from layouts that the cooperative pages share.

#include "forms/StdPages.h"
#include "forms/StdPagesTables.h"

#include "db/Settings.h"
#include "printout/PageCanvas.h"
#include "printout/Printout.h"

namespace forms {

using namespace stdpages;

namespace {

constexpr TAnchor L = TAnchor::Left, R = TAnchor::Right;

const TBandTitle kTermTitle[] = {{1080, 132, "DURÉE DU BAIL (art. 1851 C.c.V.)", "TERM OF LEASE (art. 1851 C.C.V.)"}};
const TBandTitle kRentTitle[] = {{1080, 685, "LOYER (art.1903 et 1904 C.c.V.)", "RENT (arts. 1903 and 1904 C.C.V.)"}};
const TBandTitle kServicesTitle[] = {{1080, 2382, "SERVICES ET CONDITIONS", "SERVICES AND CONDITIONS"}};

const TTermLayout kTerm = {
    140, 201, 248, 328, 384, 400, 450, 501, 570, 610,
    "Que le bail soit à durée fixe ou indéterminée, le propriétaire ^ne peut ^y mettre fin (sauf les cas prévus par la "
    "loi) (mentions 5 et 9).",
    "Whether the term of a lease is fixed or indeterminate, the landlord ^may not ^terminate the lease (except in the "
    "cases provided for",
    "", "by law) (particulars Nos. 5 and 9).",
};

const TRentLayout kRent = {
    886, 850, 952, 1021, 1107, 1321, 1406, 1520, 1634, 1598, 1682, 1718,
    1788, 1831, 1900, 1966, 1930, 2038, 2086, 2153, 2181, 2245, 2294,
    "Le propriétaire ne peut exiger la remise d'un chèque ou d'un autre effet ",
    "The landlord may not require payment by means of a ",
    "Le loyer sera payable au ", "Rent shall be payable at ",
};

const TJanitorLayout kJanitor = {2447, 2411, 2488, 2518, 2581, 2645};

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

void DrawRent(TPageCanvas &canvas, const TRow &lease, const TRentLayout &l)
{
    int r = Label(canvas, 330, l.rent, Pick("Le loyer est de ", "The rent is $ "));
    DrawLine(canvas, r, l.rent + 3, r + 900, l.rent + 3);
    StarValue(canvas, r, l.rent, lease.Text("D_LOYER"), 900, 1);
    const TText periods[] = {
        {1686, l.rent, 9, R, "$    par mois", "per month"},
        {1994, l.rent, 9, R, "par semaine", "per week"},
    };
    DrawTexts(canvas, periods);
    const TBox boxes[] = {{1700, l.rentBoxTop, "D_MOIS1"}, {2008, l.rentBoxTop, "D_SEMAINE1"}};
    DrawBoxes(canvas, lease, boxes);

    r = Label(canvas, 330, l.other, Pick("autre ", "other "));
    DrawLine(canvas, r, l.other + 3, r + 600, l.other + 3);
    Value(canvas, r, l.other, lease.Text("D_AUTRE1"), 600);
    r = Label(canvas, r + 600, l.other, Pick(", pour un total de ", ", for a total amount of $ "));
    DrawLine(canvas, r, l.other + 3, 2040, l.other + 3);
    // The total is filled with stars on the left so that it always ends at the line's end.
    StarValue(canvas, 2040, l.other, lease.Text("D_TOTAL1"), 2040 - r, 2, TAnchor::Right);

    DrawLine(canvas, 330, l.total2 + 3, 1070, l.total2 + 3);
    StarValue(canvas, 330, l.total2, lease.Text("D_TOTAL2"), 740, 0);
    Label(canvas, 1075, l.total2, Pick("$, pour toute la durée du bail (si celui-ci est à durée fixe).",
                                       "for the full term of the lease (if it is a fixed term lease)."));
}

void DrawPaymentDates(TPageCanvas &canvas, const TRow &lease, const TRentLayout &l)
{
    int r = DrawMarked(canvas, 330, l.first,
                       Pick("Le loyer du ^premier terme ^sera payé en tout, le ",
                            "The rent for the ^first payment period ^will be paid in whole, on "),
                       9, 25);
    DateLine(canvas, r, l.first, lease.Date("D_DATETOUT"), 130, 510);

    // Two partial payments of the first period.
    const struct {
        int y;
        const char *labelFr, *labelEn, *amount, *date;
        bool period;
    } parts[] = {
        {l.part1, "en partie, soit ", "in part, that is $ ", "D_MNTPART1", "D_DATPART1", false},
        {l.part2, "et ", "and $ ", "D_MNTPART2", "D_DATPART2", true},
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
    r = DrawMarked(canvas, 330, l.others,
                   Pick("Le paiement des ^autres termes ^de loyer se fera le 1",
                        "Payment of the rent for the ^other payment periods ^will be made on the 1"),
                   9, 25);
    if (English()) {
        r = Label(canvas, r, l.others, QStringLiteral("st"));
    } else {
        SetFormFont(canvas, 1); // a superscript
        DrawText(canvas, r, l.others - 14, QStringLiteral("er"));
        r += canvas.TextWidth(QStringLiteral("er"));
    }
    r = Label(canvas, r, l.others, Pick(" jour du mois", " day of the month"));
    DrawCheckBox(canvas, r + 10, l.othersBoxTop, lease.Bool("D_MOIS2"));
    int other = 330;
    if (English()) {
        const int week = Label(canvas, 330, l.other2, QStringLiteral("of the week"));
        DrawCheckBox(canvas, week + 10, l.weekBoxTopEn, lease.Bool("D_SEMAINE2"));
        other = week + 10 + 100;
    } else {
        const int week = Label(canvas, r + 10 + 90, l.others, QStringLiteral("de la semaine"));
        DrawCheckBox(canvas, week + 10, l.othersBoxTop, lease.Bool("D_SEMAINE2"));
    }
    r = Label(canvas, other, l.other2, Pick("autre ", "other "));
    DrawLine(canvas, r, l.other2 + 3, r + 600, l.other2 + 3);
    DrawPeriod(canvas, r + 605, l.other2);
    Value(canvas, r, l.other2, lease.Text("D_AUTRE2"), 600);
}

void DrawPaymentMethod(TPageCanvas &canvas, const TRow &lease, const TRentLayout &l)
{
    int r = Label(canvas, 140, l.postdated, Pick(l.postdatedFr, l.postdatedEn));
    r = Label(canvas, r, l.postdated, Pick("postdaté", "postdated "), 25);
    Label(canvas, r, l.postdated, Pick(".", "cheque or other postdated instrument."));

    r = Label(canvas, 330, l.methods, Pick("par chèque ", "by cheque "));
    DrawCheckBox(canvas, r, l.methodBoxTop, lease.Bool("D_MODE_CHQ"));
    r = Label(canvas, r + 90, l.methods, Pick("en argent comptant ", "in cash "));
    DrawCheckBox(canvas, r, l.methodBoxTop, lease.Bool("D_MODE_ARG"));
    r = Label(canvas, r + 90, l.methods, Pick("autre ", "other method of payment "));
    DrawLine(canvas, r, l.methods + 3, 2035, l.methods + 3);
    DrawPeriod(canvas, 2040, l.methods);
    Value(canvas, r, l.methods, lease.Text("D_MODE_AUT"), 2035 - r);

    r = Label(canvas, 330, l.place, Pick(l.placeFr, l.placeEn));
    DrawLine(canvas, r, l.place + 3, 2035, l.place + 3);
    DrawPeriod(canvas, 2040, l.place);
    Value(canvas, r, l.place, lease.Text("D_LIEU"), 2035 - r);
    SetFormFont(canvas, 3);
    DrawText(canvas, r, l.placeCaption,
             Pick("Lieu du paiement - si par la poste, l'indiquer", "Place of payment - specify if by mail"));
}

} // namespace

namespace stdpages {

void DrawTerm(TPageCanvas &canvas, const TRow &lease, const TTermLayout &l)
{
    const TText texts[] = {
        {l.headX, l.fixedHead, 25, L, "Bail à durée fixe", "Fixed term lease"},
        {330, l.orY, 25, L, "ou", "or"},
        {l.headX, l.indeterminateHead, 25, L, "Bail à durée indéterminée", "Indeterminate term lease"},
        {140, l.second, 7, L, l.secondFr, l.secondEn},
    };
    DrawTexts(canvas, texts);
    DrawBullet(canvas, l.term);
    DrawBullet(canvas, l.indeterminate);

    int r = Label(canvas, 330, l.term, Pick("Ce bail a une durée de ", "The term of the lease is "));
    DrawLine(canvas, r, l.term + 3, 1120, l.term + 3);
    Value(canvas, r, l.term, lease.Text("C_DUREE"), 1120 - r);
    SetFormFont(canvas, 3);
    DrawText(canvas, r, l.term + 31, Pick("Préciser semaine, mois, année", "Specify weeks, months or years"));
    r = Label(canvas, 1129, l.term, Pick("commençant le ", "beginning on "));
    DateLine(canvas, r, l.term, lease.Date("C_DEBUT"), 150, 530);

    r = Label(canvas, 330, l.end, Pick("et se terminant le ", "and ending on "));
    DateLine(canvas, r, l.end, lease.Date("C_FIN"), 150, 510);
    DrawPeriod(canvas, r + 665, l.end);
    SetFormFont(canvas, 3);
    DrawText(canvas, r + 100, l.usually,
             Pick("(habituellement le dernier jour d'un mois)", "(usually the last day of a month)"));

    r = Label(canvas, 330, l.indeterminate, Pick("Ce bail est à durée indéterminée, commençant le ",
                                                 "The term of the lease is indeterminate, beginning on "));
    DateLine(canvas, r, l.indeterminate, lease.Date("C_DEBUTIND"), 130, 510);
    DrawPeriod(canvas, r + 665, l.indeterminate);

    DrawMarked(canvas, 140, l.run, Pick(l.runFr, l.runEn), 7, 23);
}

void DrawRentSection(TPageCanvas &canvas, const TRow &lease, const TRentLayout &l)
{
    const TText texts[] = {
        {140, l.dateHead, 25, L, "Date du paiement", "Date of payment"},
        {140, l.methodHead, 25, L, "Mode de paiement", "Method of payment"},
        {330, l.methodSentence, 9, L, "Le loyer est payable selon le mode de paiement suivant:",
         "Rent is payable in accordance with the following method of payment:"},
        {140, l.placeHead, 25, L, "Lieu de paiement", "Place of payment"},
        {140, l.domicile, 9, L, "Le loyer est payable au domicile du locataire, sauf entente contraire (art. 1566 C.c.V.).",
         "The rent is payable at the lessee's domicile, unless otherwise agreed (art. 1566 C.C.V.)."},
        {140, l.proofHead, 25, L, "Preuve de paiement", "Proof of payment"},
        {140, l.receipt, 9, L, "Le locataire a droit à un reçu pour le paiement de son loyer (art. 1568 C.c.V.).",
         "The lessee is entitled to a receipt for the payment of his rent (art. 1568 C.C.V.)."},
    };
    DrawTexts(canvas, texts);
    for (const int y : {l.rent, l.first, l.others, l.methodSentence, l.place})
        DrawBullet(canvas, y);
    DrawRent(canvas, lease, l);
    DrawPaymentDates(canvas, lease, l);
    DrawPaymentMethod(canvas, lease, l);
}

void DrawJanitor(TPageCanvas &canvas, const TRow &lease, const TJanitorLayout &l)
{
    const TText texts[] = {
        {140, l.janitor, 25, L, "Service de conciergerie", "Janitorial service"},
        {300, l.detailCaption, 3, L, "Précisions", "Specify"},
    };
    DrawTexts(canvas, texts);
    DrawBullet(canvas, l.phone);
    const TYesNo janitor[] = {{720, 900, l.janitor, l.boxTop, "E_CONCIERG"}};
    DrawYesNos(canvas, lease, janitor);
    DrawLine(canvas, 300, l.detail + 3, 2040, l.detail + 3);
    const TValue detail[] = {{300, l.detail, L, "E_PRECISIO", 1740}};
    DrawValues(canvas, lease, detail);

    int r = Label(canvas, 330, l.phone,
                  Pick("Le numéro de téléphone du concierge ou de la personne à contacter en cas de",
                       "The telephone number of the janitor or person to contact in case of need is "));
    const QString phone = FormatPhone(lease.Raw("E_TEL").trimmed());
    if (English()) {
        DrawLine(canvas, r, l.phone + 3, 2035, l.phone + 3);
        Label(canvas, r, l.phone, phone);
        DrawPeriod(canvas, 2040, l.phone);
    } else {
        r = Label(canvas, 330, l.phoneSecondFr, QStringLiteral("besoin est "));
        DrawLine(canvas, r, l.phoneSecondFr + 3, r + 630, l.phoneSecondFr + 3);
        Label(canvas, r, l.phoneSecondFr, phone);
        DrawPeriod(canvas, r + 635, l.phoneSecondFr);
    }
}

} // namespace stdpages

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

    DrawLegalLines(canvas, 2);
    DrawTerm(canvas, lease, kTerm);
    DrawRentSection(canvas, lease, kRent);
    DrawJanitor(canvas, lease, kJanitor);
    DrawPageFooter(canvas, PageText(2));
}

} // namespace forms
