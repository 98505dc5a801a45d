#pragma once
// The preview's search panel: the text to find, its two options, and the list of the runs
// found in the pages of a printout, each with its page and rectangle.

#include "printout/Printout.h"

#include "ui/KelGradient.h"

#include <QRectF>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace ui {
class TKelButton;
}

namespace preview {

// A search hit: the page and the text's rectangle in 0.1 mm (y downward).
struct TFindWords {
    int page = 0;
    QRectF rect;
};

class TSearchPanel : public ui::TKelGradient {
    Q_OBJECT
public:
    static constexpr int kWidth = 215;

    explicit TSearchPanel(QWidget *parent);

    // Shown with an empty text and the focus in it.
    void Open();
    // Finds text in every page of the printout; the hits replace the list. With hits, the
    // first is selected (HitChosen) and the list has the focus; with none, a warning says so.
    void Search(const printout::TPrintout *printout, const QString &text, bool matchCase, bool wholeWords,
                bool french);
    // Whether run contains text as the search rules say (both already case-folded as needed).
    static bool Matches(const QString &run, const QString &text, bool wholeWords);

    const std::vector<TFindWords> &Hits() const { return m_hits; }
    QStringList HitTexts() const;
    const QString &SearchText() const { return m_searchText; }

    QLineEdit *SearchEdit() const { return m_edit; }
    QCheckBox *MatchCase() const { return m_matchCase; }
    QCheckBox *WholeWords() const { return m_wholeWords; }
    QListWidget *HitList() const { return m_list; }

signals:
    // The search button or Enter in the text: the window runs the search on its printout.
    void SearchAsked();
    void HitChosen(int index);
    void Closed();

private:
    QLabel *m_label = nullptr;
    QLineEdit *m_edit = nullptr;
    ui::TKelButton *m_button = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QCheckBox *m_wholeWords = nullptr;
    QListWidget *m_list = nullptr;
    std::vector<TFindWords> m_hits;
    QString m_searchText;
};

} // namespace preview
