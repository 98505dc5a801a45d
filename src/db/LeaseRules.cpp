#include "db/LeaseRules.h"

#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/Numbering.h"
#include "db/Settings.h"

namespace db {

namespace {

// Logicals a new lease starts with ticked; every other logical of the table starts false.
constexpr const char *kTrueOnNewLease[] = {"B_FINRESID", "D_MOIS1", "D_MOIS2", "D_MODE_CHQ", "E_REGLEMEN",
                                           "E_ACCESTER"};

// Logicals of the lease that stay empty on a new lease: the answers of the cooperative
// form and those the user must give (by-laws handed over, same conditions).
constexpr const char *kEmptyOnNewLease[] = {"E_REMIS", "G_MEME", "A_MEMCOOP1", "A_MEMCOOP2", "F_LOGCOOP"};

// The cooperative form: both tenants members, no by-laws, and no residential-purpose or
// furniture answers, which its form does not ask.
constexpr const char *kTrueOnNewCoopLease[] = {"A_MEMCOOP1", "A_MEMCOOP2", "D_MOIS1", "D_MOIS2", "D_MODE_CHQ",
                                               "E_ACCESTER"};
constexpr const char *kEmptyOnNewCoopLease[] = {"E_REMIS", "G_MEME", "B_FINRESID", "B_MEUBLE"};

bool Named(const QString &name, const auto &list)
{
    for (const char *n : list)
        if (name == QLatin1String(n))
            return true;
    return false;
}

dataset::TField &Field(const dataset::TTable &t, const char *name)
{
    return *t.FieldByName(QLatin1String(name));
}

} // namespace

void SetNewLeaseDefaults(dataset::TTable &lease, TLeaseKind kind, int defaultLessor, const QString &language,
                         const QDate &today)
{
    const QString french = QStringLiteral("F");
    Field(lease, "LANGUEIMP").SetAsString(IsFrench(language) ? french : QStringLiteral("A"));
    if (defaultLessor != 0)
        Field(lease, "NOLOCATEUR").SetAsInteger(defaultLessor);
    else
        Field(lease, "NOLOCATEUR").Clear();
    Field(lease, "BAILAHCOOP").SetAsString(LeaseKey(kind, Field(lease, "NOBAIL").AsString()));
    const bool coop = IsCooperative(kind);
    for (int i = 0; i < lease.FieldCount(); ++i) {
        dataset::TField *f = lease.Fields(i);
        if (f->Calculated() || f->DataType() != dataset::TFieldType::Boolean)
            continue;
        const QString &name = f->FieldName();
        if (coop ? Named(name, kEmptyOnNewCoopLease) : Named(name, kEmptyOnNewLease))
            continue;
        f->SetAsBoolean(coop ? Named(name, kTrueOnNewCoopLease) : Named(name, kTrueOnNewLease));
    }
    Field(lease, "C_DUREE").SetAsString(IsFrench(language) ? QStringLiteral("12 mois") : QStringLiteral("12 months"));
    // The usual lease year runs from July to June, whatever the month the lease is typed in.
    const QDate start(today.year(), 7, 1);
    Field(lease, "C_DEBUT").SetAsDate(start);
    Field(lease, "C_FIN").SetAsDate(QDate(today.year() + 1, 6, 30));
    Field(lease, "D_DATETOUT").SetAsDate(start);
}

TSplitDateCheck CheckSplitDate(const dataset::TDateParts &parts)
{
    if (dataset::PartsEmpty(parts))
        return {TSplitDateOutcome::Empty, QString()};
    const QString date = dataset::DateTextOfParts(parts);
    if (date.isEmpty() || !ParseDateText(date))
        return {TSplitDateOutcome::Invalid, QString()};
    return {TSplitDateOutcome::Valid, date};
}

QString SplitDateErrorText(const QString &day, const QString &monthText, const QString &year, const QString &language)
{
    const QString quoted = QLatin1Char('"') + day + QStringLiteral(" / ") + monthText + QStringLiteral(" / ") + year
                           + QLatin1Char('"');
    return quoted + (IsFrench(language) ? QStringLiteral(" n'est pas une date valide")
                                        : QStringLiteral(" is not a valid date"));
}

QString CheckFullDateText(const QString &text)
{
    bool digit = false;
    for (QChar c : text)
        digit = digit || c.isDigit();
    if (!digit)
        return QString();
    if (!ParseDateText(text.trimmed()))
        throw EConvertError(QLatin1Char('"') + text + QStringLiteral("\" n'est pas une date valide"));
    return text.trimmed();
}

TConditionalDateIssue CheckConditionalDates(const dataset::TTable &lease, const QString &language)
{
    const bool french = IsFrench(language);
    TConditionalDateIssue issue;
    if (Field(lease, "E_REMIS").AsBoolean() && Field(lease, "E_DATE").IsNull()) {
        issue.target = TDateTarget::ByLawsDate;
        issue.caption = french ? QStringLiteral("Attention") : QStringLiteral("Warning");
        issue.text = french ? QStringLiteral("La date de remise du règlement est invalide")
                            : QStringLiteral("The date on which the by-law were\rgiven to the lessee is invalide");
    }
    const bool log1 = Field(lease, "F_LOG1").AsBoolean();
    const bool missing1 = log1 && Field(lease, "F_PRETHAB1").IsNull();
    const bool missing2 = !missing1 && Field(lease, "F_LOG2").AsBoolean() && Field(lease, "F_PRETHAB2").IsNull();
    if (missing1 || missing2) {
        // The focus goes to the date that is missing, even when the first box is ticked.
        issue.target = missing1 ? TDateTarget::ReadyDate1 : TDateTarget::ReadyDate2;
        issue.caption = french ? QStringLiteral("Attention") : QStringLiteral("Warning");
        issue.text = french ? QStringLiteral("La date à laquelle le logement était prêt\rpour l'habitation est invalide.")
                            : QStringLiteral("The date on which the immovable became ready\rfor habitation is invalid.");
    }
    return issue;
}

TLeaseNumberCheck CheckManualLeaseNumber(const QString &nobail, dataset::TTable &verif)
{
    if (nobail.trimmed().isEmpty())
        return TLeaseNumberCheck::Empty;
    verif.Refresh(); // rows other windows and users saved since the last move
    return verif.FindKey(nobail.trimmed()) ? TLeaseNumberCheck::Exists : TLeaseNumberCheck::Ok;
}

QString LeaseNumberMessage(TLeaseNumberCheck check)
{
    switch (check) {
    case TLeaseNumberCheck::Empty:
        return QStringLiteral("Le numéro de bail est obligatoire");
    case TLeaseNumberCheck::Exists:
        return QStringLiteral("Ce numéro de bail existe déjà.");
    case TLeaseNumberCheck::Ok:
        break;
    }
    return QString();
}

QString TakeAutomaticLeaseNumber(dataset::TTable &bailConf, dataset::TTable &verif)
{
    const QString number = AssignLeaseNumber(*bailConf.EngineTable(), *verif.EngineTable());
    bailConf.Refresh();
    return number;
}

void StampLeaseKey(dataset::TTable &lease, TLeaseKind kind)
{
    Field(lease, "BAILAHCOOP").SetAsString(LeaseKey(kind, Field(lease, "NOBAIL").AsString().trimmed()));
}

QString CopyLease(dataset::TTable &lease, dataset::TTable &verif, dataset::TTable &bailConf,
                  dataset::TTable *annexSource, dataset::TTable *annexTarget)
{
    auto copyRow = [](const dataset::TTable &from, dataset::TTable &to) {
        for (int i = 0; i < from.FieldCount(); ++i) {
            const dataset::TField *src = from.Fields(i);
            if (src->Calculated())
                continue;
            dataset::TField *dst = to.FindField(src->FieldName());
            if (!dst || dst->Calculated())
                continue;
            try {
                dst->SetValue(src->Value());
            } catch (...) {
                // A field the target cannot take keeps its empty value.
            }
        }
    };

    // The configuration row stays locked until both rows are written, so no other window
    // or user takes the same number in between.
    TConfigEdit config(*bailConf.EngineTable());
    TKeyLookup leases(*verif.EngineTable(), QStringLiteral("NOBAIL"));
    const QString number = NextLeaseNumber(config, leases);
    config.Post();

    const QString key = Field(lease, "BAILAHCOOP").AsString();
    const QString prefix = key.left(2);
    verif.Append();
    try {
        copyRow(lease, verif);
        Field(verif, "NOBAIL").SetAsString(number);
        Field(verif, "BAILAHCOOP").SetAsString(prefix + PadLeft(number, kLeaseNumberWidth));
        verif.Post();
    } catch (...) {
        verif.Cancel();
        bailConf.Refresh();
        throw;
    }

    if (prefix.startsWith(QLatin1Char('O')) && annexSource && annexTarget && !annexSource->IsEmpty()
        && annexSource->FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed()
               == Field(lease, "NOBAIL").AsString().trimmed()) {
        annexTarget->Append();
        try {
            copyRow(*annexSource, *annexTarget);
            Field(*annexTarget, "NOBAIL").SetAsString(number);
            annexTarget->Post();
        } catch (...) {
            annexTarget->Cancel();
            bailConf.Refresh();
            throw;
        }
    }
    bailConf.Refresh();
    return number;
}

} // namespace db
