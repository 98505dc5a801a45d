#pragma once
// The Annex window: the services, costs and totals of a lease for elderly or handicapped
// persons, on eight scrolling pages, bound to the Annex cursor of the lease window that
// opens it. It never opens, saves or cancels the row: the lease window does.

#include "dataset/DataSource.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QGridLayout;
class QKeyEvent;
class QLabel;
class QScrollArea;
class QTabWidget;
class QVBoxLayout;

namespace dataset {
class TTable;
}

namespace db {
struct TAnnexField;
struct TAnnexText;
}

namespace ui {
class TFocusFrame;
class TMultiLang;
}

namespace entry {

class TAnnexeForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPageCount = 8;

    // owner: the lease window (parent of the dialog); annexe: its Annex cursor, carrying
    // the calculated totals. Every control is bound to that cursor.
    TAnnexeForm(QWidget *owner, dataset::TTable &annexe);
    ~TAnnexeForm() override;

    QTabWidget *Pages() const { return m_pages; }
    QScrollArea *PageArea(int index) const { return m_areas.at(size_t(index)); }
    ui::TMultiLang *Translation() const { return m_lang; }
    // Page 1 in front, every page scrolled to the top.
    void ResetPages();

public slots:
    // Typed text is written into the row first; a text that does not convert keeps the
    // window open on the field.
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QVBoxLayout *Page(int page) const { return m_bodies.at(size_t(page - 1)); }
    QWidget *PageWidget(int page) const;
    QLabel *Label(QWidget *parent, const db::TAnnexText &text, bool bold = false);
    QLabel *Label(QWidget *parent, const char *fr, const char *en, bool bold = false);
    QWidget *Field(QWidget *parent, const db::TAnnexField &field);
    QWidget *Box(QWidget *parent, const QString &name, const QString &field);
    QWidget *Amount(QWidget *parent, const QString &name, const QString &field, bool filtered);
    void BuildHeader();
    void BuildDwelling();
    void BuildServices();
    void BuildStatement();
    QGridLayout *ServiceGrid(int page, bool continued);
    void SetEnglishCaptions();

    dataset::TTable &m_annexe;
    dataset::TDataSource m_source;
    QTabWidget *m_pages = nullptr;
    std::vector<QScrollArea *> m_areas;
    std::vector<QVBoxLayout *> m_bodies;
    std::vector<QWidget *> m_amountEdits; // column-2 amounts and the rent, key filter applied
    QStringList m_words;                  // name, French, English per caption
    int m_labelCount = 0;
    ui::TMultiLang *m_lang = nullptr;
    ui::TFocusFrame *m_focusFrame = nullptr;
};

} // namespace entry
