#include "entry/Bailstd.h"

#include "dataset/Common.h"
#include "dataset/DBCheckBox.h"
#include "dataset/DBEdit.h"
#include "dataset/DBNavigator.h"
#include "dataset/DBRadioGroup.h"
#include "dataset/Field.h"
#include "db/AnnexRows.h"
#include "db/FieldProps.h"
#include "db/LeaseRules.h"
#include "db/Numbering.h"
#include "db/Schema.h"
#include "entry/Annexe.h"
#include "entry/LeaseLayout.h"
#include "entry/Locateur.h"
#include "entry/Pickloc.h"
#include "ui/Accessibility.h"
#include "ui/EditHelpers.h"
#include "ui/KelButton.h"
#include "ui/MLang.h"
#include "ui/MessageBoxes.h"
#include "ui/WaitCursor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace entry {

using dataset::Pick;
using dataset::TDataSetState;
using dataset::TNavigateBtn;
using dataset::TTable;

namespace {

THelpTopicHook &HelpHook()
{
    static THelpTopicHook hook;
    return hook;
}

TBailStdForm::TPrintHook &PrintHook()
{
    static TBailStdForm::TPrintHook hook;
    return hook;
}

bool IsEditing(const TTable &t)
{
    return t.State() == TDataSetState::Edit || t.State() == TDataSetState::Insert;
}

void OpenOn(TTable &t, const char *name, const char *file, const char *indexField, const char *indexTag = nullptr,
            bool readOnly = false)
{
    t.setObjectName(QLatin1String(name));
    t.SetDatabaseName(QLatin1String(db::kDatabaseName));
    t.SetTableName(QLatin1String(file));
    if (indexField)
        t.SetIndexFieldNames(QLatin1String(indexField));
    if (indexTag)
        t.SetIndexName(QLatin1String(indexTag));
    t.SetReadOnly(readOnly);
    t.Open();
    db::ApplyFieldProperties(t);
}

QString WorkLanguage()
{
    return QString(dataset::WorkingLanguage());
}

bool French()
{
    return dataset::WorkingLanguage() == QLatin1Char('F');
}

// The four yes/no answers of the Annex that stay empty on a new Annex row.
constexpr const char *kAnnexAnswers[] = {"MED_CONSER", "INV_REPAS", "CREDIT", "RENSEIGNEM"};

} // namespace

void SetHelpTopicHook(THelpTopicHook hook)
{
    HelpHook() = std::move(hook);
}

void ShowHelpTopic(int topic)
{
    if (HelpHook())
        HelpHook()(topic);
}

void TBailStdForm::SetPrintHook(TPrintHook hook)
{
    PrintHook() = std::move(hook);
}

TBailStdForm::TBailStdForm(QWidget *parent, bool elderly)
    : TBailStdForm(parent, elderly, StandardLeaseLayout())
{
}

TBailStdForm::TBailStdForm(QWidget *parent, bool elderly, const TLeaseFormLayout &form)
    : QWidget(parent)
    , m_layout(&form)
    , m_elderly(elderly)
{
    setObjectName(QLatin1String(form.objectName));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(980, 720);

    OpenCursors();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateTopPanel(layout);
    CreatePages(layout);
    WireControls();

    m_lang = new ui::TMultiLang(this);
    m_lang->setObjectName(QStringLiteral("MultiLang1"));
    m_lang->SetLanguages(2);
    m_lang->SetDefaultEnabled(true);
    m_lang->SetTranslateEdits(ui::TTranslateEdits::teAlways);
    m_lang->SetWords(m_words);
    m_lang->Loaded();

    m_focusFrame = new ui::TFocusFrame(*this);
    m_focusFrame->HookCheckBoxes();

    m_newLease = false;
    ResetPages();

    // The lessor's telephones read as information, not as fields to fill (the cooperative's
    // one telephone keeps the look of the other lessor fields).
    for (const char *name : {"E_LocateurTelDom", "E_LocateurTelAut"})
        if (auto *e = findChild<dataset::TDBEdit *>(QLatin1String(name)); e && !form.cooperative) {
            QPalette pal = e->palette();
            pal.setColor(QPalette::Disabled, QPalette::Text, pal.color(QPalette::Inactive, QPalette::Highlight));
            e->setPalette(pal);
        }
    BailConf.Refresh();
    m_autoNumber = !BailConf.IsEmpty() && BailConf.FieldByName(QStringLiteral("GENAUTO"))->AsBoolean();
    if (m_autoNumber)
        E_BailStdNobail->setEnabled(false); // shown in grey text for good

    SetEnglishCaptions();
    CbMoisFill();
    EnableNobail();
    PB_Annexe->setVisible(m_elderly);
    SetCaption();

    Filter();
    BailStd.Last();
    AjusteDates();
    ResetMainHint();
    raise();

    connect(&TLessorEvents::Instance(), &TLessorEvents::LessorSaved, this, [this](int) {
        try {
            RelocateLessor();
        } catch (...) {
            dataset::HandleEventException(std::current_exception());
        }
    });
}

bool TBailStdForm::IsCooperative() const
{
    return m_layout->cooperative;
}

db::TLeaseKind TBailStdForm::Kind() const
{
    if (m_layout->cooperative)
        return m_elderly ? db::TLeaseKind::OO : db::TLeaseKind::NO;
    return m_elderly ? db::TLeaseKind::ON : db::TLeaseKind::NN;
}

TBailStdForm::~TBailStdForm()
{
    if (HostBound())
        m_host->ResetToolbar();
    // The controls go first, while the cursors they show still exist, and without running
    // the exit steps of the field that had the focus.
    m_destroying = true;
    hide();
    qDeleteAll(findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly));
}

void TBailStdForm::OpenCursors()
{
    OpenOn(BailStd, "BailStd", "BAILSTD.DBF", "BAILAHCOOP");
    OpenOn(BailStdVerif, "BailStdVerif", "BAILSTD.DBF", "NOBAIL");
    OpenOn(BailConf, "BailConf", "Bailconf.dbf", nullptr);
    db::AddAnnexTotals(Annexe);
    OpenOn(Annexe, "Annexe", "ANNEXE.DBF", "NOBAIL");
    OpenOn(AnnexePrint, "AnnexePrint", "ANNEXE.DBF", nullptr, "NOBAIL");
    DsBailStd.setObjectName(QStringLiteral("DsBailStd"));
    DsBailStd.SetDataSet(&BailStd);
    Locateur.SetMasterSource(&DsBailStd);
    Locateur.SetMasterFields(QStringLiteral("NOLOCATEUR"));
    OpenOn(Locateur, "Locateur", "LOCATEUR.dbf", "NOLOCATEUR", nullptr, true);
    DsLocateur.SetDataSet(&Locateur);
    ui::ApplyDottedEditMasks(BailStd);

    BailStd.OnNewRecord = [this](TTable &) { BailStdNewRecord(); };
    BailStd.AfterInsert = [this](TTable &) { BailStdAfterInsert(); };
    BailStd.BeforePost = [this](TTable &) { BailStdBeforePost(); };
    BailStd.AfterPost = [this](TTable &) { BailStdAfterPost(); };
    BailStd.BeforeCancel = [this](TTable &) { BailStdBeforeCancel(); };
    BailStd.AfterCancel = [this](TTable &) { BailStdAfterCancel(); };
    BailStd.BeforeDelete = [this](TTable &) { BailStdBeforeDelete(); };
    BailStd.AfterScroll = [this](TTable &) { ResetMainHint(); };
    connect(&DsBailStd, &dataset::TDataSource::StateChanged, this, [this] { UpdatePrintCommands(); });
    connect(&DsBailStd, &dataset::TDataSource::DataChanged, this, [this] { ResetMainHint(); });
    connect(&DsLocateur, &dataset::TDataSource::DataChanged, this, [this] { ResetMainHint(); });
}

void TBailStdForm::CreateTopPanel(QVBoxLayout *layout)
{
    Pn_Top = new QWidget(this);
    Pn_Top->setObjectName(QStringLiteral("Pn_Top"));
    auto *h = new QHBoxLayout(Pn_Top);
    h->setContentsMargins(8, 4, 8, 4);
    L_BailStdNobail = new QLabel(Pn_Top);
    L_BailStdNobail->setObjectName(QStringLiteral("L_BailStdNobail"));
    E_BailStdNobail = new dataset::TDBEdit(Pn_Top);
    E_BailStdNobail->setObjectName(QStringLiteral("E_BailStdNobail"));
    E_BailStdNobail->SetDataSource(&DsBailStd);
    E_BailStdNobail->SetDataField(QStringLiteral("NOBAIL"));
    E_BailStdNobail->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    E_BailStdNobail->setFixedWidth(E_BailStdNobail->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 9 + 12);
    L_BailStdNobail->setBuddy(E_BailStdNobail);
    Rg_LangueImp = new dataset::TDBRadioGroup(Pn_Top);
    Rg_LangueImp->setObjectName(QStringLiteral("Rg_LangueImp"));
    Rg_LangueImp->SetValues({QStringLiteral("F"), QStringLiteral("A")});
    Rg_LangueImp->SetDataSource(&DsBailStd);
    Rg_LangueImp->SetDataField(QStringLiteral("LANGUEIMP"));
    PB_Annexe = new ui::TKelButton(Pn_Top);
    ui::UseDialogLook(*PB_Annexe);
    PB_Annexe->setObjectName(QStringLiteral("PB_Annexe"));
    // Wide enough for the caption of either language, as tall as the lease number beside it.
    const QFontMetrics metrics(PB_Annexe->font());
    const int captionWidth = std::max(metrics.horizontalAdvance(QStringLiteral("Annexe...")),
                                      metrics.horizontalAdvance(QStringLiteral("Schedule...")));
    PB_Annexe->setFixedSize(std::max(100, captionWidth + 16), std::max(23, E_BailStdNobail->sizeHint().height()));
    connect(PB_Annexe, &QAbstractButton::clicked, this, [this] {
        try {
            PB_AnnexeClick();
        } catch (...) {
            dataset::HandleEventException(std::current_exception());
        }
    });
    h->addWidget(L_BailStdNobail);
    h->addWidget(E_BailStdNobail);
    h->addSpacing(24);
    h->addWidget(Rg_LangueImp);
    h->addStretch(1);
    h->addWidget(PB_Annexe);
    layout->addWidget(Pn_Top);
}

void TBailStdForm::WireControls()
{
    auto edit = [this](const char *name) { return findChild<dataset::TDBEdit *>(QLatin1String(name)); };
    auto box = [this](const char *name) { return findChild<dataset::TDBCheckBox *>(QLatin1String(name)); };
    auto group = [this](const char *name) { return findChild<dataset::TDBRadioGroup *>(QLatin1String(name)); };
    E_D_Loyer = edit("E_D_Loyer");
    E_E_Date = edit("E_E_Date");
    E_G_Date = edit("E_G_Date");
    E_G_Loyer = edit("E_G_Loyer");
    E_G_Autre = edit("E_G_Autre");
    E_G_Chang1 = edit("E_G_Chang1");
    E_G_Chang2 = edit("E_G_Chang2");
    E_B_NbPiece = edit("E_B_NbPiece");
    E_D_Autre1 = edit("E_D_Autre1");
    E_D_Autre2 = edit("E_D_Autre2");
    E_D_Mode_Aut = edit("E_D_Mode_Aut");
    ChB_D_Mode_Chq = box("ChB_D_Mode_Chq");
    ChB_D_Mode_Arg = box("ChB_D_Mode_Arg");
    ChB_D_Mois1 = box("ChB_D_Mois1");
    ChB_D_Semaine1 = box("ChB_D_Semaine1");
    ChB_D_Mois2 = box("ChB_D_Mois2");
    ChB_D_Semaine2 = box("ChB_D_Semaine2");
    ChB_G_Mois = box("ChB_G_Mois");
    ChB_G_Semaine = box("ChB_G_Semaine");
    Rg_E_Reglemen = group("Rg_E_Reglemen");
    Rg_E_Remis = group("Rg_E_Remis");
    RG_G_Meme = group("RG_G_Meme");
    L_Partie1 = findChild<QLabel *>(QStringLiteral("L_Partie1"));

    m_exitControls = {E_BailStdNobail, E_D_Loyer, E_E_Date, E_G_Date, E_G_Loyer, E_G_Autre};
    for (QWidget *w : m_exitControls)
        w->installEventFilter(this);
    E_B_NbPiece->installEventFilter(this);

    connect(E_D_Loyer, &QLineEdit::textEdited, this, [this] { m_rentEdited = true; });
    auto guarded = [this](auto fn) {
        return [this, fn] {
            try {
                (this->*fn)();
            } catch (...) {
                dataset::HandleEventException(std::current_exception());
            }
        };
    };
    connect(E_G_Loyer, &QLineEdit::textEdited, this, guarded(&TBailStdForm::E_G_LoyerChange));
    for (dataset::TDBEdit *other : {E_D_Autre1, E_D_Autre2, E_D_Mode_Aut, E_G_Autre})
        connect(other, &QLineEdit::textEdited, this, [this, other] {
            try {
                OtherTextTyped(other);
                if (other == E_G_Autre)
                    E_G_AutreChange();
            } catch (...) {
                dataset::HandleEventException(std::current_exception());
            }
        });
    connect(E_G_Chang1, &QLineEdit::textEdited, this, guarded(&TBailStdForm::E_G_ChangChange));
    connect(E_G_Chang2, &QLineEdit::textEdited, this, guarded(&TBailStdForm::E_G_ChangChange));
    connect(RG_G_Meme->Button(0), &QRadioButton::clicked, this, guarded(&TBailStdForm::RG_G_MemeOuiClick));
    for (int i = 0; i < 2; ++i) {
        connect(Rg_E_Reglemen->Button(i), &QRadioButton::clicked, this, [this, i] {
            try {
                Rg_E_ReglemenClick(i);
            } catch (...) {
                dataset::HandleEventException(std::current_exception());
            }
        });
        connect(Rg_E_Remis->Button(i), &QRadioButton::clicked, this, [this, i] {
            try {
                Rg_E_RemisClick(i);
            } catch (...) {
                dataset::HandleEventException(std::current_exception());
            }
        });
    }
    for (dataset::TDBCheckBox *b : {ChB_D_Mois1, ChB_D_Semaine1, ChB_D_Mois2, ChB_D_Semaine2, ChB_G_Mois, ChB_G_Semaine})
        connect(b, &QCheckBox::clicked, this, [this, b] {
            try {
                TermPairClick(b);
            } catch (...) {
                dataset::HandleEventException(std::current_exception());
            }
        });
    for (TSplitDate &d : m_dates) {
        d.day->installEventFilter(this);
        d.year->installEventFilter(this);
        d.month->installEventFilter(this);
        connect(d.day, &QLineEdit::textEdited, this, [this] { StoreDates(); });
        connect(d.year, &QLineEdit::textEdited, this, [this] { StoreDates(); });
        connect(d.month, &dataset::TMonthComboBox::MonthChosen, this, [this] { StoreDates(); });
    }
    connect(PC_Pages, &QTabWidget::currentChanged, this, [this] {
        CbMoisFill();
        RestoreDates();
    });
    connect(SpB_SelLocateur, &QAbstractButton::clicked, this, [this] {
        try {
            SpB_SelLocateurClick();
        } catch (...) {
            dataset::HandleEventException(std::current_exception());
        }
    });
}

void TBailStdForm::SetEnglishCaptions()
{
    // Captions the word list does not carry.
    const bool french = French();
    L_BailStdNobail->setText(french ? QStringLiteral("&Bail n°") : QStringLiteral("Lease &no."));
    Rg_LangueImp->setTitle(french ? QStringLiteral("&Langue d'impression") : QStringLiteral("&Printing language"));
    Rg_LangueImp->SetItems(french ? QStringList{QStringLiteral("&Français"), QStringLiteral("&Anglais")}
                                  : QStringList{QStringLiteral("French"), QStringLiteral("English")});
    PB_Annexe->setText(french ? QStringLiteral("Annexe...") : QStringLiteral("Schedule..."));
    SpB_SelLocateur->setToolTip(QString::fromUtf8(french ? m_layout->lessorHintFr : m_layout->lessorHintEn));
    // The help buttons show only their glyph: the hint says what they do.
    for (auto *b : findChildren<ui::TKelSpeedButton *>())
        if (b->property(kHelpButton).toBool())
            b->setToolTip(french ? QStringLiteral("Aide") : QStringLiteral("Help"));
    // The Oui/Non groups of the form (the printing language has its own captions).
    for (auto *g : findChildren<dataset::TDBRadioGroup *>())
        if (g != Rg_LangueImp)
            g->SetLanguage(dataset::WorkingLanguage());
    if (!french && L_Partie1)
        L_Partie1->setText(QStringLiteral("Part1 and part2 must be used together."));
    // The hints above name their buttons for assistive technologies.
    ui::NameControls(*this);
}

void TBailStdForm::SetCaption()
{
    const bool french = French();
    QString title = QString::fromUtf8(french ? m_layout->captionFr : m_layout->captionEn);
    if (m_elderly)
        title += french ? QStringLiteral(" - Personnes âgées ou handicapées")
                        : QStringLiteral(" - Elderly or handicapped persons");
    setWindowTitle(title);
}

// ---- Cursors and the lent toolbar ---------------------------------------------------

void TBailStdForm::Filter()
{
    const auto [low, high] = db::KindRange(Kind());
    BailStd.DisableControls();
    try {
        BailStd.SetRangeKeys(low, high);
    } catch (...) {
        BailStd.EnableControls();
        throw;
    }
    BailStd.EnableControls();
    EnableNobail();
    SeekAnnexe();
}

bool TBailStdForm::SeekAnnexe()
{
    const QString nobail = BailStd.FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed();
    if (nobail.isEmpty())
        return false;
    if (AnnexEditing()) // an Annex being typed is not moved away from
        return Annexe.FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed() == nobail;
    return Annexe.FindKey(nobail);
}

bool TBailStdForm::AnnexEditing() const
{
    return IsEditing(Annexe);
}

bool TBailStdForm::Editing() const
{
    return IsEditing(BailStd);
}

void TBailStdForm::EnableNobail()
{
    if (m_autoNumber)
        return;
    const bool numbered = !BailStd.FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed().isEmpty();
    E_BailStdNobail->setEnabled(!numbered);
}

void TBailStdForm::ChildActivated(ui::TToolbarHost &host)
{
    m_host = &host;
    dataset::TDBNavigator &navigator = host.Navigator();
    navigator.setEnabled(true);
    navigator.SetDataSource(&DsBailStd);
    navigator.BeforeAction = [this](TNavigateBtn button) { return NavigBeforeAction(button); };
    navigator.OnClick = [this](TNavigateBtn button) { NavigClick(button); };
    if (PrintHook()) {
        host.SetPrintAction([this] { PrintCurrentLease(false); });
        host.SetPreviewAction([this] { PrintCurrentLease(true); });
    } else {
        host.SetPrintAction({});
        host.SetPreviewAction({});
    }
    host.SetCopyAction([this] {
        try {
            CopyCurrentLease();
        } catch (...) {
            dataset::HandleEventException(std::current_exception());
        }
    });
    ResetMainHint();
    UpdatePrintCommands();
}

bool TBailStdForm::HostBound() const
{
    return m_host && m_host->Navigator().DataSource() == &DsBailStd;
}

void TBailStdForm::UpdatePrintCommands()
{
    if (HostBound())
        m_host->SetPrintCommandsEnabled(!Editing());
}

void TBailStdForm::PrintCurrentLease(bool preview)
{
    if (PrintHook() && !Editing())
        PrintHook()(*this, preview);
}

void TBailStdForm::ResetMainHint()
{
    QString text = db::Trim(BailStd.FieldByName(QStringLiteral("A_NOM1"))->AsString());
    const QString lessor = Locateur.Active() && !Locateur.IsEmpty()
                               ? db::Trim(Locateur.FieldByName(QStringLiteral("NOM"))->AsString())
                               : QString();
    if (!text.isEmpty() && !lessor.isEmpty())
        text += QStringLiteral(", ") + lessor;
    m_mainHint = text;
    if (HostBound() && !m_dateHint) // the date-format hint stays while a full date is typed
        m_host->SetStatusText(0, text);
}

// ---- Record life cycle --------------------------------------------------------------

void TBailStdForm::BailStdNewRecord()
{
    m_newLease = true;
    GenNobail();
}

void TBailStdForm::GenNobail()
{
    dataset::TField *nobail = BailStd.FieldByName(QStringLiteral("NOBAIL"));
    if (m_autoNumber && nobail->AsString().trimmed().isEmpty()) {
        nobail->SetAsString(db::ProposeLeaseNumber(*BailConf.EngineTable(), *BailStdVerif.EngineTable()));
    }
    BailConf.Refresh();
    const int defaultLessor = BailConf.IsEmpty() ? 0 : int(BailConf.FieldByName(QStringLiteral("NOLOCDEF"))->AsInteger());
    BailStd.DisableControls();
    try {
        db::SetNewLeaseDefaults(BailStd, Kind(), defaultLessor, WorkLanguage(), QDate::currentDate());
    } catch (...) {
        BailStd.EnableControls();
        throw;
    }
    BailStd.EnableControls();
}

void TBailStdForm::BailStdAfterInsert()
{
    // Whatever began the row (the navigator, typing into an empty table, picking a lessor),
    // the save reads the split dates: they must show the defaults or the save clears them.
    ShowNewRowDates();
    EnableNobail();
    UpdatePrintCommands();
}

void TBailStdForm::FocusBackAndAbort(QWidget *control)
{
    m_focusBack = control;
    dataset::Abort();
}

void TBailStdForm::RunExitStepHere()
{
    m_focusBack = nullptr;
    try {
        RunFocusedExitStep();
    } catch (const dataset::EAbort &) {
        if (m_focusBack) {
            ShowPageOf(m_focusBack);
            m_focusBack->setFocus();
        }
        throw;
    }
}

void TBailStdForm::BailStdBeforePost()
{
    if (!m_exitStepRan)
        RunExitStepHere();
    m_exitStepRan = false;
    ValidAllDateCustom();
    dataset::TField *nobail = BailStd.FieldByName(QStringLiteral("NOBAIL"));
    if (m_newLease) {
        if (m_autoNumber) {
            nobail->SetAsString(db::TakeAutomaticLeaseNumber(BailConf, BailStdVerif));
        } else {
            const db::TLeaseNumberCheck check = db::CheckManualLeaseNumber(nobail->AsString(), BailStdVerif);
            if (check != db::TLeaseNumberCheck::Ok) {
                ui::ShowMessageBox(QMessageBox::Warning, QStringLiteral("Attention"), db::LeaseNumberMessage(check),
                                   QMessageBox::Ok, QMessageBox::Ok, this);
                E_BailStdNobail->setEnabled(true);
                E_BailStdNobail->setFocus();
                dataset::Abort();
            }
        }
    }
    db::StampLeaseKey(BailStd, Kind());
}

void TBailStdForm::BailStdAfterPost()
{
    UpdatePrintCommands();
    AnnexePost();
    m_newLease = false;
    EnableNobail();
}

void TBailStdForm::BailStdBeforeCancel()
{
    if (AnnexEditing())
        Annexe.Cancel();
}

void TBailStdForm::BailStdAfterCancel()
{
    m_newLease = false;
    m_exitStepRan = false;
    m_rentEdited = false;
    EnableNobail();
    SeekAnnexe();
    UpdatePrintCommands();
    AjusteDates();
}

void TBailStdForm::BailStdBeforeDelete()
{
    if (ui::AskDeleteRecord(this) != QMessageBox::Yes)
        dataset::Abort();
    if (!m_elderly)
        return;
    // The lease row is held first, so its Annex row never goes while the lease stays.
    const bool wasEditing = Editing();
    BailStd.Edit();
    try {
        if (SeekAnnexe())
            Annexe.Delete();
    } catch (...) {
        if (!wasEditing)
            BailStd.Cancel();
        throw;
    }
}

bool TBailStdForm::NavigBeforeAction(TNavigateBtn button)
{
    m_exitStepRan = false;
    if (!Editing() || button == TNavigateBtn::Cancel || button == TNavigateBtn::Delete)
        return true;
    try {
        RunExitStepHere();
    } catch (...) {
        dataset::HandleEventException(std::current_exception());
        return false;
    }
    m_exitStepRan = true;
    return true;
}

void TBailStdForm::NavigClick(TNavigateBtn button)
{
    m_exitStepRan = false;
    try {
        switch (button) {
        case TNavigateBtn::First:
        case TNavigateBtn::Prior:
        case TNavigateBtn::Next:
        case TNavigateBtn::Last:
        case TNavigateBtn::Delete:
            EnableNobail();
            SeekAnnexe();
            AjusteDates();
            break;
        case TNavigateBtn::Insert:
            ResetPages();
            AjusteDates();
            break;
        case TNavigateBtn::Edit:
        case TNavigateBtn::Refresh:
            AjusteDates();
            break;
        case TNavigateBtn::Post:
            AnnexePost();
            EnableNobail();
            AjusteDates();
            break;
        case TNavigateBtn::Cancel:
            m_newLease = false;
            EnableNobail();
            if (AnnexEditing())
                Annexe.Cancel();
            SeekAnnexe();
            UpdatePrintCommands();
            AjusteDates();
            break;
        }
    } catch (...) {
        dataset::HandleEventException(std::current_exception());
    }
}

void TBailStdForm::AnnexePost()
{
    if (!AnnexEditing())
        return;
    Annexe.FieldByName(QStringLiteral("NOBAIL"))->SetAsString(BailStd.FieldByName(QStringLiteral("NOBAIL"))->AsString());
    Annexe.Post();
}

void TBailStdForm::ResetAnnexFields(QWidget *annexWindow)
{
    Annexe.DisableControls();
    try {
        for (int i = 0; i < Annexe.FieldCount(); ++i) {
            dataset::TField *f = Annexe.Fields(i);
            if (f->Calculated() || f->DataType() != dataset::TFieldType::Boolean)
                continue;
            bool answer = false;
            for (const char *name : kAnnexAnswers)
                answer = answer || f->FieldName() == QLatin1String(name);
            if (!answer)
                f->SetAsBoolean(false);
        }
    } catch (...) {
        Annexe.EnableControls();
        throw;
    }
    Annexe.EnableControls();
    if (annexWindow)
        for (QCheckBox *b : annexWindow->findChildren<QCheckBox *>())
            b->setChecked(false);
}

bool TBailStdForm::PrepareAnnexEdit()
{
    const QString nobail = BailStd.FieldByName(QStringLiteral("NOBAIL"))->AsString();
    if (AnnexEditing()) {
        Annexe.FieldByName(QStringLiteral("NOBAIL"))->SetAsString(nobail);
        return false;
    }
    if (SeekAnnexe()) {
        EnsureLeaseEditing();
        Annexe.Edit();
        return false;
    }
    EnsureLeaseEditing();
    Annexe.Insert();
    Annexe.FieldByName(QStringLiteral("NOBAIL"))->SetAsString(nobail);
    ResetAnnexFields();
    return true;
}

void TBailStdForm::PB_AnnexeClick()
{
    const bool isNew = PrepareAnnexEdit();
    std::optional<ui::TWaitCursor> wait(std::in_place);
    TAnnexeForm annex(this, Annexe);
    if (isNew)
        ResetAnnexFields(&annex);
    const bool namesLease = AnnexWindowNamesLease();
    if (namesLease)
        annex.setWindowTitle(QStringLiteral("%1 - [ %2, %3 ]")
                                 .arg(annex.windowTitle(), db::Trim(BailStd.FieldByName(QStringLiteral("NOBAIL"))->AsString()),
                                      db::Trim(BailStd.FieldByName(QStringLiteral("A_NOM1"))->AsString())));
    // The names in the status bar are the lease's; the Annex window has none of its own.
    if (HostBound())
        m_host->SetStatusText(0, QString());
    wait.reset(); // the window is worked in with the normal cursor
    annex.exec();
    if (namesLease)
        ResetMainHint();
}

void TBailStdForm::CopyCurrentLease()
{
    if (BailStd.State() != TDataSetState::Browse || BailStd.IsEmpty())
        return;
    const bool hasAnnex = m_elderly && SeekAnnexe();
    const QString number = db::CopyLease(BailStd, BailStdVerif, BailConf, hasAnnex ? &Annexe : nullptr, &AnnexePrint);
    BailStd.Refresh();
    BailStd.FindKey(db::LeaseKey(Kind(), number));
    EnableNobail();
    SeekAnnexe();
    AjusteDates();
    ResetMainHint();
    ui::ShowMessageBox(QMessageBox::Information, windowTitle(), Pick("Nouveau bail : ", "New Lease : ") + number,
                       QMessageBox::Ok, QMessageBox::Ok, this);
}

void TBailStdForm::GoToLease(const QString &key)
{
    if (BailStd.FindKey(key)) {
        EnableNobail();
        SeekAnnexe();
    }
    AjusteDates();
    ResetMainHint();
}

bool TBailStdForm::LeaveQuery()
{
    try {
        return FormCloseQuery();
    } catch (...) {
        // A save that failed keeps the lease shown with everything typed.
        m_exitStepRan = false;
        dataset::HandleEventException(std::current_exception());
        return false;
    }
}

void TBailStdForm::RelocateLessor()
{
    const long long number = BailStd.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger();
    Locateur.Refresh();
    if (number != 0)
        Locateur.FindKey(number);
    ResetMainHint();
}

bool TBailStdForm::EnsureLeaseEditing()
{
    if (BailStd.State() == TDataSetState::Browse)
        BailStd.Edit();
    return Editing();
}

void TBailStdForm::SpB_SelLocateurClick()
{
    const long long current = BailStd.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger();
    const std::optional<int> picked = TPickLocDlg::Pick(this, TPickLocDlg::TOwnerKind::Lease, current);
    if (!picked)
        return;
    EnsureLeaseEditing();
    BailStd.FieldByName(QStringLiteral("NOLOCATEUR"))->SetAsInteger(*picked);
    ResetMainHint();
}

// ---- Closing --------------------------------------------------------------------------

bool TBailStdForm::FormCloseQuery()
{
    if (!Editing() && !AnnexEditing())
        return true;
    switch (ui::AskKeepChanges(this)) {
    case QMessageBox::Yes:
        if (Editing()) {
            RunExitStepHere();
            m_exitStepRan = true;
            BailStd.Post();
        }
        AnnexePost();
        return true;
    case QMessageBox::No:
        if (AnnexEditing())
            Annexe.Cancel();
        BailStd.Cancel();
        return true;
    default:
        return false;
    }
}

void TBailStdForm::FormClose()
{
    if (HostBound())
        m_host->ResetToolbar();
    m_host = nullptr;
}

void TBailStdForm::closeEvent(QCloseEvent *event)
{
    try {
        if (!FormCloseQuery()) {
            event->ignore();
            return;
        }
        FormClose();
    } catch (...) {
        // A save that failed keeps the window open with everything typed.
        m_exitStepRan = false;
        event->ignore();
        dataset::HandleEventException(std::current_exception());
        return;
    }
    event->accept();
}

} // namespace entry
