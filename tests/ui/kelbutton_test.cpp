// The stock button: kinds and their captions and results, closing a modal dialog by click,
// Escape and Enter, and the menu that drops from it.

#include "ui/KelButton.h"

#include "UiTestUtil.h"

#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ui;

TEST(KelButton, StockKindsSetCaptionResultAndImageAndAGlyphMakesTheKindCustom)
{
    uitest::App();
    struct Case {
        TKelButtonKind kind;
        const char *caption;
        int result;
    };
    const Case cases[] = {
        {bkOK, "OK", mrOk}, {bkCancel, "Annuler", mrCancel}, {bkAbort, "Canceller", mrAbort},
        {bkRetry, "Réessayer", mrRetry}, {bkIgnore, "Ignorer", mrIgnore}, {bkYes, "Oui", mrYes},
        {bkNo, "Non", mrNo}, {bkAll, "Tous", mrAll}, {bkHelp, "Aide", mrNone},
        {bkClose, "Fermer", mrNone}, {bkNext, "Suivant", mrNone}, {bkLocatair, "Locataire", mrNone},
    };
    for (const Case &c : cases) {
        TKelButton button;
        button.SetKind(c.kind);
        EXPECT_EQ(button.Caption(), QString::fromUtf8(c.caption));
        EXPECT_EQ(button.ModalResult(), c.result) << c.caption;
        EXPECT_FALSE(button.PNGObject().isNull()) << c.caption;
    }
    TKelButton button;
    button.SetKind(bkOK);
    QImage strip(64, 16, QImage::Format_ARGB32);
    strip.fill(Qt::red);
    button.SetGlyph(strip);
    EXPECT_EQ(button.Kind(), bkCustom);
    EXPECT_EQ(button.NumGlyphs(), 4);
}

namespace {

// Runs the dialog modally, does `act` once it shows, and gives the result it closed with.
int RunModal(QDialog &dialog, const std::function<void()> &act)
{
    QTimer::singleShot(0, &dialog, act);
    QTimer::singleShot(5000, &dialog, [&dialog] { dialog.done(-1); });   // never hang
    return dialog.exec();
}

struct Dialog {
    QDialog dialog;
    QLineEdit *edit = new QLineEdit(&dialog);
    TKelButton *ok = new TKelButton(&dialog);
    TKelButton *cancel = new TKelButton(&dialog);
    Dialog()
    {
        ok->SetKind(bkOK);
        ok->SetDefault(true);
        ok->move(0, 30);
        cancel->SetKind(bkCancel);
        cancel->SetCancel(true);
        cancel->move(110, 30);
        edit->setFocus();
    }
};

} // namespace

TEST(KelButton, CancelClosesItsModalDialogWithCancelOnClickAndOnEscape)
{
    uitest::App();
    {
        Dialog d;
        EXPECT_EQ(RunModal(d.dialog, [&] { QTest::mouseClick(d.cancel, Qt::LeftButton); }), mrCancel);
    }
    {
        Dialog d;
        EXPECT_EQ(RunModal(d.dialog, [&] { QTest::keyClick(d.edit, Qt::Key_Escape); }), mrCancel);
    }
}

TEST(KelButton, DefaultOkClosesItsModalDialogWithOkOnEnter)
{
    uitest::App();
    Dialog d;
    EXPECT_EQ(RunModal(d.dialog, [&] { QTest::keyClick(d.edit, Qt::Key_Return); }), mrOk);
}

TEST(KelButton, DisabledButtonIgnoresClicksAndAMenuDropsOnClick)
{
    uitest::App();
    QWidget host;
    TKelButton button(&host);
    int clicks = 0;
    button.OnClick = [&](TKelButtonFace &) { ++clicks; };
    host.show();
    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
    button.setEnabled(true);
    QMenu menu;
    menu.addAction(QStringLiteral("x"));
    button.SetPopupMenu(&menu);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}
