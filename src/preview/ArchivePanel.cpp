#include "preview/ArchivePanel.h"

#include "delivery/Archive.h"
#include "preview/PreviewLook.h"
#include "ui/KelButton.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace preview {

TArchivePanel::TArchivePanel(QWidget *parent)
    : ui::TKelGradient(parent)
{
    setObjectName(QStringLiteral("ArchivePanel"));
    UsePanelGradient(*this);
    setFixedHeight(kHeight);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    auto *left = new QVBoxLayout;
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("LblArchive"));
    left->addWidget(m_label);
    auto *line = new QHBoxLayout;
    m_description = new QLineEdit(this);
    m_description->setObjectName(QStringLiteral("EdtArchiveDesc"));
    m_description->setMaxLength(delivery::kDescriptionLength);
    m_description->setFixedWidth(385);
    line->addWidget(m_description);
    m_multiple = new QCheckBox(this);
    m_multiple->setObjectName(QStringLiteral("ChBMultipleArchive"));
    line->addWidget(m_multiple);
    line->addStretch(1);
    left->addLayout(line);
    row->addLayout(left, 1);
    m_archive = new ui::TKelButton(this);
    ui::UseDialogLook(*m_archive);
    m_archive->setObjectName(QStringLiteral("BtnArchive"));
    m_archive->SetPNGObject(ToolbarGlyph(QStringLiteral("SBArchive")));
    m_archive->setFixedSize(100, 25);
    m_cancel = new ui::TKelButton(this);
    ui::UseDialogLook(*m_cancel);
    m_cancel->setObjectName(QStringLiteral("BtnArchiveCancel"));
    m_cancel->SetKind(ui::bkCancel);
    m_cancel->SetModalResult(ui::mrNone);   // it hides the panel, never the window it is on
    m_cancel->setFixedSize(100, 25);
    row->addWidget(m_archive, 0, Qt::AlignBottom);
    row->addWidget(m_cancel, 0, Qt::AlignBottom);
    connect(m_archive, &QAbstractButton::clicked, this, &TArchivePanel::ArchiveAsked);
    connect(m_cancel, &QAbstractButton::clicked, this, &QWidget::hide);
    SetFrench(true);
    hide();
}

void TArchivePanel::SetFrench(bool french)
{
    m_label->setText(french ? QStringLiteral("Description du document à archiver")
                            : QStringLiteral("Description of document to archive"));
    m_multiple->setText(french ? QStringLiteral("Archivage multiple avec liens aux destinataires")
                               : QStringLiteral("Multiple archiving with link to destination"));
    m_archive->setText(french ? QStringLiteral("Archiver") : QStringLiteral("Archive"));
    m_cancel->setText(french ? QStringLiteral("Annuler") : QStringLiteral("Cancel"));
}

void TArchivePanel::Open(const QString &title, bool hasLinks)
{
    m_description->setText(title.left(delivery::kDescriptionLength));
    m_multiple->setVisible(hasLinks);
    m_multiple->setChecked(hasLinks);
    show();
    m_description->setFocus();
    m_description->selectAll();
}

QString TArchivePanel::Description() const
{
    return m_description->text();
}

bool TArchivePanel::MultipleArchiving() const
{
    return !m_multiple->isHidden() && m_multiple->isChecked();
}

} // namespace preview
