#pragma once
// The preview's archive panel: the description of the document to archive, multiple
// archiving by the pages' links when the printout has some, and Archive / Cancel.

#include "ui/KelGradient.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace ui {
class TKelButton;
}

namespace preview {

class TArchivePanel : public ui::TKelGradient {
    Q_OBJECT
public:
    static constexpr int kHeight = 62;

    explicit TArchivePanel(QWidget *parent);

    // Shown with the description set to title (cut to what the archive keeps); the multiple
    // archiving box shows, ticked, only when the printout has archive links.
    void Open(const QString &title, bool hasLinks);
    QString Description() const;
    bool MultipleArchiving() const;
    void SetFrench(bool french);

    QLineEdit *DescriptionEdit() const { return m_description; }
    QCheckBox *MultipleBox() const { return m_multiple; }
    ui::TKelButton *ArchiveButton() const { return m_archive; }
    ui::TKelButton *CancelButton() const { return m_cancel; }

signals:
    void ArchiveAsked();

private:
    QLabel *m_label = nullptr;
    QLineEdit *m_description = nullptr;
    QCheckBox *m_multiple = nullptr;
    ui::TKelButton *m_archive = nullptr;
    ui::TKelButton *m_cancel = nullptr;
};

} // namespace preview
