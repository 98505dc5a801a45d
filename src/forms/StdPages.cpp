#include "forms/StdPages.h"
#include "forms/StdPagesTables.h"

#include "db/Settings.h"
#include "printout/PageCanvas.h"

namespace forms::stdpages {

QString Pick(const char *fr, const char *en)
{
    if (!en)
        return QString::fromUtf8(fr);
    return db::PickPrintText(QString::fromUtf8(fr), QString::fromUtf8(en));
}

void DrawTexts(TPageCanvas &canvas, std::span<const TText> texts)
{
    int font = 0;
    for (const TText &t : texts) {
        const QString text = Pick(t.fr, t.en);
        if (text.isEmpty())
            continue;
        if (t.font != font) {
            SetFormFont(canvas, t.font);
            font = t.font;
        }
        DrawText(canvas, t.x, t.y, text, t.anchor);
    }
}

void DrawLines(TPageCanvas &canvas, std::span<const TLine> lines)
{
    for (const TLine &l : lines)
        DrawLine(canvas, l.x1, l.y1, l.x2, l.y2);
}

void DrawValues(TPageCanvas &canvas, const TRow &row, std::span<const TValue> values)
{
    if (!row.Present())
        return;
    SetFormFont(canvas, 9);
    for (const TValue &v : values) {
        QString text;
        switch (v.show) {
        case TShow::Text: text = row.Text(v.field); break;
        case TShow::Phone: text = FormatPhone(row.Raw(v.field).trimmed()); break;
        case TShow::DateText: text = db::DateText(row.Date(v.field)); break;
        }
        if (!text.isEmpty())
            DrawFitted(canvas, v.x, v.y, text, v.room, v.anchor);
    }
}

void DrawBoxes(TPageCanvas &canvas, const TRow &row, std::span<const TBox> boxes)
{
    for (const TBox &b : boxes)
        DrawCheckBox(canvas, b.left, b.top, row.Bool(b.field));
}

void DrawYesNos(TPageCanvas &canvas, const TRow &row, std::span<const TYesNo> pairs)
{
    SetFormFont(canvas, 9);
    for (const TYesNo &p : pairs)
        DrawYesNo(canvas, p.yesEnd, p.noEnd, p.baseline, p.boxTop, row.Bool(p.field));
}

std::vector<TRunPiece> Pieces(const QString &marked)
{
    std::vector<TRunPiece> pieces;
    bool bold = false;
    for (const QString &part : marked.split(QLatin1Char('^'))) {
        if (!part.isEmpty())
            pieces.push_back({part, bold});
        bold = !bold;
    }
    return pieces;
}

int DrawMarked(TPageCanvas &canvas, int x, int baseline, const QString &marked, int regular, int bold)
{
    return DrawEmphasisRun(canvas, x, baseline, Pieces(marked), regular, bold);
}

void DrawLegalLines(TPageCanvas &canvas, int page)
{
    for (const TLegalLine &line : LegalLines()) {
        if (line.page != page)
            continue;
        const QString text = Pick(line.fr, line.en);
        if (!text.isEmpty())
            DrawMarked(canvas, line.x, line.y, text, line.regular, line.bold);
    }
}

int LegalLineEnd(TPageCanvas &canvas, const TLegalLine &line)
{
    int x = line.x;
    for (const TRunPiece &piece : Pieces(Pick(line.fr, line.en))) {
        SetFormFont(canvas, piece.bold ? line.bold : line.regular);
        x += canvas.TextWidth(piece.text);
    }
    return x;
}

void DrawBullet(TPageCanvas &canvas, int baseline)
{
    SetFormFont(canvas, 9);
    DrawText(canvas, 300, baseline, QString(QChar(0x2022)));
}

void DrawFrame(TPageCanvas &canvas, int left, int top, int right, int bottom, int pen)
{
    canvas.SetPenWidth(pen);
    DrawBox(canvas, left, top, right, bottom);
    canvas.SetPenWidth(1);
}

void DrawBand(TPageCanvas &canvas, int left, int top, int right, int bottom, std::span<const TBandTitle> titles,
              int font)
{
    BeginSectionBand(canvas, left, top, right, bottom, font);
    for (const TBandTitle &t : titles)
        canvas.TextOut(t.x, -t.y, Pick(t.fr, t.en));
    EndSectionBand(canvas);
}

QString PageText(int page)
{
    return db::PickPrintText(QStringLiteral("Page %1 de 10").arg(page), QStringLiteral("Page %1 of 10").arg(page));
}

namespace {

// The legal paragraphs, in our own wording. Each line was broken to stay inside the frame
// in entry 9 (the fit is checked by the tests).
const TLegalLine kLegalLines[] = {
    // Page 2, section D: instalments of the rent.
    {2, 140, 777, 9, 25,
     "Le ^loyer ^est payable en versements égaux, dont aucun ne peut dépasser un mois de loyer; le dernier peut être",
     "The ^rent ^is payable in equal instalments, none of which may exceed one month's rent; the last one may be smaller."},
    {2, 140, 820, 9, 25,
     "moindre. Le propriétaire ne peut exiger aucune autre somme, par exemple un dépôt en argent pour la remise des clés.",
     "The landlord may not require any other amount of money, for example a deposit for the handing over of the keys."},
    // Page 2, section D: date of payment.
    {2, 140, 1150, 9, 25,
     "Le loyer du ^premier terme ^est payable au début du bail; le propriétaire ne peut exiger d'avance que ce seul",
     "The rent for the ^first payment period ^is payable at the beginning of the lease; the landlord may not require any"},
    {2, 140, 1194, 9, 25,
     "versement. Les ^autres versements^ sont payables le ^premier jour ^de chaque terme (mois ou semaine), à moins",
     "other payment in advance. The ^other instalments^ are payable on the ^first day ^of each payment period (month or"},
    {2, 140, 1238, 9, 25,
     "que les parties n'aient convenu d'une autre date de paiement lors de la conclusion du bail (art. 1903 C.c.V.).",
     "week), unless the parties agreed on another date of payment when they entered into the lease (art. 1903 C.C.V.)."},

    // Page 3, section E: by-laws of the immovable.
    {3, 130, 269, 9, 25,
     "Le règlement de l'immeuble fixe les règles d'usage, d'entretien, de conservation et d'exploitation de l'immeuble et des",
     "The by-laws of the immovable set out the rules on the use, upkeep, preservation and operation of the immovable and"},
    {3, 130, 315, 9, 25,
     "lieux loués, ainsi que celles qui encadrent la jouissance, par tous les occupants, des parties communes de l'immeuble.",
     "of the leased premises, as well as the rules that govern the enjoyment of the common areas by all of the occupants."},
    {3, 130, 496, 9, 25,
     "Dans un immeuble détenu en copropriété divise, le règlement de l'immeuble lie le locataire dès qu'un exemplaire lui",
     "In an immovable held in divided co-ownership, the by-laws of the immovable bind the lessee as soon as a copy has"},
    {3, 130, 538, 9, 25,
     "en a été remis par le propriétaire ou par le syndicat des copropriétaires de l'immeuble (art. 1057 C.c.V.).",
     "been given to him by the landlord or by the syndicate of the co-owners of the immovable (art. 1057 C.C.V.)."},
    // Page 3, section E: work and repairs.
    {3, 130, 883, 9, 25,
     "Le propriétaire doit délivrer le logement en bon état de réparation de toute espèce et en bon état d'habitabilité, puis",
     "The landlord must deliver the dwelling in a good state of repair of every kind and fit for habitation, then keep it so for"},
    {3, 130, 926, 9, 25,
     "l'entretenir ainsi pendant toute la durée du bail. Il doit y faire, au fur et à mesure, toutes les réparations nécessaires,",
     "the whole term of the lease. He must carry out, as they arise, every repair that becomes necessary, except for minor"},
    {3, 130, 969, 9, 25,
     "sauf les menues réparations d'entretien, qui sont à la charge du locataire (art. 1854, 1864 et 1910 C.c.V.).",
     "maintenance repairs, which are borne by the lessee unless they are due to age or superior force (arts. 1854 and 1864 C.C.V.)."},
    {3, 130, 1038, 9, 25,
     "Le locataire doit garder le logement propre et, à la fin du bail, le rendre dans l'état où il l'a reçu, compte tenu de",
     "The lessee must keep the dwelling clean and, when the lease ends, return it in the condition in which he received it,"},
    {3, 130, 1081, 9, 25,
     "l'usure normale, du passage du temps, de la force majeure et des changements autorisés (art. 1890 et 1911 C.c.V.).",
     "allowing for normal wear and tear, the passing of time, superior force and the changes that were authorized (arts. 1890"},
    {3, 130, 1125, 9, 25,
     "",
     "and 1911 C.C.V.)."},

    // Page 4, section F: the two cases and what ticking them means.
    {4, 185, 455, 9, 25,
     "le logement est situé dans un immeuble bâti depuis cinq ans ou moins. L'immeuble a été prêt pour",
     "the dwelling is located in an immovable erected five years ago or less. The immovable became ready for"},
    {4, 185, 630, 9, 25,
     "le logement est situé dans un immeuble dont l'utilisation à des fins locatives résulte d'un changement d'affectation",
     "the dwelling is located in an immovable whose use for residential purposes results from a change of destination"},
    {4, 185, 670, 9, 25,
     "fait depuis cinq ans ou moins. Une fois ses travaux de transformation terminés, l'immeuble a été prêt",
     "made five years ago or less. Once its conversion work was completed, the immovable became ready for"},
    {4, 130, 860, 9, 25,
     "^Si une des 2 cases ci-dessus est cochée^, le locataire qui refuse la modification proposée par le propriétaire, par",
     "^If one of the 2 boxes above is ticked off^, a lessee who refuses the modification proposed by the landlord, such as"},
    {4, 130, 900, 9, 25,
     "exemple une hausse de loyer, doit quitter le logement à la fin du bail. Il ne peut pas demander au tribunal de fixer le",
     "a rent increase, must vacate the dwelling at the end of the lease. He may not apply to the Court to have the rent fixed"},
    {4, 130, 945, 9, 25,
     "loyer pendant les cinq années qui suivent la date où l'immeuble ou le logement est devenu prêt pour l'habitation.",
     "during the five years that follow the date on which the immovable or the dwelling became ready for habitation."},
    {4, 130, 997, 9, 25,
     "^Si aucune des 2 cases n'est cochée^, le locataire qui refuse la modification proposée a le droit de rester dans le",
     "^If neither of the 2 boxes is ticked off^, a lessee who refuses the proposed modification has the right to remain in"},
    {4, 130, 1042, 9, 25,
     "logement. Le propriétaire peut alors demander au tribunal, dans le délai fixé par la loi, de fixer le loyer ou de statuer",
     "the dwelling. The landlord may then apply to the Court, within the time set by law, to have the rent fixed or to rule"},
    {4, 130, 1080, 9, 25,
     "sur la modification demandée. Le locataire peut aussi s'adresser au tribunal s'il estime que son loyer est abusif.",
     "on the modification he requested. The lessee may also apply to the Court if he considers that his rent is excessive."},
    // Page 4, section G: the notice and the new lessee's recourse.
    {4, 300, 1565, 9, 25,
     "Je vous avise que, pendant les 12 mois qui ont précédé le début de votre bail, le loyer le plus bas payé",
     "You are hereby informed that during the 12 months before your lease began, the lowest rent paid for this"},
    {4, 300, 1605, 9, 25,
     "pour ce logement, ou celui que le tribunal a fixé au cours de cette même période, s'il y a lieu, a été de:",
     "dwelling, or the rent fixed by the Court during that same period, where applicable, was:"},
    {4, 130, 2130, 9, 25,
     "Le nouveau locataire ou le sous-locataire qui paie un loyer plus élevé que le loyer le plus bas des 12 mois précédant",
     "A new lessee or a sublessee who pays a rent higher than the lowest rent paid during the 12 months before his lease"},
    {4, 130, 2174, 9, 25,
     "le début de son bail peut demander au tribunal de fixer le loyer, dans les 10 jours qui suivent la conclusion du bail. Si",
     "began may apply to the Court to have the rent fixed, within 10 days after entering into the lease. If the landlord did"},
    {4, 130, 2218, 9, 25,
     "le propriétaire ne lui a pas remis cet avis lors de la conclusion du bail, le locataire peut faire cette demande dans les",
     "not give him this notice when the lease was entered into, the lessee may make this application within 2 months after"},
    {4, 130, 2262, 9, 25,
     "2 mois qui suivent le début du bail. Si l'avis remis contient une fausse déclaration, le locataire peut s'adresser au",
     "the beginning of the lease. If the notice given contains a false statement, the lessee may apply to the Court within 2"},
    {4, 130, 2306, 9, 25,
     "tribunal dans les 2 mois qui suivent le jour où il s'en est rendu compte, afin que celui-ci fixe le loyer du logement",
     "months after the day he became aware of it, in order to have the rent of the dwelling fixed by the Court"},
    {4, 130, 2350, 9, 25,
     "(art. 1896 et 1950 C.c.V.).",
     "(arts. 1896 and 1950 C.C.V.)."},
};

} // namespace

std::span<const TLegalLine> LegalLines()
{
    return kLegalLines;
}

} // namespace forms::stdpages
