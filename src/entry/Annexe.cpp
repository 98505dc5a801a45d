#include "entry/Annexe.h"

#include "dataset/Common.h"
#include "dataset/DBCheckBox.h"
#include "dataset/DBEdit.h"
#include "dataset/DBRadioGroup.h"
#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/AnnexRows.h"
#include "ui/EditHelpers.h"
#include "ui/KelButton.h"
#include "ui/MLang.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QVBoxLayout>

namespace entry {

namespace {

using db::TAnnexField;
using db::TAnnexFieldKind;
using db::TAnnexRow;
using db::TAnnexText;

bool French()
{
    return dataset::WorkingLanguage() == QLatin1Char('F');
}

int CharsWidth(const QWidget &w, int n)
{
    return w.fontMetrics().horizontalAdvance(QLatin1Char('0')) * n + 12;
}

// At most chars characters typed. The control resets its maximum length to the field's
// (none for numbers) on every change of layout; a validator stays.
void LimitLength(QLineEdit &edit, int chars)
{
    edit.setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral(".{0,%1}").arg(chars)), &edit));
}

// Widths of the three service columns, so that every page lines its boxes up under its heads.
constexpr int kColumnWidth = 150;

const TAnnexText kColumnHeads[] = {
    {"Cocher si inclus dans le loyer du logement indiqué au bail",
     "Tick off if included in the rent for the dwelling indicated in the lease"},
    {"Loyer supplémentaire selon le terme prévu au bail (mois,semaine ou autre)",
     "Additional rent in accordance with the term provided for in the lease (month, week or other)"},
    {"Autres services que le propriétaire s'engage à maintenir (souvent payables à chaque utilisation)",
     "Other services that the landlord undertakes to maintain (often payable each time used)"},
};

const char *const kColumnHints[] = {"Included in the rent", "Additional rent", "Each time used"};

// The Annex's preamble, painted in two columns in the working language of the moment.
class TPreamblePanel : public QWidget {
public:
    explicit TPreamblePanel(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("PWC"));
        setFixedSize(593, 160); // our paragraphs are shorter than the printed ones
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        static const char *const french[] = {
            "La présente annexe fait partie du bail écrit. Elle est obligatoire lorsque le propriétaire offre au "
            "locataire des <b>services</b> en raison de son âge ou de son handicap.",
            "Les règles du <i>Code civil</i> résumées dans le bail valent aussi pour les <b>services</b>, les "
            "<b>accessoires</b> et les <b>dépendances</b> décrits ici.",
            "Aucune clause ne peut limiter le droit du locataire d'acheter des biens ou des <b>services</b> auprès des "
            "personnes de son choix.",
            "La <i>charte des droits</i> protège les personnes âgées ou handicapées contre toute forme d'exploitation.",
        };
        static const char *const english[] = {
            "This schedule is part of the written lease. It is mandatory when the landlord offers the lessee "
            "<b>services</b> because of the lessee's age or handicap.",
            "The rules of the <i>Civil Code</i> summarised in the lease also apply to the <b>services</b>, "
            "<b>accessories</b> and <b>dependencies</b> described here.",
            "No clause may restrict the lessee's right to buy goods or <b>services</b> from persons of the lessee's "
            "choice.",
            "The <i>charter of rights</i> protects elderly or handicapped persons against any form of exploitation.",
        };
        const char *const *texts = French() ? french : english;
        QPainter painter(this);
        constexpr int kColumnLeft[] = {28, 312};
        constexpr int kTextWidth = 265;
        for (int column = 0; column < 2; ++column) {
            int top = 8;
            for (int i = 0; i < 2; ++i) {
                QTextDocument paragraph;
                paragraph.setDefaultFont(font());
                paragraph.setDocumentMargin(0);
                paragraph.setTextWidth(kTextWidth);
                paragraph.setHtml(QString::fromUtf8(texts[column * 2 + i]));
                painter.save();
                painter.translate(kColumnLeft[column], top);
                paragraph.drawContents(&painter);
                painter.restore();
                top += int(paragraph.size().height()) + 12;
            }
        }
    }
};

} // namespace

TAnnexeForm::TAnnexeForm(QWidget *owner, dataset::TTable &annexe)
    : QDialog(owner)
    , m_annexe(annexe)
{
    setObjectName(QStringLiteral("AnnexeForm"));
    setModal(true);
    setWindowTitle(QStringLiteral("Annexe au bail"));
    resize(860, 640);
    m_source.setObjectName(QStringLiteral("DsAnnexe"));
    m_source.SetDataSet(&m_annexe);

    auto *layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PC_Pages"));
    for (int p = 1; p <= kPageCount; ++p) {
        auto *area = new QScrollArea(m_pages);
        area->setObjectName(QStringLiteral("SB_Page%1").arg(p));
        area->setWidgetResizable(true);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto *content = new QWidget(area);
        auto *body = new QVBoxLayout(content);
        body->setSpacing(6);
        area->setWidget(content);
        m_pages->addTab(area, QStringLiteral("Page %1").arg(p));
        m_areas.push_back(area);
        m_bodies.push_back(body);
    }
    layout->addWidget(m_pages, 1);
    auto *bottom = new QHBoxLayout;
    // Closes with OK through done(), which writes what is typed into the row first.
    auto *retour = new ui::TKelButton(this);
    retour->setObjectName(QStringLiteral("Pb_Retour"));
    ui::UseDialogLook(*retour);
    retour->SetKind(ui::bkOK);
    retour->setText(QStringLiteral("&Retour au bail"));
    retour->setFixedSize(170, 30);
    bottom->addStretch(1);
    bottom->addWidget(retour);
    layout->addLayout(bottom);

    BuildHeader();
    BuildDwelling();
    BuildServices();
    BuildStatement();
    for (QVBoxLayout *body : m_bodies)
        body->addStretch(1);

    m_lang = new ui::TMultiLang(this);
    m_lang->setObjectName(QStringLiteral("MultiLang1"));
    m_lang->SetLanguages(2);
    m_lang->SetDefaultEnabled(true);
    m_lang->SetTranslateEdits(ui::TTranslateEdits::teAlways);
    m_lang->SetWords(m_words);
    m_lang->Loaded();

    m_focusFrame = new ui::TFocusFrame(*this);
    m_focusFrame->HookCheckBoxes();
    for (QWidget *edit : m_amountEdits)
        edit->installEventFilter(this);
    if (!French())
        SetEnglishCaptions();
    ResetPages();
}

TAnnexeForm::~TAnnexeForm()
{
    // The controls go while the data source they show still exists.
    hide();
    qDeleteAll(findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly));
}

void TAnnexeForm::ResetPages()
{
    m_pages->setCurrentIndex(0);
    for (QScrollArea *area : m_areas)
        area->verticalScrollBar()->setValue(0);
}

void TAnnexeForm::done(int result)
{
    if (m_annexe.State() == dataset::TDataSetState::Edit || m_annexe.State() == dataset::TDataSetState::Insert) {
        try {
            m_annexe.UpdateRecord();
        } catch (...) {
            dataset::HandleEventException(std::current_exception());
            return;
        }
    }
    QDialog::done(result);
}

QWidget *TAnnexeForm::PageWidget(int page) const
{
    return m_areas.at(size_t(page - 1))->widget();
}

QLabel *TAnnexeForm::Label(QWidget *parent, const TAnnexText &text, bool bold)
{
    auto *label = new QLabel(text.In(French() || !text.en || !*text.en), parent);
    label->setObjectName(QStringLiteral("Lb_%1").arg(++m_labelCount, 3, 10, QLatin1Char('0')));
    label->setWordWrap(true);
    m_words << label->objectName() << text.In(true) << text.In(false);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QLabel *TAnnexeForm::Label(QWidget *parent, const char *fr, const char *en, bool bold)
{
    return Label(parent, TAnnexText{fr, en}, bold);
}

QWidget *TAnnexeForm::Box(QWidget *parent, const QString &name, const QString &field)
{
    auto *box = new dataset::TDBCheckBox(parent);
    box->setObjectName(name);
    box->SetDataSource(&m_source);
    box->SetDataField(field);
    return box;
}

QWidget *TAnnexeForm::Amount(QWidget *parent, const QString &name, const QString &field, bool filtered)
{
    auto *cell = new QWidget(parent);
    auto *h = new QHBoxLayout(cell);
    h->setContentsMargins(0, 0, 0, 0);
    auto *edit = new dataset::TDBEdit(cell);
    edit->setObjectName(name);
    edit->SetDataSource(&m_source);
    edit->SetDataField(field);
    LimitLength(*edit, 9);
    edit->setAlignment(Qt::AlignRight);
    edit->setFixedWidth(CharsWidth(*edit, 10));
    if (filtered)
        m_amountEdits.push_back(edit);
    h->addWidget(edit);
    h->addWidget(new QLabel(QStringLiteral("$"), cell));
    h->addStretch(1);
    return cell;
}

// One field of a row besides its columns: its caption and its control on one line.
QWidget *TAnnexeForm::Field(QWidget *parent, const TAnnexField &field)
{
    auto *line = new QWidget(parent);
    auto *h = new QHBoxLayout(line);
    h->setContentsMargins(0, 0, 0, 0);
    const QString name = db::AnnexControlName(field);
    const QString fieldName = QString::fromLatin1(field.field);
    switch (field.kind) {
    case TAnnexFieldKind::Box:
        h->addWidget(Box(line, name, fieldName));
        if (!field.caption.Empty())
            h->addWidget(Label(line, field.caption), 1);
        else
            h->addStretch(1);
        break;
    case TAnnexFieldKind::YesNo: {
        auto *group = new dataset::TDBRadioGroup(line);
        group->setObjectName(name);
        group->setFlat(true);
        group->setStyleSheet(QStringLiteral("QGroupBox { border: 0px; margin: 0px; padding: 0px; }"));
        group->SetDataSource(&m_source);
        group->SetDataField(fieldName);
        group->SetLanguage(dataset::WorkingLanguage());
        h->addWidget(group);
        h->addStretch(1);
        break;
    }
    case TAnnexFieldKind::Text:
    case TAnnexFieldKind::Count:
    case TAnnexFieldKind::Hour: {
        auto *edit = new dataset::TDBEdit(line);
        edit->setObjectName(name);
        edit->SetDataSource(&m_source);
        edit->SetDataField(fieldName);
        const bool text = field.kind == TAnnexFieldKind::Text;
        if (field.maxLength > 0) {
            LimitLength(*edit, field.maxLength);
            edit->setFixedWidth(CharsWidth(*edit, field.maxLength + 1));
        }
        const bool captionAfter = field.kind == TAnnexFieldKind::Count;
        if (!field.caption.Empty() && !captionAfter)
            h->addWidget(Label(line, field.caption));
        h->addWidget(edit, text ? 1 : 0);
        if (!field.caption.Empty() && captionAfter)
            h->addWidget(Label(line, field.caption));
        if (!text)
            h->addStretch(1);
        break;
    }
    }
    return line;
}

void TAnnexeForm::BuildHeader()
{
    QWidget *page = PageWidget(1);
    auto *top = new QHBoxLayout;
    auto *titles = new QVBoxLayout;
    titles->addWidget(Label(page, "FORMULAIRE OBLIGATOIRE DE LA OSTREVANE", "MANDATORY FORM OF THE OSTREVANE", true));
    QLabel *title = Label(page, "ANNEXE AU BAIL", "SCHEDULE TO THE LEASE", true);
    title->setObjectName(QStringLiteral("Lb_Titre"));
    m_words[m_words.size() - 3] = title->objectName();
    QFont big = title->font();
    big.setPointSize(20);
    title->setFont(big);
    titles->addWidget(title);
    titles->addWidget(Label(page, "SERVICES OFFERTS AU LOCATAIRE", "SERVICES OFFERED TO THE LESSEE", true));
    titles->addWidget(Label(page, "EN RAISON DE SA CONDITION PERSONNELLE, ENTRE AUTRES À UNE",
                            "OWING TO HIS PERSONAL CONDITION, INCLUDING SERVICES OFFERED TO", true));
    auto *who = new QHBoxLayout;
    for (QLabel *word : {Label(page, "PERSONNE ÂGÉE", "ELDERLY", true), Label(page, "OU", "OR", true),
                         Label(page, "HANDICAPÉE", "HANDICAPPED PERSONS", true)}) {
        word->setWordWrap(false);
        who->addWidget(word);
    }
    who->addStretch(1);
    titles->addLayout(who);
    top->addLayout(titles, 1);

    auto *number = new QHBoxLayout;
    number->addWidget(Label(page, "Bail n°", "Lease no"));
    auto *nobail = new dataset::TDBEdit(page);
    nobail->setObjectName(QStringLiteral("E_Nobail"));
    nobail->SetDataSource(&m_source);
    nobail->SetDataField(QStringLiteral("NOBAIL"));
    nobail->SetReadOnly(true);
    nobail->setFocusPolicy(Qt::NoFocus);
    nobail->setFixedWidth(CharsWidth(*nobail, 9));
    number->addWidget(nobail);
    top->addLayout(number);
    top->setAlignment(number, Qt::AlignTop);
    Page(1)->addLayout(top);
    Page(1)->addWidget(new TPreamblePanel(page), 0, Qt::AlignHCenter);
}

void TAnnexeForm::BuildDwelling()
{
    int shown = 0;
    QGridLayout *grid = nullptr;
    int row = 0;
    for (const db::TDwellingItem &item : db::DwellingItems()) {
        if (item.page != shown) {
            QWidget *page = PageWidget(item.page);
            Page(item.page)->addWidget(item.page == 1
                                           ? Label(page, "DESCRIPTION DÉTAILLÉE DU LOGEMENT ET DES ACCESSOIRES",
                                                   "DETAILED DESCRIPTION OF THE DWELLING AND ACCESSORIES", true)
                                           : Label(page, "(suite)", "(cont.)", true));
            grid = new QGridLayout;
            grid->setColumnStretch(1, 1);
            grid->addWidget(Label(page, "Cocher s'il y a lieu", "Tick off where applicable", true), 0, 1);
            Page(item.page)->addLayout(grid);
            shown = item.page;
            row = 1;
        }
        QWidget *page = PageWidget(item.page);
        QLabel *caption = Label(page, item.caption, true);
        caption->setFixedWidth(260);
        grid->addWidget(caption, row, 0, Qt::AlignTop);
        auto *fields = new QVBoxLayout;
        for (const TAnnexField &f : item.fields)
            fields->addWidget(Field(page, f));
        grid->addLayout(fields, row, 1);
        ++row;
    }
    QWidget *page2 = PageWidget(2);
    Page(2)->addSpacing(12);
    Page(2)->addWidget(Label(page2, "Dans cette annexe, le mot « propriétaire » désigne aussi la coopérative d'habitation.",
                             "In this schedule, the word \"landlord\" also means the housing cooperative."));
    Page(2)->addWidget(Label(page2,
                             "L'annexe ne sert qu'au bail d'un logement où le propriétaire offre des services en raison "
                             "\nde l'âge ou du handicap du locataire ; les autres baux s'en passent.",
                             "The schedule is used only with the lease of a dwelling where the landlord offers services "
                             "\nowing to the lessee's age or handicap; other leases do without it."));
}

QGridLayout *TAnnexeForm::ServiceGrid(int page, bool continued)
{
    QWidget *w = PageWidget(page);
    Page(page)->addSpacing(12);
    Page(page)->addWidget(continued ? Label(w, "LISTE DES SERVICES (suite)", "LIST OF SERVICES (cont.)", true)
                                    : Label(w, "LISTE DES SERVICES", "LIST OF SERVICES", true));
    if (!continued) {
        Page(page)->addWidget(Label(w, "La colonne 1 marque les services compris dans le loyer inscrit au bail ; "
                                       "la colonne 2 donne le loyer demandé en plus pour un service.",
                                    "Column 1 marks the services included in the rent written in the lease; "
                                    "column 2 gives the rent asked in addition for a service."));
        Page(page)->addWidget(Label(w, "La colonne 3 marque les autres services que le propriétaire s'engage à offrir, "
                                       "le plus souvent payés à chaque usage.",
                                    "Column 3 marks the other services the landlord undertakes to offer, most often "
                                    "paid each time they are used."));
    }
    auto *grid = new QGridLayout;
    grid->setColumnStretch(0, 1);
    for (int c = 0; c < 3; ++c) {
        QLabel *head = Label(w, kColumnHeads[c]);
        head->setFixedWidth(kColumnWidth);
        head->setAlignment(Qt::AlignCenter);
        QFont small = head->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        head->setFont(small);
        grid->addWidget(head, 0, c + 1, Qt::AlignBottom);
    }
    Page(page)->addLayout(grid);
    return grid;
}

// Every line of the list of services, from the row table: caption and other fields in the
// first column, then the boxes and amount of the columns the row has.
void TAnnexeForm::BuildServices()
{
    int shown = 0;
    QGridLayout *grid = nullptr;
    int line = 0;
    for (const TAnnexRow &row : db::AnnexRows()) {
        if (row.page != shown) {
            grid = ServiceGrid(row.page, shown != 0);
            shown = row.page;
            line = 1;
        }
        QWidget *page = PageWidget(row.page);
        if (!row.heading.Empty())
            grid->addWidget(Label(page, row.heading, true), line++, 0);
        auto *left = new QVBoxLayout;
        if (!row.caption.Empty())
            left->addWidget(Label(page, row.caption));
        QHBoxLayout *fieldLine = nullptr;
        for (const TAnnexField &f : row.fields) {
            QWidget *w = Field(page, f);
            if (f.sameLine && fieldLine) {
                // Side by side at their own widths: "de [  ] à [  ]".
                QWidget *before = fieldLine->itemAt(0)->widget();
                before->setSizePolicy(QSizePolicy::Fixed, before->sizePolicy().verticalPolicy());
                w->setSizePolicy(QSizePolicy::Fixed, w->sizePolicy().verticalPolicy());
                fieldLine->addWidget(w);
                continue;
            }
            if (fieldLine && fieldLine->count() > 1)
                fieldLine->addStretch(1);
            fieldLine = new QHBoxLayout;
            fieldLine->addWidget(w);
            left->addLayout(fieldLine);
        }
        if (fieldLine && fieldLine->count() > 1)
            fieldLine->addStretch(1);
        grid->addLayout(left, line, 0);
        for (int c = 1; c <= 3; ++c) {
            if (!(row.columns & (1u << (c - 1))))
                continue;
            const QString name = row.ControlName(c);
            QWidget *control = c == 2 ? Amount(page, name, row.FieldName(2), QLatin1String(row.prefix) != QLatin1String("TRA"))
                                      : Box(page, name, row.FieldName(c));
            // On the caption's line, the first of the row.
            grid->addWidget(control, line, c, c == 2 ? Qt::AlignTop : Qt::AlignTop | Qt::AlignHCenter);
        }
        ++line;
    }
}

void TAnnexeForm::BuildStatement()
{
    QWidget *page = PageWidget(8);
    auto *grid = new QGridLayout;
    grid->setColumnStretch(0, 1);
    auto total = [&](const char *name, const char *field) {
        auto *cell = new QWidget(page);
        auto *h = new QHBoxLayout(cell);
        h->setContentsMargins(0, 0, 0, 0);
        auto *edit = new dataset::TDBEdit(cell);
        edit->setObjectName(QLatin1String(name));
        edit->SetDataSource(&m_source);
        edit->SetDataField(QLatin1String(field));
        edit->SetReadOnly(true);
        edit->setEnabled(false);
        edit->setAlignment(Qt::AlignRight);
        edit->setFixedWidth(CharsWidth(*edit, 14));
        h->addWidget(edit);
        h->addWidget(new QLabel(QStringLiteral("$"), cell));
        h->addStretch(1);
        return cell;
    };
    // "+" and "=" follow the dollar sign, before the stretch.
    auto sign = [](QWidget *cell, const char *text) {
        static_cast<QHBoxLayout *>(cell->layout())->insertWidget(2, new QLabel(QLatin1String(text), cell));
    };
    int r = 0;
    grid->addWidget(Label(page, "Total du loyer supplémentaire", "Total additional rent", true), r, 0);
    grid->addWidget(total("E_TotalColonne1", "TotalColonne1"), r++, 1);
    grid->addWidget(Label(page, "Le loyer total à payer par le locataire est de :", "Total rent to be paid by the lessee is :", true),
                    r++, 0, 1, 2);
    grid->addWidget(Label(page, "Montant indiqué au bail", "Amount indicated in the lease"), r, 0);
    auto *rent = Amount(page, QStringLiteral("E_MntBail"), QStringLiteral("MNTBAIL"), true);
    sign(rent, "+");
    grid->addWidget(rent, r++, 1);
    grid->addWidget(Label(page, "Montant du loyer supplémentaire, s'il y a lieu (colonne 2)",
                          "Amount of additional rent, if any (Column 2)"),
                    r, 0);
    QWidget *total2 = total("E_TotalColonne2", "TotalColonne2");
    sign(total2, "=");
    grid->addWidget(total2, r++, 1);
    auto *per = new QHBoxLayout;
    per->addWidget(Label(page, "Loyer total par", "Total rent per"));
    auto *termBox = new QVBoxLayout;
    auto *term = new dataset::TDBEdit(page);
    term->setObjectName(QStringLiteral("E_Terme"));
    term->SetDataSource(&m_source);
    term->SetDataField(QStringLiteral("TERME"));
    termBox->addWidget(term);
    termBox->addWidget(Label(page, "Préciser le terme (mois,semaine ou autre)", "Specify the term (month, week or other)"));
    per->addLayout(termBox, 1);
    grid->addLayout(per, r, 0);
    grid->addWidget(total("E_TotalBail", "TotalBail"), r++, 1, Qt::AlignTop);
    Page(8)->addSpacing(12);
    Page(8)->addLayout(grid);

    Page(8)->addWidget(Label(page, "Renseignement sur le personnel", "Information on personnel", true));
    Page(8)->addWidget(Label(page,
                             "Le propriétaire a informé le locataire des noms et des fonctions des membres du personnel "
                             "travaillant dans l'immeuble.",
                             "The landlord has informed the lessee of the names and duties of the staff members working "
                             "in the building."));
    Page(8)->addWidget(Field(page, TAnnexField{"RENSEIGNEM", TAnnexFieldKind::YesNo, {"", ""}}));

    Page(8)->addSpacing(12);
    Page(8)->addWidget(Label(page, "SIGNATURES", "SIGNATURES", true));
    Page(8)->addWidget(Label(page, "Attention : Chaque exemplaire doit être signé séparément.",
                             "Please note : Each copy must be signed separately."));
    auto *places = new QGridLayout;
    const TAnnexText signatures[] = {
        {"Lieu de signature", "Place of signature"},
        {"Date", "Date"},
        {"Signature du propriétaire ou de son mandataire", "Signature of the landlord or his mandatary"},
        {"Signature du locataire", "Signature of the lessee"},
        {"Signature du locataire", "Signature of the lessee"},
        {"Autre signataire (exemple: témoin ou autre)", "Other signatory (e.g., witness or other)"},
    };
    int i = 0;
    for (const TAnnexText &s : signatures) {
        auto *place = new QVBoxLayout;
        auto *rule = new QFrame(page);
        rule->setFrameShape(QFrame::HLine);
        place->addSpacing(24);
        place->addWidget(rule);
        place->addWidget(Label(page, s));
        places->addLayout(place, i / 2, i % 2);
        ++i;
    }
    Page(8)->addLayout(places);
}

bool TAnnexeForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress)
        return ui::AmountKeyFilter(watched, static_cast<QKeyEvent *>(event));
    return QDialog::eventFilter(watched, event);
}

void TAnnexeForm::SetEnglishCaptions()
{
    if (auto *title = findChild<QLabel *>(QStringLiteral("Lb_Titre"))) {
        QFont big = title->font();
        big.setPointSize(24);
        title->setFont(big);
    }
    setWindowTitle(QStringLiteral("Schedule to the lease"));
    if (auto *retour = findChild<ui::TKelButton *>(QStringLiteral("Pb_Retour")))
        retour->setText(QStringLiteral("&Return to the lease"));
    for (auto *group : findChildren<dataset::TDBRadioGroup *>())
        group->SetItems({QStringLiteral("Yes"), QStringLiteral("No")});
    for (const TAnnexRow &row : db::AnnexRows())
        for (int c = 1; c <= 3; ++c)
            if (row.columns & (1u << (c - 1)))
                if (auto *w = findChild<QWidget *>(row.ControlName(c)))
                    w->setToolTip(QLatin1String(kColumnHints[c - 1]));
}

} // namespace entry
