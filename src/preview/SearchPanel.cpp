#include "preview/SearchPanel.h"

#include "preview/PreviewLook.h"
#include "printout/Player.h"
#include "ui/KelButton.h"
#include "ui/MessageBoxes.h"
#include "ui/WaitCursor.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace preview {

TSearchPanel::TSearchPanel(QWidget *parent)
    : ui::TKelGradient(parent)
{
    setObjectName(QStringLiteral("SearchPanel"));
    UsePanelGradient(*this);
    setFixedWidth(kWidth);
    auto *v = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    m_label = new QLabel(QStringLiteral("Rechercher"), this);
    m_label->setObjectName(QStringLiteral("SearchLabel"));
    top->addWidget(m_label, 1);
    auto *close = new ui::TKelSpeedButton(this);
    ui::UseToolbarLook(*close);
    close->setObjectName(QStringLiteral("SearchClose"));
    close->SetPNGObject(ToolbarGlyph(close->objectName()));
    close->setFixedSize(24, 24);
    connect(close, &QAbstractButton::clicked, this, [this] {
        hide();
        emit Closed();
    });
    top->addWidget(close);
    v->addLayout(top);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("SearchEdit"));
    connect(m_edit, &QLineEdit::returnPressed, this, &TSearchPanel::SearchAsked);
    v->addWidget(m_edit);
    m_button = new ui::TKelButton(this);
    ui::UseDialogLook(*m_button);
    m_button->setObjectName(QStringLiteral("SearchButton"));
    m_button->SetKind(ui::bkFind);
    m_button->SetModalResult(ui::mrNone);
    m_button->setText(QStringLiteral("Lancer la recherche"));
    m_button->setFixedHeight(25);
    connect(m_button, &QAbstractButton::clicked, this, &TSearchPanel::SearchAsked);
    v->addWidget(m_button);
    m_matchCase = new QCheckBox(QStringLiteral("Respecter la casse"), this);
    m_matchCase->setObjectName(QStringLiteral("ChBMatchCase"));
    v->addWidget(m_matchCase);
    m_wholeWords = new QCheckBox(QStringLiteral("Mots entiers seulement"), this);
    m_wholeWords->setObjectName(QStringLiteral("ChBWholeWords"));
    v->addWidget(m_wholeWords);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("HitList"));
    m_list->setMouseTracking(true);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < int(m_hits.size()))
            emit HitChosen(row);
    });
    connect(m_list, &QListWidget::itemEntered, this, [this](QListWidgetItem *item) {
        const int row = m_list->row(item);
        if (row >= 0 && row < int(m_hits.size()))
            item->setToolTip(QStringLiteral("Page %1").arg(m_hits[size_t(row)].page));
    });
    v->addWidget(m_list, 1);
    hide();
}

void TSearchPanel::Open()
{
    show();
    m_edit->clear();
    m_edit->setFocus();
}

bool TSearchPanel::Matches(const QString &run, const QString &text, bool wholeWords)
{
    if (text.isEmpty())
        return false;
    qsizetype at = run.indexOf(text);
    if (at < 0)
        return false;
    if (!wholeWords || run == text)
        return true;
    // Every occurrence is tried, not only the first: "Bailleur du bail" holds the word "bail".
    auto separator = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char(',') || c == QLatin1Char('.'); };
    for (; at >= 0; at = run.indexOf(text, at + 1)) {
        const qsizetype end = at + text.size();
        if ((at == 0 || separator(run[at - 1])) && (end == run.size() || separator(run[end])))
            return true;
    }
    return false;
}

void TSearchPanel::Search(const printout::TPrintout *p, const QString &textIn, bool matchCase, bool wholeWords, bool french)
{
    m_hits.clear();
    m_list->clear();
    m_searchText = textIn;
    if (!p)
        return;
    ui::TWaitCursor wait;
    QString text = textIn.trimmed();
    if (!matchCase)
        text = text.toUpper();
    QStringList runs;
    for (int page = 1; page <= p->PageCount(); ++page) {
        for (const printout::TTextRun &run : printout::TextRuns(*p->PageMetafile(page))) {
            const QString candidate = matchCase ? run.text : run.text.toUpper();
            if (Matches(candidate, text, wholeWords)) {
                m_hits.push_back(TFindWords{page, run.box});
                runs.append(run.text);
            }
        }
    }
    m_list->blockSignals(true);
    m_list->addItems(runs);
    m_list->blockSignals(false);
    if (!m_hits.empty()) {
        m_list->setCurrentRow(0);
        emit HitChosen(0);
        m_list->setFocus();
    } else {
        ui::WarningBox(french ? QStringLiteral("«%1» non trouvé").arg(m_searchText)
                              : QStringLiteral("\"%1\" not found").arg(m_searchText),
                       parentWidget());
    }
}

QStringList TSearchPanel::HitTexts() const
{
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i)
        out.append(m_list->item(i)->text());
    return out;
}

} // namespace preview
