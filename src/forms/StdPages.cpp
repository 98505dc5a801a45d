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
    for (const TYesNo &p : pairs) {
        if (p.threeState)
            DrawYesNoOrNeither(canvas, p.yesEnd, p.noEnd, p.baseline, p.boxTop, row.MaybeBool(p.field));
        else
            DrawYesNo(canvas, p.yesEnd, p.noEnd, p.baseline, p.boxTop, row.Bool(p.field));
    }
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
    DrawLegalLines(canvas, LegalLines(), page);
}

void DrawLegalLines(TPageCanvas &canvas, std::span<const TLegalLine> lines, int page)
{
    for (const TLegalLine &line : lines) {
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

bool English()
{
    return !db::IsFrench(db::PrintingLanguage());
}

int Label(TPageCanvas &canvas, int x, int baseline, const QString &text, int font)
{
    SetFormFont(canvas, font);
    DrawText(canvas, x, baseline, text);
    return x + canvas.TextWidth(text);
}

const char *const kCourtMayRuleFr =
    "Le tribunal peut toutefois statuer sur toute autre demande relative au bail (exemple : diminution de loyer).";
const char *const kCourtMayRuleEn =
    "However, the Court may rule on any other application concerning the lease (e.g., decrease in rent).";
const char *const kJoinPartsFr[2] = {
    "La partie 1 du bail doit être assemblée à la partie 2 pour ne former qu'un seul document.",
    "La partie 1 et la partie 2 forment un tout indissociable."};
const char *const kJoinPartsEn[2] = {"Part 1 of the lease must be joined to it's part 2 in order to make a single document.",
                                     "Part 1 and part 2 must be used together."};

namespace {

// Sentences both forms print alike.
constexpr const char *kRentFr0 =
    "Le ^loyer ^est payable en versements égaux, dont aucun ne peut dépasser un mois de loyer; le dernier peut être";
constexpr const char *kRentEn0 =
    "The ^rent ^is payable in equal instalments, none of which may exceed one month's rent; the last one may be smaller.";
constexpr const char *kAdvanceFr1 =
    "versement. Les ^autres versements^ sont payables le ^premier jour ^de chaque terme (mois ou semaine), à moins";
constexpr const char *kAdvanceFr2 =
    "que les parties n'aient convenu d'une autre date de paiement lors de la conclusion du bail (art. 1903 C.c.V.).";
constexpr const char *kBylawsFr0 =
    "Le règlement de l'immeuble fixe les règles d'usage, d'entretien, de conservation et d'exploitation de l'immeuble et des";
constexpr const char *kBylawsEn0 =
    "The by-laws of the immovable set out the rules on the use, upkeep, preservation and operation of the immovable and";
constexpr const char *kBylawsFr1 =
    "lieux loués, ainsi que celles qui encadrent la jouissance, par tous les occupants, des parties communes de l'immeuble.";
constexpr const char *kBylawsEn1 =
    "of the leased premises, as well as the rules that govern the enjoyment of the common areas by all of the occupants.";
constexpr const char *kCleanFr0 =
    "Le locataire doit garder le logement propre et, à la fin du bail, le rendre dans l'état où il l'a reçu, compte tenu de";
constexpr const char *kCleanEn0 =
    "The lessee must keep the dwelling clean and, when the lease ends, return it in the condition in which he received it,";
constexpr const char *kCleanFr1 =
    "l'usure normale, du passage du temps, de la force majeure et des changements autorisés (art. 1890 et 1911 C.c.V.).";
constexpr const char *kCleanEn1 =
    "allowing for normal wear and tear, the passing of time, superior force and the changes that were authorized (arts. 1890";
constexpr const char *kFirstCaseFr =
    "le logement est situé dans un immeuble bâti depuis cinq ans ou moins. L'immeuble a été prêt pour";
constexpr const char *kFirstCaseEn =
    "the dwelling is located in an immovable erected five years ago or less. The immovable became ready for";
constexpr const char *kSecondCaseFr0 =
    "le logement est situé dans un immeuble dont l'utilisation à des fins locatives résulte d'un changement d'affectation";
constexpr const char *kSecondCaseEn0 =
    "the dwelling is located in an immovable whose use for residential purposes results from a change of destination";
constexpr const char *kSecondCaseFr1 =
    "fait depuis cinq ans ou moins. Une fois ses travaux de transformation terminés, l'immeuble a été prêt";
constexpr const char *kSecondCaseEn1 =
    "made five years ago or less. Once its conversion work was completed, the immovable became ready for";
constexpr const char *kLowestFr0 =
    "Je vous avise que, pendant les 12 mois qui ont précédé le début de votre bail, le loyer le plus bas payé";
constexpr const char *kLowestEn0 =
    "You are hereby informed that during the 12 months before your lease began, the lowest rent paid for this";
constexpr const char *kLowestFr1 =
    "pour ce logement, ou celui que le tribunal a fixé au cours de cette même période, s'il y a lieu, a été de:";
constexpr const char *kLowestEn1 =
    "dwelling, or the rent fixed by the Court during that same period, where applicable, was:";

// The legal paragraphs, in our own wording. Each line was broken to stay inside the frame
// in entry 9 (the fit is checked by the tests).
const TLegalLine kLegalLines[] = {
    // Page 2, section D: instalments of the rent.
    {2, 140, 777, 9, 25,
     kRentFr0,
     kRentEn0},
    {2, 140, 820, 9, 25,
     "moindre. Le propriétaire ne peut exiger aucune autre somme, par exemple un dépôt en argent pour la remise des clés.",
     "The landlord may not require any other amount of money, for example a deposit for the handing over of the keys."},
    // Page 2, section D: date of payment.
    {2, 140, 1150, 9, 25,
     "Le loyer du ^premier terme ^est payable au début du bail; le propriétaire ne peut exiger d'avance que ce seul",
     "The rent for the ^first payment period ^is payable at the beginning of the lease; the landlord may not require any"},
    {2, 140, 1194, 9, 25,
     kAdvanceFr1,
     "other payment in advance. The ^other instalments^ are payable on the ^first day ^of each payment period (month or"},
    {2, 140, 1238, 9, 25,
     kAdvanceFr2,
     "week), unless the parties agreed on another date of payment when they entered into the lease (art. 1903 C.C.V.)."},

    // Page 3, section E: by-laws of the immovable.
    {3, 130, 269, 9, 25,
     kBylawsFr0,
     kBylawsEn0},
    {3, 130, 315, 9, 25,
     kBylawsFr1,
     kBylawsEn1},
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
     kCleanFr0,
     kCleanEn0},
    {3, 130, 1081, 9, 25,
     kCleanFr1,
     kCleanEn1},
    {3, 130, 1125, 9, 25,
     "",
     "and 1911 C.C.V.)."},

    // Page 4, section F: the two cases and what ticking them means.
    {4, 185, 455, 9, 25,
     kFirstCaseFr,
     kFirstCaseEn},
    {4, 185, 630, 9, 25,
     kSecondCaseFr0,
     kSecondCaseEn0},
    {4, 185, 670, 9, 25,
     kSecondCaseFr1,
     kSecondCaseEn1},
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
     kLowestFr0,
     kLowestEn0},
    {4, 300, 1605, 9, 25,
     kLowestFr1,
     kLowestEn1},
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

// The cooperative form's paragraphs: the cooperative in the lessor's place, one more case in
// section F, and the cases where no notice is due in section G.
const TLegalLine kCoopLegalLines[] = {
    // Page 2, section D: instalments of the rent.
    {2, 140, 205, 9, 25, kRentFr0, kRentEn0},
    {2, 140, 250, 9, 25,
     "moindre. La coopérative ne peut exiger aucune autre somme, par exemple un dépôt en argent pour la remise des clés.",
     "The cooperative may not require any other amount of money, for example a deposit for the handing over of the keys."},
    // Page 2, section D: date of payment.
    {2, 140, 600, 9, 25,
     "Le loyer du ^premier terme ^est payable au début du bail; la coopérative ne peut exiger d'avance que ce seul",
     "The rent for the ^first payment period ^is payable at the beginning of the lease; the cooperative may not require"},
    {2, 140, 642, 9, 25, kAdvanceFr1,
     "any other payment in advance. The ^other instalments^ are payable on the ^first day ^of each payment period (month"},
    {2, 140, 685, 9, 25, kAdvanceFr2,
     "or week), unless the parties agreed on another date of payment when they entered into the lease (art. 1903 C.C.V.)."},
    // Page 2, section E: by-laws of the immovable.
    {2, 130, 2200, 9, 25, kBylawsFr0, kBylawsEn0},
    {2, 130, 2245, 9, 25, kBylawsFr1, kBylawsEn1},

    // Page 3, section E: work and repairs.
    {3, 130, 250, 9, 25,
     "La coopérative doit délivrer le logement en bon état de réparation de toute espèce et en bon état d'habitabilité,",
     "The cooperative must deliver the dwelling in a good state of repair of every kind and fit for habitation, then keep"},
    {3, 130, 292, 9, 25,
     "puis l'entretenir ainsi pendant toute la durée du bail. Elle doit y faire, au fur et à mesure, toutes les réparations",
     "it so for the whole term of the lease. It must carry out, as they arise, every repair that becomes necessary, except"},
    {3, 130, 335, 9, 25,
     "nécessaires, sauf les menues réparations d'entretien, qui sont à la charge du locataire (art. 1854, 1864, 1910 C.c.V.).",
     "minor maintenance repairs, which are borne by the lessee unless due to age or superior force (arts. 1854, 1864 C.C.V.)."},
    {3, 130, 390, 9, 25, kCleanFr0, kCleanEn0},
    {3, 130, 433, 9, 25, kCleanFr1, kCleanEn1},
    {3, 130, 476, 9, 25, "", "and 1911 C.C.V.)."},
    // Page 3, section F: the first case of a dwelling built or converted lately.
    {3, 185, 2450, 9, 25, kFirstCaseFr, kFirstCaseEn},

    // Page 4, section F: the second case and what ticking the three boxes means.
    {4, 185, 270, 9, 25, kSecondCaseFr0, kSecondCaseEn0},
    {4, 185, 315, 9, 25, kSecondCaseFr1, kSecondCaseEn1},
    {4, 130, 510, 9, 25,
     "^Si une des 3 cases ci-dessus est cochée^, le locataire qui refuse la modification proposée par la coopérative,",
     "^If one of the 3 boxes above is ticked off^, a lessee who refuses the modification proposed by the cooperative,"},
    {4, 130, 555, 9, 25,
     "par exemple une hausse de loyer, doit quitter le logement à la fin du bail. Il ne peut pas demander au tribunal de",
     "such as a rent increase, must vacate the dwelling at the end of the lease. He may not apply to the Court to have the"},
    {4, 130, 600, 9, 25,
     "fixer le loyer tant que dure la situation de la case cochée, ou pendant les cinq années prévues pour les deux autres.",
     "rent fixed as long as the situation of the ticked box lasts, or during the five years set for the two other cases."},
    {4, 130, 650, 9, 25,
     "^Si aucune des 3 cases n'est cochée^, le locataire qui refuse la modification proposée a le droit de rester dans le",
     "^If none of the 3 boxes is ticked off^, a lessee who refuses the proposed modification has the right to remain in"},
    {4, 130, 695, 9, 25,
     "logement. La coopérative peut alors demander au tribunal, dans le délai fixé par la loi, de fixer le loyer ou de",
     "the dwelling. The cooperative may then apply to the Court, within the time set by law, to have the rent fixed or to"},
    {4, 130, 740, 9, 25,
     "statuer sur la modification demandée. Le locataire peut aussi s'adresser au tribunal s'il estime son loyer abusif.",
     "rule on the modification it requested. The lessee may also apply to the Court if he considers his rent excessive."},
    // Page 4, section G: when no notice is due, the notice and the new lessee's recourse.
    {4, 130, 930, 9, 25,
     "La coopérative n'a pas à remettre l'avis qui suit lorsqu'elle loue le logement à l'un de ses membres, ni lorsque",
     "The cooperative need not give the following notice when it leases the dwelling to one of its members, nor when"},
    {4, 130, 970, 9, 25,
     "l'une des situations décrites à la section F s'applique. Le locataire ne peut alors pas demander au tribunal de",
     "one of the situations described in section F applies. The lessee may not then apply to the Court to have the rent"},
    {4, 130, 1010, 9, 25,
     "fixer le loyer du nouveau bail à partir du loyer le plus bas payé au cours des 12 mois précédents; ses autres",
     "of the new lease fixed on the basis of the lowest rent paid during the previous 12 months; his other remedies"},
    {4, 130, 1050, 9, 25,
     "recours prévus par la loi lui restent acquis.",
     "provided for by law remain open to him."},
    {4, 300, 1220, 9, 25, kLowestFr0, kLowestEn0},
    {4, 300, 1265, 9, 25, kLowestFr1, kLowestEn1},
    {4, 130, 1805, 9, 25,
     "Le nouveau locataire qui paie un loyer plus élevé que le loyer le plus bas des 12 mois précédant le début de son",
     "A new lessee who pays a rent higher than the lowest rent paid during the 12 months before his lease began may"},
    {4, 130, 1852, 9, 25,
     "bail peut demander au tribunal de fixer le loyer, dans les 10 jours qui suivent la conclusion du bail. Si la",
     "apply to the Court to have the rent fixed, within 10 days after entering into the lease. If the cooperative did"},
    {4, 130, 1899, 9, 25,
     "coopérative ne lui a pas remis cet avis lors de la conclusion du bail, le locataire peut faire cette demande dans",
     "not give him this notice when the lease was entered into, the lessee may make this application within 2 months"},
    {4, 130, 1946, 9, 25,
     "les 2 mois qui suivent le début du bail. Si l'avis remis contient une fausse déclaration, le locataire peut",
     "after the beginning of the lease. If the notice given contains a false statement, the lessee may apply to the"},
    {4, 130, 1993, 9, 25,
     "s'adresser au tribunal dans les 2 mois qui suivent le jour où il s'en est rendu compte, afin que celui-ci fixe",
     "Court within 2 months after the day he became aware of it, in order to have the rent of the dwelling fixed by"},
    {4, 130, 2040, 9, 25,
     "le loyer du logement (art. 1896 et 1950 C.c.V.).",
     "the Court (arts. 1896 and 1950 C.C.V.)."},
};

} // namespace

std::span<const TLegalLine> CoopLegalLines()
{
    return kCoopLegalLines;
}

std::span<const TLegalLine> LegalLines()
{
    return kLegalLines;
}

} // namespace forms::stdpages
