#include "printout/PrinterSetup.h"

#include "dataset/Common.h"
#include "printout/PaperCheck.h"
#include "printout/Printer.h"
#include "ui/MessageBoxes.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace printout {

namespace {

QString Pick(const char *french, const char *english)
{
    return QString::fromUtf8(dataset::WorkingLanguage() == QLatin1Char('F') ? french : english);
}

// The trays a job may ask for, by Qt's numbering; 0 leaves the choice to the printer.
struct TSource {
    int source;
    const char *french;
    const char *english;
};
const TSource kSources[] = {
    {0, "Par défaut de l'imprimante", "Printer default"},
    {QPrinter::Auto, "Sélection automatique", "Automatic selection"},
    {QPrinter::Lower, "Bac inférieur", "Lower tray"},
    {QPrinter::Middle, "Bac du milieu", "Middle tray"},
    {QPrinter::Manual, "Alimentation manuelle", "Manual feed"},
    {QPrinter::Envelope, "Enveloppes", "Envelopes"},
    {QPrinter::LargeCapacity, "Grande capacité", "Large capacity"},
};

} // namespace

TPrinterSetupDialog::TPrinterSetupDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(Pick("Configuration de l'impression", "Printer setup"));
    const TPrinter &current = ApplicationPrinter();

    auto *printerBox = new QGroupBox(Pick("Imprimante", "Printer"), this);
    CB_Imprimante = new QComboBox(printerBox);
    CB_Imprimante->setObjectName(QStringLiteral("CB_Imprimante"));
    const QStringList names = QPrinterInfo::availablePrinterNames();
    for (const QString &name : names)
        CB_Imprimante->addItem(name, name);
    if (names.isEmpty()) {
        CB_Imprimante->addItem(Pick("Aucune imprimante installée", "No printer installed"), QString());
        CB_Imprimante->setEnabled(false);
    } else {
        const int at = CB_Imprimante->findData(current.Name());
        CB_Imprimante->setCurrentIndex(at >= 0 ? at : 0);
    }
    auto *printerForm = new QFormLayout(printerBox);
    printerForm->addRow(Pick("&Nom :", "&Name:"), CB_Imprimante);

    auto *paperBox = new QGroupBox(Pick("Papier", "Paper"), this);
    CB_Papier = new QComboBox(paperBox);
    CB_Papier->setObjectName(QStringLiteral("CB_Papier"));
    for (int code : StandardPaperCodes())
        CB_Papier->addItem(PageSizeOf(TPaper{code, kPortrait, 0, 0}).name(), code);
    const TPaper paper = current.Paper();
    if (paper.sizeCode == kPaperCustom && PageSizeOf(paper).isValid()) {
        m_customWidth = paper.width;
        m_customLength = paper.length;
        CB_Papier->addItem(Pick("Personnalisé (%1 × %2 mm)", "Custom (%1 × %2 mm)")
                               .arg(paper.width / 10.0, 0, 'f', 1)
                               .arg(paper.length / 10.0, 0, 'f', 1),
                           kPaperCustom);
    }
    const int paperAt = CB_Papier->findData(paper.sizeCode);
    CB_Papier->setCurrentIndex(paperAt >= 0 ? paperAt : 0);
    CB_Source = new QComboBox(paperBox);
    CB_Source->setObjectName(QStringLiteral("CB_Source"));
    for (const TSource &s : kSources)
        CB_Source->addItem(Pick(s.french, s.english), s.source);
    const int sourceAt = CB_Source->findData(current.PaperSource());
    CB_Source->setCurrentIndex(sourceAt >= 0 ? sourceAt : 0);
    auto *paperForm = new QFormLayout(paperBox);
    paperForm->addRow(Pick("&Format :", "Si&ze:"), CB_Papier);
    paperForm->addRow(Pick("&Source :", "&Source:"), CB_Source);

    auto *orientationBox = new QGroupBox(Pick("Orientation", "Orientation"), this);
    RB_Portrait = new QRadioButton(Pick("&Portrait", "P&ortrait"), orientationBox);
    RB_Portrait->setObjectName(QStringLiteral("RB_Portrait"));
    RB_Paysage = new QRadioButton(Pick("Pa&ysage", "&Landscape"), orientationBox);
    RB_Paysage->setObjectName(QStringLiteral("RB_Paysage"));
    (paper.orientation == kLandscape ? RB_Paysage : RB_Portrait)->setChecked(true);
    auto *orientationRow = new QHBoxLayout(orientationBox);
    orientationRow->addWidget(RB_Portrait);
    orientationRow->addWidget(RB_Paysage);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setText(Pick("OK", "OK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(Pick("Annuler", "Cancel"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *column = new QVBoxLayout(this);
    column->addWidget(printerBox);
    column->addWidget(paperBox);
    column->addWidget(orientationBox);
    column->addWidget(m_buttons);
}

void TPrinterSetupDialog::accept()
{
    if (Apply())
        QDialog::accept();
}

bool TPrinterSetupDialog::Apply()
{
    const QString name = CB_Imprimante->currentData().toString();
    const int code = CB_Papier->currentData().toInt();
    const TPaper paper{code, RB_Paysage->isChecked() ? kLandscape : kPortrait, code == kPaperCustom ? m_customWidth : 0,
                       code == kPaperCustom ? m_customLength : 0};
    // The choice is made on a copy: the application printer changes only when all of it holds.
    std::unique_ptr<TPrinter> chosen;
    const TPrinter &current = ApplicationPrinter();
    if (!name.isEmpty() && name.compare(current.Name(), Qt::CaseInsensitive) != 0) {
        chosen = TPrinter::Named(name);
        if (!chosen) {
            ui::ShowMessageBox(QMessageBox::Warning, windowTitle(),
                               Pick("L'imprimante « %1 » n'est plus disponible.", "The printer \"%1\" is no longer available.")
                                   .arg(name),
                               QMessageBox::Ok, QMessageBox::Ok);
            return false;
        }
        chosen->CopyJobSettings(current);
    } else {
        chosen = current.Clone();
    }
    if (!chosen->SetPaper(paper)) {
        ui::ShowMessageBox(QMessageBox::Warning, windowTitle(),
                           Pick("L'imprimante n'offre pas ce format de papier.", "The printer does not offer this paper size."),
                           QMessageBox::Ok, QMessageBox::Ok);
        return false;
    }
    chosen->SetPaperSource(CB_Source->currentData().toInt());
    SetApplicationPrinter(std::move(chosen));
    return true;
}

} // namespace printout
