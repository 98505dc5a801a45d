#include "preview/ArchivePanel.h"

#include "delivery/Archive.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace preview {

TArchivePanel::TArchivePanel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ArchivePanel"));
    setFixedHeight(kHeight);
    setAutoFillBackground(true);
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
    m_archive = new QPushButton(this);
    m_archive->setObjectName(QStringLiteral("BtnArchive"));
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("BtnArchiveCancel"));
    row->addWidget(m_archive, 0, Qt::AlignBottom);
    row->addWidget(m_cancel, 0, Qt::AlignBottom);
    connect(m_archive, &QPushButton::clicked, this, &TArchivePanel::ArchiveAsked);
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::hide);
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
