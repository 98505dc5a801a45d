#include "forms/Printbat.h"

#include "dataset/Common.h"
#include "dataset/DBGrid.h"
#include "dataset/Field.h"
#include "db/FieldProps.h"
#include "db/Schema.h"
#include "db/Settings.h"
#include "forms/BatchJob.h"
#include "forms/FormPrims.h"
#include "forms/PrintCommand.h"
#include "printout/Printer.h"
#include "printout/Printout.h"
#include "ui/Kelgrid.h"
#include "ui/MessageBoxes.h"
#include "ui/WaitCursor.h"

#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>

#include <optional>

namespace forms {

namespace {

std::function<void(int)> &HelpHook()
{
    static std::function<void(int)> hook;
    return hook;
}

// Captions of the form (French) and those set for an English working language.
struct TCaption {
    const char *control;
    const char *french;
    const char *english; // nullptr: not translated
};

const TCaption kCaptions[] = {
    {"Instruction",
     "Cliquez sur la boîte de sélection ou appuyez sur Retour ou sur la barre d'espacement pour sélectionner les "
     "baux à imprimer.",
     "Press Return or Space bar or click on the checkbox to select the leases you wish to print."},
    {"RGLocateur", "Propriétaire (Locateur)", "Landlord"},
    {"Tous", "&Tous", "&All"},
    {"Particulier", "&Particulier", "Par&ticular"},
    {"SelectAll", "Sé&lectionner tous", "&Select all"},
    {"UnSelectAll", "&Annuler sélection", "&Cancel selection"},
    {"BtnPreview", "&Pré-visualiser", nullptr},
    {"PrintBtn", "&Imprimer...", "&Print"},
    {"CloseBtn", "&Sortie", "&Close"},
};

// The grid's columns, in order; width in characters.
struct TGridColumn {
    const char *field;
    const char *french;
    const char *english;
    int width;
};

const TGridColumn kColumns[] = {
    {"Select", " ", " ", 2}, // the caption is blank: a space, as an empty one means the field's name
    {"LocateurStr", "Propriétaire (Locateur)", "Landlord", 16},
    {"NOBAIL", "N° Bail", "Lease no.", 8},
    {"A_NOM1", "Nom", "Name", 15},
    {"A_NO1", "No", "No.", 5},
    {"A_RUE1", "Rue", "Street", 13},
    {"A_APP1", "App.", "Apt.", 4},
    {"A_MUNIC1", "Municipalité", "Municipality", 12},
};
constexpr int kSelectColumn = 1;       // grid columns count from the indicator column
constexpr int kNumberColumnIndex = 2;  // NOBAIL among the data columns

void SetCaption(QWidget *control, const QString &text)
{
    if (auto *b = qobject_cast<QAbstractButton *>(control))
        b->setText(text);
    else if (auto *l = qobject_cast<QLabel *>(control))
        l->setText(text);
    else if (auto *g = qobject_cast<QGroupBox *>(control))
        g->setTitle(text);
}

void OpenOn(dataset::TTable &t, const char *name, const char *file, const char *tag)
{
    t.setObjectName(QLatin1String(name));
    if (t.Active())
        return;
    t.SetDatabaseName(QLatin1String(db::kDatabaseName));
    t.SetTableName(QLatin1String(file));
    t.SetIndexName(QLatin1String(tag));
    t.SetReadOnly(true);
    t.Open();
    db::ApplyFieldProperties(t);
}

// Everything a print or preview run changes, put back on every way out.
class TRunState {
public:
    TRunState(QWidget &dialog, dataset::TTable &leases, dataset::TTable &lessors)
        : m_dialog(dialog)
        , m_leases(leases)
        , m_lessors(lessors)
    {
        m_leases.DisableControls();
    }
    ~TRunState()
    {
        m_wait.reset();
        m_dialog.setEnabled(true);
        try {
            m_lessors.SetIndexName(QStringLiteral("NOLOCATEUR"));
        } catch (...) {
            // The run's own error is the one the user hears about.
        }
        m_leases.EnableControls();
    }
    void EndWait() { m_wait.reset(); }

private:
    QWidget &m_dialog;
    dataset::TTable &m_leases;
    dataset::TTable &m_lessors;
    std::optional<ui::TWaitCursor> m_wait{std::in_place};
};

} // namespace

void TPrintBatch::SetHelpHook(std::function<void(int topic)> hook)
{
    HelpHook() = std::move(hook);
}

TPrintBatch::TPrintBatch(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("PrintBatch"));
    setWindowTitle(QStringLiteral("Impression en lot"));
    setFixedSize(620, 416);

    auto button = [this](const char *name, const QRect &r) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(r);
        b->setAutoDefault(false);
        return b;
    };
    Instruction = new QLabel(this);
    Instruction->setObjectName(QStringLiteral("Instruction"));
    Instruction->setWordWrap(true);
    Instruction->setGeometry(10, 6, 600, 34);
    RGLocateur = new QGroupBox(this);
    RGLocateur->setObjectName(QStringLiteral("RGLocateur"));
    RGLocateur->setGeometry(10, 42, 340, 56);
    Tous = new QRadioButton(RGLocateur);
    Tous->setObjectName(QStringLiteral("Tous"));
    Tous->setGeometry(10, 24, 70, 22);
    Tous->setChecked(true);
    Particulier = new QRadioButton(RGLocateur);
    Particulier->setObjectName(QStringLiteral("Particulier"));
    Particulier->setGeometry(84, 24, 96, 22);
    CBLocateur = new QComboBox(RGLocateur);
    CBLocateur->setObjectName(QStringLiteral("CBLocateur"));
    CBLocateur->setGeometry(184, 22, 148, 26);
    SelectAll = button("SelectAll", QRect(362, 60, 120, 30));
    UnSelectAll = button("UnSelectAll", QRect(490, 60, 120, 30));
    KelDBGrid1 = new ui::TKelDBGrid(this);
    KelDBGrid1->setObjectName(QStringLiteral("KelDBGrid1"));
    KelDBGrid1->setGeometry(10, 106, 600, 232);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setGeometry(10, 346, 600, 18);
    BtnPreview = button("BtnPreview", QRect(298, 374, 100, 30));
    PrintBtn = button("PrintBtn", QRect(404, 374, 100, 30));
    CloseBtn = button("CloseBtn", QRect(510, 374, 100, 30));

    FormCreate();

    connect(Tous, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Guarded([this] { TousClick(); });
    });
    connect(Particulier, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Guarded([this] { ParticulierClick(); });
    });
    connect(CBLocateur, &QComboBox::currentIndexChanged, this, [this] { Guarded([this] { CBLocateurChange(); }); });
    connect(SelectAll, &QPushButton::clicked, this, [this] { Guarded([this] { SelectAllClick(SelectAll); }); });
    connect(UnSelectAll, &QPushButton::clicked, this, [this] { Guarded([this] { SelectAllClick(UnSelectAll); }); });
    connect(PrintBtn, &QPushButton::clicked, this, [this] { Guarded([this] { PrintBtnClick(PrintBtn); }); });
    connect(BtnPreview, &QPushButton::clicked, this, [this] { Guarded([this] { PrintBtnClick(BtnPreview); }); });
    connect(CloseBtn, &QPushButton::clicked, this, [this] { CloseBtnClick(); });
    KelDBGrid1->OnClickCell = [this](ui::TKelDBGrid &, int column, int row) {
        Guarded([&] { KelDBGrid1CLickCell(column, row); });
    };
    KelDBGrid1->OnKeyDown = [this](ui::TKelDBGrid &, QKeyEvent *event) {
        bool handled = false;
        Guarded([&] { handled = BailStdGridKeyDown(event); });
        return handled;
    };
    KelDBGrid1->OnDrawDataCell = [this](ui::TKelDBGrid &, QPainter &painter, const QRect &rect, int column, int row) {
        BailStdGridDrawDataCell(painter, rect, column, row);
    };
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] {
        if (HelpHook())
            HelpHook()(kHelpContext);
    });

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    KelDBGrid1->setFocus();
}

TPrintBatch::~TPrintBatch()
{
    // The grid stops reading the leases before the cursors close.
    KelDBGrid1->SetDataSource(nullptr);
    BailStd.SetMasterSource(nullptr);
}

void TPrintBatch::FormCreate()
{
    m_check = ui::CheckBoxPicture(true);
    m_uncheck = ui::CheckBoxPicture(false);

    // The lessors first: the grid's lessor-name column reads their names.
    OpenOn(Locateur, "Locateur", "LOCATEUR.dbf", "NOLOCATEUR");
    DsLocateur.SetDataSet(&Locateur);
    for (Locateur.First(); !Locateur.Eof(); Locateur.Next()) {
        const long long number = Locateur.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger();
        const QString name = Locateur.FieldByName(QStringLiteral("NOM"))->AsString().trimmed();
        m_lessorNames.insert(number, name);
        CBLocateur->addItem(name, number);
    }
    Locateur.First();

    BailStd.setObjectName(QStringLiteral("BailStd"));
    if (!BailStd.Active()) {
        BailStd.AddCalcField(QStringLiteral("Select"), dataset::TFieldType::String, 2);
        BailStd.AddCalcField(QStringLiteral("LocateurStr"), dataset::TFieldType::String, 50);
        BailStd.OnCalcFields = [this](dataset::TTable &) { BailStdCalcFields(); };
    }
    OpenOn(BailStd, "BailStd", "BAILSTD.DBF", "NOBAIL");
    for (const char *hidden : {"NOLOCATEUR", "BAILAHCOOP"})
        BailStd.FieldByName(QLatin1String(hidden))->SetVisible(false);
    OpenOn(BailStdPrt, "BailStdPrt", "BAILSTD.DBF", "NOBAIL");
    OpenOn(Annexe, "Annexe", "ANNEXE.DBF", "NOBAIL");
    DsBailStd.SetDataSet(&BailStd);

    const bool english = db::WorkingLanguage() == QLatin1String("A");
    for (const TCaption &c : kCaptions)
        SetCaption(findChild<QWidget *>(QLatin1String(c.control)), QString::fromUtf8(c.french));
    std::vector<dataset::TColumn> columns;
    for (const TGridColumn &c : kColumns)
        columns.push_back({QLatin1String(c.field), QString::fromUtf8(english ? c.english : c.french), c.width});
    KelDBGrid1->SetColumns(columns);
    KelDBGrid1->SetDataSource(&DsBailStd);
    if (english)
        ApplyEnglishCaptions();

    if (CBLocateur->count() > 0)
        CBLocateur->setCurrentIndex(0);
    else
        Particulier->setEnabled(false);
    TousClick();
}

void TPrintBatch::ApplyEnglishCaptions()
{
    for (const TCaption &c : kCaptions)
        if (c.english)
            SetCaption(findChild<QWidget *>(QLatin1String(c.control)), QString::fromUtf8(c.english));
}

void TPrintBatch::Guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (...) {
        dataset::HandleEventException(std::current_exception());
    }
}

void TPrintBatch::TousClick()
{
    BailStd.SetMasterSource(nullptr);
    BailStd.SetIndexName(QStringLiteral("NOBAIL"));
    CBLocateur->setEnabled(false);
}

void TPrintBatch::ParticulierClick()
{
    CBLocateurChange();
}

void TPrintBatch::CBLocateurChange()
{
    if (!Particulier->isChecked())
        return;
    CBLocateur->setEnabled(true);
    // By number rather than by name: two lessors may bear the same name.
    const QVariant number = CBLocateur->currentData();
    if (number.isValid())
        Locateur.FindKey(number.toLongLong());
    BailStd.SetIndexName(QStringLiteral("NOLOCATEUR"));
    BailStd.SetMasterFields(QStringLiteral("NOLOCATEUR"));
    if (BailStd.MasterSource() != &DsLocateur)
        BailStd.SetMasterSource(&DsLocateur);
}

void TPrintBatch::BailStdCalcFields()
{
    BailStd.FieldByName(QStringLiteral("Select"))->SetAsString(QString());
    BailStd.FieldByName(QStringLiteral("LocateurStr"))
        ->SetAsString(BailStdLocateurGetText(BailStd.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger()));
}

QString TPrintBatch::BailStdLocateurGetText(long long lessor) const
{
    return m_lessorNames.value(lessor);
}

QString TPrintBatch::RowNumber(int gridRow) const
{
    return KelDBGrid1->RowTexts(gridRow - 1).value(kNumberColumnIndex).trimmed();
}

void TPrintBatch::BailStdGridDrawDataCell(QPainter &painter, const QRect &rect, int column, int row)
{
    if (column != kSelectColumn)
        return;
    painter.setPen(Instruction->palette().color(QPalette::Button));
    painter.setBrush(Instruction->palette().color(Instruction->backgroundRole()));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    const QImage &picture = m_selected.contains(RowNumber(row)) ? m_check : m_uncheck;
    painter.drawImage(rect.topLeft() + QPoint(2, 2), picture);
}

void TPrintBatch::ToggleCurrent()
{
    if (!BailStd.Active() || BailStd.IsEmpty())
        return;
    const QString number = BailStd.FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed();
    if (number.isEmpty())
        return;
    if (m_selected.remove(number))
        m_selection.removeOne(number);
    else {
        m_selected.insert(number);
        m_selection.append(number);
    }
    KelDBGrid1->InvalidateCell(kSelectColumn, KelDBGrid1->CurrentRow() + 1);
}

bool TPrintBatch::BailStdGridKeyDown(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ToggleCurrent();
        return true;
    default:
        return false;
    }
}

void TPrintBatch::KelDBGrid1CLickCell(int column, int row)
{
    if (column == kSelectColumn && row > 0)
        ToggleCurrent();
}

void TPrintBatch::SelectAllClick(QPushButton *sender)
{
    const bool select = sender == SelectAll;
    ui::TWaitCursor wait;
    BailStd.DisableControls();
    try {
        for (BailStd.First(); !BailStd.Eof(); BailStd.Next()) {
            const QString number = BailStd.FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed();
            if (number.isEmpty())
                continue;
            if (select && !m_selected.contains(number)) {
                m_selected.insert(number);
                m_selection.append(number);
            } else if (!select && m_selected.remove(number)) {
                m_selection.removeOne(number);
            }
        }
        BailStd.First();
    } catch (...) {
        BailStd.EnableControls();
        throw;
    }
    BailStd.EnableControls();
    KelDBGrid1->viewport()->update();
}

void TPrintBatch::PrintBtnClick(QPushButton *sender)
{
    const bool preview = sender == BtnPreview;
    if (m_selection.isEmpty()) {
        const bool french = db::IsFrench(db::WorkingLanguage());
        ui::ShowMessageBox(QMessageBox::Information, french ? QStringLiteral("Attention") : QStringLiteral("Warning"),
                           french ? QStringLiteral("Il n'y a aucun bail à imprimer!")
                                  : QStringLiteral("There is no lease to print!"),
                           QMessageBox::Ok, QMessageBox::Ok, this);
        return;
    }
    if (!preview) {
        // The job is the whole selection: the dialog offers that range and starts on it.
        if (QPrinter *device = printout::ApplicationPrinter().Device()) {
            QPrintDialog PrintDialogBatch(device, this);
            PrintDialogBatch.setObjectName(QStringLiteral("PrintDialogBatch"));
            PrintDialogBatch.setOption(QAbstractPrintDialog::PrintSelection, true);
            PrintDialogBatch.setOption(QAbstractPrintDialog::PrintPageRange, false);
            PrintDialogBatch.setPrintRange(QAbstractPrintDialog::Selection);
            if (!RunLeasePrintDialog(PrintDialogBatch))
                return;
        }
    }

    TRunState state(*this, BailStd, Locateur);
    BailStdPrt.SetIndexName(QStringLiteral("NOBAIL"));
    Locateur.SetIndexName(QStringLiteral("NOLOCATEUR"));
    const QString title = db::PickWorkText(QStringLiteral("Bail de la Ostrevane"), QStringLiteral("Lease of the Ostrevane"));
    // A preview outlives the dialog: its printout belongs to the main window.
    auto printout = std::make_unique<printout::TPrintout>(preview ? parentWidget() : this, false, title);
    printout->SetPageColor(0x00FFFFFF);
    printout->SetCopies(LeasePrintCopies());
    CalibrateFormFonts();
    setEnabled(false);

    std::optional<long long> filter;
    if (Particulier->isChecked() && CBLocateur->currentData().isValid()) {
        filter = CBLocateur->currentData().toLongLong();
        Locateur.FindKey(*filter);
    }
    ProgressBar->setValue(0);
    auto result = std::make_unique<TBatchResult>(
        PrintBatch(m_selection, filter, BailStdPrt, Locateur, Annexe, *printout, [this](int done, int count) {
            const int value = done * 100 / count;
            if (value != ProgressBar->value()) {
                ProgressBar->setValue(value);
                ProgressBar->repaint();
            }
        }));
    ProgressBar->setValue(100);
    m_lastResult = std::move(result);

    // A kind this build cannot draw is said, not left out silently.
    const QStringList undrawn = m_lastResult->Numbers(TBatchOutcome::NoPages);
    if (printout->PageCount() > 0) {
        if (preview) {
            ShowLeasePreview(this, std::move(printout));
        } else {
            try {
                printout->Print();
            } catch (const printout::EPrintError &e) {
                state.EndWait();
                ui::ErrorBox(e.Message(), this);
            }
        }
    }
    if (!undrawn.isEmpty()) {
        state.EndWait();
        ui::ShowMessageBox(
            QMessageBox::Warning, db::PickWorkText(QStringLiteral("Attention"), QStringLiteral("Warning")),
            db::PickWorkText(QStringLiteral("Ces baux n'ont pas été imprimés, leur formulaire ne pouvant pas être dessiné "
                                            "par cette version du programme : %1"),
                             QStringLiteral("These leases were not printed, as this version of the program cannot draw "
                                            "their form: %1"))
                .arg(undrawn.join(QStringLiteral(", "))),
            QMessageBox::Ok, QMessageBox::Ok, this);
    }
}

void TPrintBatch::CloseBtnClick()
{
    reject();
}

void TPrintBatch::FormClose()
{
    m_check = QImage();
    m_uncheck = QImage();
    m_selection.clear();
    m_selected.clear();
}

void TPrintBatch::keyPressEvent(QKeyEvent *event)
{
    // Escape is the cancel key of the selection, not of the dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (UnSelectAll->isEnabled())
            UnSelectAll->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TPrintBatch::done(int result)
{
    if (!FormCloseQuery())
        return;
    FormClose();
    QDialog::done(result);
}

} // namespace forms
