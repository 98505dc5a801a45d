#include "app/Config.h"

#include "dataset/Common.h"
#include "dataset/DBCheckBox.h"
#include "dataset/DBEdit.h"
#include "dataset/DBRadioGroup.h"
#include "dataset/Field.h"
#include "db/FieldProps.h"
#include "db/Schema.h"
#include "db/Settings.h"
#include "dbase/EngineError.h"
#include "entry/Pickloc.h"
#include "ui/MessageBoxes.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace app {

using dataset::TDataSetState;

namespace {

constexpr int kCounterDigits = 8;

bool French()
{
    return dataset::WorkingLanguage() == QLatin1Char('F');
}

bool Editing(const dataset::TTable &t)
{
    return t.State() == TDataSetState::Edit || t.State() == TDataSetState::Insert;
}

} // namespace

TConfigForm::TConfigForm(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("ConfigForm"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("Configuration"));
    resize(478, 409);

    BailConf.setObjectName(QStringLiteral("BailConf"));
    BailConf.SetDatabaseName(QLatin1String(db::kDatabaseName));
    BailConf.SetTableName(QStringLiteral("Bailconf.dbf"));
    DsBailConf.SetDataSet(&BailConf);
    Locateur.setObjectName(QStringLiteral("Locateur"));
    Locateur.SetDatabaseName(QLatin1String(db::kDatabaseName));
    Locateur.SetTableName(QStringLiteral("LOCATEUR.dbf"));
    Locateur.SetIndexFieldNames(QStringLiteral("NOLOCATEUR"));
    Locateur.SetReadOnly(true);
    DsLocateur.SetDataSet(&Locateur);

    OpenConfiguration();
    if (m_opened) {
        db::ApplyFieldProperties(BailConf);
        Locateur.SetMasterSource(&DsBailConf);
        Locateur.SetMasterFields(QStringLiteral("NOLOCDEF"));
        Locateur.Open();
    }
    CreateControls();
    if (!French())
        SetEnglishTexts();
    UpdateNoBailLook();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TConfigForm::~TConfigForm() = default;

void TConfigForm::OpenConfiguration()
{
    BailConf.Close();
    m_opened = false;
    for (;;) {
        try {
            BailConf.Open();
            // A row held by another user would refuse every change: find out now.
            if (!BailConf.IsEmpty()) {
                BailConf.Edit();
                BailConf.Cancel();
            }
            m_opened = true;
            return;
        } catch (const dbase::EDBEngineError &) {
            BailConf.Close();
            const bool french = French();
            const auto answer = ui::ShowMessageBox(
                QMessageBox::Question, french ? QStringLiteral("Attention") : QStringLiteral("Warning"),
                french ? QStringLiteral("Le fichier de configuration déjà ouvert par une autre application ou un autre\r"
                                        "usager du réseau.\r\rVoulez-vous réessayer ?")
                       : QStringLiteral("The configuration file is being used by another application \r"
                                        "or network user.\r\rDo you want to retry ?"),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, parentWidget());
            if (answer != QMessageBox::Yes)
                return;
        }
    }
}

void TConfigForm::CreateControls()
{
    RG_LangueTrav = new dataset::TDBRadioGroup(this);
    RG_LangueTrav->setObjectName(QStringLiteral("RG_LangueTrav"));
    RG_LangueTrav->setTitle(QStringLiteral("&Langue de travail"));
    RG_LangueTrav->SetItems({QStringLiteral("Français"), QStringLiteral("Anglais")});
    RG_LangueTrav->SetValues({QStringLiteral("F"), QStringLiteral("A")});
    RG_LangueTrav->SetDataSource(&DsBailConf);
    RG_LangueTrav->SetDataField(QStringLiteral("LANGUETRAV"));

    Gb_NumeroBail = new QGroupBox(QStringLiteral("&Numéro de bail"), this);
    Gb_NumeroBail->setObjectName(QStringLiteral("Gb_NumeroBail"));
    L_Nobail = new QLabel(QStringLiteral("À partir de"), Gb_NumeroBail);
    L_Nobail->setObjectName(QStringLiteral("L_Nobail"));
    E_NoBail = new dataset::TDBEdit(Gb_NumeroBail);
    E_NoBail->setObjectName(QStringLiteral("E_NoBail"));
    E_NoBail->SetDataSource(&DsBailConf);
    E_NoBail->SetDataField(QStringLiteral("NOBAIL"));
    E_NoBail->installEventFilter(this);
    L_Nobail->setBuddy(E_NoBail);
    L_Genauto = new QLabel(QStringLiteral("Génération automatique"), Gb_NumeroBail);
    L_Genauto->setObjectName(QStringLiteral("L_Genauto"));
    ChB_GenAuto = new dataset::TDBCheckBox(Gb_NumeroBail);
    ChB_GenAuto->setObjectName(QStringLiteral("ChB_GenAuto"));
    ChB_GenAuto->SetDataSource(&DsBailConf);
    ChB_GenAuto->SetDataField(QStringLiteral("GENAUTO"));
    auto *numbering = new QGridLayout(Gb_NumeroBail);
    numbering->addWidget(L_Nobail, 0, 0);
    numbering->addWidget(E_NoBail, 0, 1);
    numbering->addWidget(L_Genauto, 1, 0);
    numbering->addWidget(ChB_GenAuto, 1, 1);
    numbering->setColumnStretch(1, 1);

    HelpLabel = new QLabel(QStringLiteral("Veuillez noter que la langue de travail s'applique à l'affichage de l'écran "
                                          "seulement tandis que la langue demandée à la saisie du bail permettra "
                                          "d'imprimer le bail dans la langue désirée."),
                           this);
    HelpLabel->setObjectName(QStringLiteral("HelpLabel"));
    HelpLabel->setWordWrap(true);
    HelpLabel->setFrameShape(QFrame::StyledPanel);
    HelpLabel->setMargin(6);

    Gb_NoLocDef = new QGroupBox(QStringLiteral("Locateur par &défaut"), this);
    Gb_NoLocDef->setObjectName(QStringLiteral("Gb_NoLocDef"));
    E_Locateur_Nom = new dataset::TDBEdit(Gb_NoLocDef);
    E_Locateur_Nom->setObjectName(QStringLiteral("E_Locateur_Nom"));
    E_Locateur_Nom->SetDataSource(&DsLocateur);
    E_Locateur_Nom->SetDataField(QStringLiteral("NOM"));
    E_Locateur_Nom->setEnabled(false);
    Pb_SelLocateur = new QToolButton(Gb_NoLocDef);
    Pb_SelLocateur->setObjectName(QStringLiteral("Pb_SelLocateur"));
    Pb_SelLocateur->setText(QStringLiteral("..."));
    Pb_SelLocateur->setToolTip(QStringLiteral("Sélection du locateur"));
    auto *lessor = new QHBoxLayout(Gb_NoLocDef);
    lessor->addWidget(E_Locateur_Nom, 1);
    lessor->addWidget(Pb_SelLocateur);

    GB_Impression = new QGroupBox(QStringLiteral("&Impression"), this);
    GB_Impression->setObjectName(QStringLiteral("GB_Impression"));
    Chb_SaveToner = new dataset::TDBCheckBox(GB_Impression);
    Chb_SaveToner->setObjectName(QStringLiteral("Chb_SaveToner"));
    Chb_SaveToner->SetDataSource(&DsBailConf);
    Chb_SaveToner->SetDataField(QStringLiteral("SAVETONER"));
    // The bound box is captionless: its text is a label beside it.
    L_SaveToner = new QLabel(QStringLiteral("Économiser la cartouche d'imprimante"), GB_Impression);
    L_SaveToner->setObjectName(QStringLiteral("L_SaveToner"));
    L_SaveToner->setBuddy(Chb_SaveToner);
    auto *printing = new QHBoxLayout(GB_Impression);
    printing->addWidget(Chb_SaveToner);
    printing->addWidget(L_SaveToner, 1);

    Pb_Ok = new QPushButton(QStringLiteral("&Ok"), this);
    Pb_Ok->setObjectName(QStringLiteral("Pb_Ok"));
    Pb_Ok->setDefault(true);
    Pb_Annuler = new QPushButton(QStringLiteral("&Annuler"), this);
    Pb_Annuler->setObjectName(QStringLiteral("Pb_Annuler"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(RG_LangueTrav);
    layout->addWidget(Gb_NumeroBail);
    layout->addWidget(HelpLabel);
    layout->addWidget(Gb_NoLocDef);
    layout->addWidget(GB_Impression);
    layout->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Pb_Ok);
    buttons->addWidget(Pb_Annuler);
    layout->addLayout(buttons);

    // Handlers run inside Qt's event loop: their failures go to the application's handler.
    auto guarded = [](auto fn) {
        return [fn]() {
            try {
                fn();
            } catch (...) {
                dataset::HandleEventException(std::current_exception());
            }
        };
    };
    connect(Pb_Ok, &QPushButton::clicked, this, guarded([this] { Pb_OkClick(); }));
    connect(Pb_Annuler, &QPushButton::clicked, this, guarded([this] { Pb_AnnulerClick(); }));
    connect(Pb_SelLocateur, &QToolButton::clicked, this, guarded([this] { Pb_SelLocateurClick(); }));
    connect(&DsBailConf, &dataset::TDataSource::DataChanged, this, [this](dataset::TField *) { UpdateNoBailLook(); });
}

void TConfigForm::SetEnglishTexts()
{
    RG_LangueTrav->setTitle(QStringLiteral("L&anguage"));
    RG_LangueTrav->SetItems({QStringLiteral("French"), QStringLiteral("English")});
    Gb_NumeroBail->setTitle(QStringLiteral("&Lease number"));
    L_Nobail->setText(QStringLiteral("Starting from"));
    L_Genauto->setText(QStringLiteral("Automatic generation"));
    HelpLabel->setText(QStringLiteral("Please note that the language applies to screen only while the language field "
                                      "on the lease form lets you print the lease with the selected language."));
    Gb_NoLocDef->setTitle(QStringLiteral("&Default lessor"));
    Pb_SelLocateur->setToolTip(QStringLiteral("Lessor selection"));
    GB_Impression->setTitle(QStringLiteral("&Printing"));
    L_SaveToner->setText(QStringLiteral("Save toner"));
    Pb_Annuler->setText(QStringLiteral("Cancel"));
}

void TConfigForm::UpdateNoBailLook()
{
    const bool automatic = BailConf.Active() && BailConf.FieldByName(QStringLiteral("GENAUTO"))->AsBoolean();
    E_NoBail->setEnabled(automatic);
    QPalette pal = E_NoBail->palette();
    const QPalette system = QGuiApplication::palette();
    pal.setColor(QPalette::Text, automatic ? system.color(QPalette::Active, QPalette::WindowText)
                                           : system.color(QPalette::Disabled, QPalette::WindowText));
    pal.setColor(QPalette::Base, automatic ? system.color(QPalette::Active, QPalette::Base)
                                           : system.color(QPalette::Inactive, QPalette::Window));
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Text, pal.color(QPalette::Text));
        pal.setColor(group, QPalette::Base, pal.color(QPalette::Base));
    }
    E_NoBail->setPalette(pal);
}

bool TConfigForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == E_NoBail && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        if (text.size() == 1 && text.at(0).isDigit() && E_NoBail->text().size() >= kCounterDigits
            && !E_NoBail->hasSelectedText())
            return true; // the counter has eight digits at most
    }
    return QDialog::eventFilter(watched, event);
}

void TConfigForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Pb_Annuler->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TConfigForm::Pb_OkClick()
{
    if (!BailConf.Active()) {
        accept();
        return;
    }
    dataset::TField *counter = BailConf.FieldByName(QStringLiteral("NOBAIL"));
    const QString text = E_NoBail->text().trimmed();
    if (text.isEmpty()) {
        if (BailConf.State() == TDataSetState::Edit) {
            counter->SetAsInteger(0);
            BailConf.Post();
        }
        accept();
        return;
    }
    bool ok = false;
    long long value = text.toLongLong(&ok);
    if (!ok)
        throw dbase::EDBEngineError(dbase::kInvalidField,
                                    dataset::Pick("« %1 » n'est pas un nombre entier valide.",
                                                  "'%1' is not a valid integer value.").arg(text));
    const bool automatic = BailConf.FieldByName(QStringLiteral("GENAUTO"))->AsBoolean();
    if (value < 0 && !automatic) {
        E_NoBail->setText(QStringLiteral("0"));
        value = 0;
    }
    if (value >= 0) {
        if (Editing(BailConf))
            counter->SetAsInteger(value);
        if (BailConf.State() == TDataSetState::Edit)
            BailConf.Post();
        accept();
        return;
    }
    const bool french = French();
    ui::ShowMessageBox(QMessageBox::Critical, french ? QStringLiteral("Erreur") : QStringLiteral("Error"),
                       french ? QStringLiteral("Le numéro de bail doit avoir une valeur positive.")
                              : QStringLiteral("The lease number must have a positive value."),
                       QMessageBox::Ok, QMessageBox::Ok, this);
    E_NoBail->setFocus();
    E_NoBail->selectAll();
}

void TConfigForm::Pb_AnnulerClick()
{
    if (Editing(BailConf))
        BailConf.Cancel();
    reject();
}

void TConfigForm::Pb_SelLocateurClick()
{
    const long long current = BailConf.FieldByName(QStringLiteral("NOLOCDEF"))->AsInteger();
    const auto picked = entry::TPickLocDlg::Pick(this, entry::TPickLocDlg::TOwnerKind::Configuration, current);
    if (!picked)
        return;
    if (BailConf.State() == TDataSetState::Browse)
        BailConf.Edit();
    BailConf.FieldByName(QStringLiteral("NOLOCDEF"))->SetAsInteger(*picked);
}

bool TConfigForm::FormCloseQuery()
{
    if (!BailConf.Active() || !Editing(BailConf))
        return true;
    switch (ui::AskKeepChanges(this)) {
    case QMessageBox::Yes:
        BailConf.Post();
        return true;
    case QMessageBox::No:
        BailConf.Cancel();
        return true;
    default:
        return false;
    }
}

void TConfigForm::FormClose()
{
    if (m_closed || !BailConf.Active())
        return;
    m_closed = true;
    // A row that names no language (a blank configuration) leaves the language as it is
    // rather than switching everything to English.
    const QString language = BailConf.FieldByName(QStringLiteral("LANGUETRAV"))->AsString().left(1);
    if (!language.isEmpty())
        db::SetWorkingLanguage(language);
    db::SetSaveToner(BailConf.FieldByName(QStringLiteral("SAVETONER"))->AsBoolean());
}

void TConfigForm::done(int result)
{
    try {
        if (!FormCloseQuery())
            return;
        FormClose();
    } catch (...) {
        dataset::HandleEventException(std::current_exception());
        return;
    }
    QDialog::done(result);
}

} // namespace app
