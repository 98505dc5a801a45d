#include "preview/ExportMenu.h"

#include "delivery/DocumentExport.h"
#include "printout/Printout.h"
#include "ui/KelSpeedButton.h"
#include "ui/MessageBoxes.h"
#include "ui/WaitCursor.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QUrl>

namespace preview {

namespace {

struct TKind {
    const char *kind, *fr, *en;
};
// The files are the current office formats, whatever older automation saved.
const TKind kKinds[] = {{"WORD", "(Fichier Microsoft Word *.docx)", "(Microsoft Word File *.docx)"},
                        {"EXCEL", "(Fichier Microsoft Excel *.xlsx)", "(Microsoft Excel File *.xlsx)"},
                        {"ACROBAT", "(Fichier Adobe Acrobat *.pdf)", "(Adobe Acrobat File *.pdf)"}};

std::function<bool(QFileDialog &)> &DialogHook()
{
    static std::function<bool(QFileDialog &)> hook;
    return hook;
}

std::function<bool(const QUrl &)> &OpenHook()
{
    static std::function<bool(const QUrl &)> hook;
    return hook;
}

} // namespace

int NameFilterIndex(const QStringList &filters, const QString &selected)
{
    for (int i = 0; i < int(filters.size()); ++i)
        if (filters[i] == selected || (!selected.isEmpty() && filters[i].startsWith(selected + QLatin1Char(' '))))
            return i;
    return -1;
}

void TExportMenu::SetFileDialogHook(std::function<bool(QFileDialog &)> hook) { DialogHook() = std::move(hook); }
void TExportMenu::SetOpenHook(std::function<bool(const QUrl &)> hook) { OpenHook() = std::move(hook); }

TExportMenu::TExportMenu(ui::TKelButtonFace *button, std::function<printout::TPrintout *()> current, std::function<bool()> french)
    : QObject(button), m_button(button), m_current(std::move(current)), m_french(std::move(french))
{
    m_menu = new QMenu(button);
    m_menu->setObjectName(QStringLiteral("ExportMenu"));
    m_export = m_menu->addAction(QString());
    m_export->setObjectName(QStringLiteral("MnuExport"));
    m_exportOpen = m_menu->addAction(QString());
    m_exportOpen->setObjectName(QStringLiteral("MnuExportOpen"));
    connect(m_export, &QAction::triggered, this, [this] { Run(false); });
    connect(m_exportOpen, &QAction::triggered, this, [this] { Run(true); });
    button->SetPopupMenu(m_menu);
    SetFrench(m_french());
}

void TExportMenu::SetFrench(bool french)
{
    m_export->setText(french ? QStringLiteral("&Exporter") : QStringLiteral("&Export"));
    m_exportOpen->setText(french ? QStringLiteral("Exporter et &ouvrir") : QStringLiteral("Export and &open"));
}

void TExportMenu::Popup()
{
    SetFrench(m_french());
    // Where the button drops it when clicked.
    m_menu->popup(m_button->mapToGlobal(m_button->rect().bottomLeft()));
}

QStringList TExportMenu::Filters() const
{
    const bool french = m_french();
    QStringList filters;
    for (const TKind &k : kKinds)
        filters << QString::fromUtf8(french ? k.fr : k.en) + QStringLiteral(" (*.")
                       + delivery::KindSuffix(QLatin1String(k.kind)) + QLatin1Char(')');
    return filters;
}

void TExportMenu::Run(bool open)
{
    printout::TPrintout *p = m_current();
    if (!p)
        return;
    QString proposed = p->Title();
    for (QChar c : QStringLiteral("/\\+*?\"<>|"))
        proposed.remove(c);
    const QStringList filters = Filters();
    QFileDialog dialog(m_button->window(), QString(), proposed);
    // The descriptions already name their pattern: the dialog does not add it a second time.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(m_lastKind));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    const bool accepted = DialogHook() ? DialogHook()(dialog) : dialog.exec() == QDialog::Accepted;
    if (!accepted || dialog.selectedFiles().isEmpty())
        return;
    m_lastKind = std::max(0, NameFilterIndex(filters, dialog.selectedNameFilter()));
    ExportFile(dialog.selectedFiles().first(), m_lastKind, open);
}

bool TExportMenu::ExportFile(const QString &fileNameIn, int kind, bool open)
{
    printout::TPrintout *p = m_current();
    if (!p || kind < 0 || kind > 2)
        return false;
    const QString name = QLatin1String(kKinds[kind].kind), suffix = delivery::KindSuffix(name);
    QString fileName = fileNameIn;
    // A name without its kind's suffix gets it; the older office suffixes give way to it.
    const QString given = QFileInfo(fileName).suffix().toLower();
    if (given == QLatin1String("doc") || given == QLatin1String("xls"))
        fileName.chop(3);
    else if (given != suffix)
        fileName += QLatin1Char('.');
    if (given != suffix)
        fileName += suffix;
    try {
        ui::TWaitCursor wait;
        if (!delivery::ExportTo(*p, fileName, name, 1, p->PageCount()))
            return false;
    } catch (const delivery::EExportError &e) {
        ui::ErrorBox(m_french() ? e.French() : e.English(), m_button->window());
        return false;
    } catch (const std::exception &) {
        return false; // the command ends without a word, as any other failure of the export
    }
    if (open) {
        const QUrl url = QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath());
        if (OpenHook())
            OpenHook()(url);
        else
            QDesktopServices::openUrl(url);
    }
    return true;
}

} // namespace preview
