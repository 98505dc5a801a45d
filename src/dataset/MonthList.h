#pragma once
// Split dates: a date typed as a day, a month chosen in a list and a year. The parts are
// not bound to the date field; the window loads them from the field and writes the date
// back when the row is saved. TMonthComboBox is the month list; SplitDateText and
// JoinDateParts convert between the parts and the date texts fields take.

#include <QComboBox>
#include <QPointer>
#include <QString>
#include <QStringList>

namespace dataset {

class TDataSource;

// The twelve month names: French in lower case ("janvier" ... "décembre"), English
// capitalised ("January" ... "December"); language 'F' is French, anything else English.
QStringList MonthNames(QChar language);

// The parts of a date text "yyyy/mm/dd": day "dd", month 1 to 12 and year "yyyy"; an
// empty or malformed text gives empty parts and month 0.
struct TDateParts {
    QString day;
    int month = 0;
    QString year;
};
TDateParts SplitDateText(const QString &text);
// True when the parts are all empty (day and year empty, month 0 or less): the field is
// to be cleared.
bool PartsEmpty(const TDateParts &parts);
// "year/month/day", the month in decimal without leading zero, for the fixed date format;
// the result still has to be checked (db::ParseDateText after padding, or a field's SetText).
QString JoinDateParts(const TDateParts &parts);
// The parts as a calendar date "yyyy/mm/dd" (zero-padded), empty when they name no real
// day (an impossible date, a missing part).
QString DateTextOfParts(const TDateParts &parts);

// A drop-down list that cannot be typed into: index 0 seven blanks (no month), indexes 1
// to 12 the month names of a language. Choosing a month in a row in browse state puts
// the data source's table in edit state (the list itself writes no field).
class TMonthComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TMonthComboBox(QWidget *parent = nullptr);

    // Refills the list in language; the choice made is lost (index 0).
    void Fill(QChar language);
    // 0 for none, 1 to 12.
    int Month() const { return currentIndex() < 0 ? 0 : currentIndex(); }
    void SetMonth(int month); // out of range: 0

    // Table put in edit state when the user chooses a month; null: none.
    TDataSource *DataSource() const;
    void SetDataSource(TDataSource *source);

signals:
    // The user chose a month (not emitted for SetMonth or Fill).
    void MonthChosen(int month);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void showPopup() override;

private:
    bool BeginChange();

    QPointer<TDataSource> m_source;
    bool m_loading = false;
};

} // namespace dataset
