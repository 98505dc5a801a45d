#include "ui/Accessibility.h"

#include "UiTestUtil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A form laid out as running text: "Loyer [edit] $ [box] par mois", a date whose parts have their
// captions under them, a check box centred alone in a cell after its caption, a lone
// combo box with a caption after it, two lines of "other" under their heading, and glyph
// buttons.
struct TForm {
    QWidget window;
    QLabel *rent = new QLabel(QStringLiteral("Loyer"));
    QLineEdit *amount = new QLineEdit;
    QLineEdit *day = new QLineEdit;
    QComboBox *month = new QComboBox;
    QCheckBox *heating = new QCheckBox;
    QCheckBox *monthly = new QCheckBox;
    QComboBox *alone = new QComboBox;
    QLineEdit *other1 = new QLineEdit;
    QLineEdit *other2 = new QLineEdit;
    QToolButton *plus = new QToolButton;
    QToolButton *bare = new QToolButton;
    QLineEdit *named = new QLineEdit;

    TForm()
    {
        auto *column = new QVBoxLayout(&window);
        auto *line = new QHBoxLayout;
        line->addWidget(rent);
        line->addWidget(amount);
        line->addWidget(new QLabel(QStringLiteral("$")));
        line->addWidget(monthly);
        line->addWidget(new QLabel(QStringLiteral("par mois")));
        column->addLayout(line);
        auto *date = new QWidget;
        auto *grid = new QGridLayout(date);
        grid->addWidget(day, 0, 0);
        grid->addWidget(month, 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("jour")), 1, 0);
        grid->addWidget(new QLabel(QStringLiteral("<b>mois</b>")), 1, 1);
        column->addWidget(date);
        auto *checks = new QHBoxLayout;
        checks->addWidget(new QLabel(QStringLiteral("Chauffage")));
        auto *cell = new QWidget;
        (new QHBoxLayout(cell))->addWidget(heating);
        checks->addWidget(cell);
        column->addLayout(checks);
        auto *last = new QHBoxLayout;
        last->addWidget(alone);
        last->addWidget(new QLabel(QStringLiteral("par mois")));
        column->addLayout(last);
        auto *heading = new QHBoxLayout;
        heading->addWidget(new QLabel(QStringLiteral("Autres")));
        heading->addWidget(new QLabel(QStringLiteral("(exemple: salle de lavage)")));
        column->addLayout(heading);
        for (QLineEdit *other : {other1, other2}) {
            auto *line = new QHBoxLayout;
            line->addWidget(other);
            line->addStretch(1);
            column->addLayout(line);
        }
        plus->setText(QStringLiteral("+"));
        plus->setToolTip(QStringLiteral("Agrandir"));
        bare->setToolTip(QStringLiteral("Imprimer"));
        named->setAccessibleName(QStringLiteral("Nom donné"));
        column->addWidget(plus);
        column->addWidget(bare);
        column->addWidget(named);
    }
};

} // namespace

TEST(Accessibility, ControlsTakeTheirCaptionOrHintAndFollowTheirChanges)
{
    uitest::App();
    TForm f;
    ui::NameControls(f.window);
    const std::pair<QWidget *, const char *> expected[] = {
        {f.amount, "Loyer"}, {f.day, "jour"}, {f.month, "mois"}, {f.heating, "Chauffage"}, {f.monthly, "par mois"},
        {f.alone, "par mois"}, {f.other1, "Autres (exemple: salle de lavage)"},
        {f.other2, "Autres (exemple: salle de lavage)"}, {f.plus, "Agrandir"}, {f.bare, "Imprimer"}, {f.named, "Nom donné"},
    };
    for (const auto &[w, name] : expected)
        EXPECT_EQ(ui::AccessibleName(*w), QString::fromUtf8(name)) << name;

    // A change of language: the names given here follow, the window's own stays.
    f.rent->setText(QStringLiteral("Rent"));
    f.bare->setToolTip(QStringLiteral("Print"));
    ui::NameControls(f.window);
    EXPECT_EQ(ui::AccessibleName(*f.amount), QStringLiteral("Rent"));
    EXPECT_EQ(ui::AccessibleName(*f.bare), QStringLiteral("Print"));
    EXPECT_EQ(ui::AccessibleName(*f.named), QStringLiteral("Nom donné"));
}
