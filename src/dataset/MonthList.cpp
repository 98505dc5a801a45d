#include "dataset/MonthList.h"

#include "dataset/Common.h"
#include "dataset/DataSource.h"

#include <QDate>
#include <QKeyEvent>

#include <array>

namespace dataset {

namespace {

struct TMonthName {
    const char *fr, *en;
};
constexpr std::array<TMonthName, 12> kMonths{{
    {"janvier", "January"},   {"février", "February"}, {"mars", "March"},
    {"avril", "April"},       {"mai", "May"},          {"juin", "June"},
    {"juillet", "July"},      {"août", "August"},      {"septembre", "September"},
    {"octobre", "October"},   {"novembre", "November"}, {"décembre", "December"},
}};

// The list's first item: no month chosen.
const QString kNoMonth = QStringLiteral("       ");

bool AllDigits(const QString &s)
{
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace

QStringList MonthNames(QChar language)
{
    QStringList out;
    for (const TMonthName &m : kMonths)
        out << Pick(language, m.fr, m.en);
    return out;
}

TDateParts SplitDateText(const QString &text)
{
    TDateParts p;
    if (text.size() != 10 || text[4] != QLatin1Char('/') || text[7] != QLatin1Char('/'))
        return p;
    const QString y = text.left(4), m = text.mid(5, 2), d = text.mid(8, 2);
    if (!AllDigits(y) || !AllDigits(m) || !AllDigits(d))
        return p;
    const int month = m.toInt();
    if (month < 1 || month > 12)
        return p;
    p.day = d;
    p.month = month;
    p.year = y;
    return p;
}

bool PartsEmpty(const TDateParts &parts)
{
    return parts.day.trimmed().isEmpty() && parts.month <= 0 && parts.year.trimmed().isEmpty();
}

QString JoinDateParts(const TDateParts &parts)
{
    return parts.year.trimmed() + QLatin1Char('/') + QString::number(parts.month) + QLatin1Char('/') + parts.day.trimmed();
}

QString DateTextOfParts(const TDateParts &parts)
{
    const QString y = parts.year.trimmed(), d = parts.day.trimmed();
    if (y.size() != 4 || d.isEmpty() || d.size() > 2 || !AllDigits(y) || !AllDigits(d))
        return QString();
    const QDate date(y.toInt(), parts.month, d.toInt());
    return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

TMonthComboBox::TMonthComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(false);
    Fill(WorkingLanguage());
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (!m_loading)
            emit MonthChosen(index < 0 ? 0 : index);
    });
}

TDataSource *TMonthComboBox::DataSource() const { return m_source; }
void TMonthComboBox::SetDataSource(TDataSource *source) { m_source = source; }

void TMonthComboBox::Fill(QChar language)
{
    m_loading = true;
    {
        const QSignalBlocker block(this);
        clear();
        addItem(kNoMonth);
        addItems(MonthNames(language));
        setCurrentIndex(0);
    }
    m_loading = false;
}

void TMonthComboBox::SetMonth(int month)
{
    const QSignalBlocker block(this);
    setCurrentIndex(month >= 1 && month <= 12 ? month : 0);
}

bool TMonthComboBox::BeginChange()
{
    if (!m_source)
        return true;
    try {
        m_source->EnsureEditing();
        return true;
    } catch (...) {
        HandleEventException(std::current_exception());
        return false;
    }
}

void TMonthComboBox::keyPressEvent(QKeyEvent *event)
{
    const int k = event->key();
    const bool choosing = k == Qt::Key_Up || k == Qt::Key_Down || k == Qt::Key_PageUp || k == Qt::Key_PageDown
        || k == Qt::Key_Home || k == Qt::Key_End
        || (!event->text().isEmpty() && event->text().at(0).isPrint());
    if (choosing && !BeginChange()) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void TMonthComboBox::wheelEvent(QWheelEvent *event)
{
    if (!BeginChange())
        return;
    QComboBox::wheelEvent(event);
}

void TMonthComboBox::showPopup()
{
    if (!BeginChange())
        return;
    QComboBox::showPopup();
}

} // namespace dataset
