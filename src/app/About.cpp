#include "app/About.h"

#include "app/Splash.h"
#include "app/Startup.h"
#include "db/Settings.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

TAboutBox::TAboutBox(const QString &dataDir, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(db::PickWorkText(QStringLiteral("À propos"), QStringLiteral("About")));

    auto *picture = new QLabel;
    picture->setPixmap(TSplashScreen::Picture().scaled(260, 176, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture->setFrameShape(QFrame::Panel);
    picture->setFrameShadow(QFrame::Sunken);

    auto *title = new QLabel(QStringLiteral("<b style='font-size:15pt'>%1</b>").arg(QString::fromUtf8(kApplicationTitle)));
    auto *version = new QLabel(db::PickWorkText(QStringLiteral("Version %1"), QStringLiteral("Version %1"))
                                   .arg(QString::fromLatin1(kApplicationVersion)));
    auto *what = new QLabel(db::PickWorkText(
        QStringLiteral("Remplissez, conservez et imprimez le bail de logement obligatoire de la Ostrevane, "
                       "en français ou en anglais."),
        QStringLiteral("Fill in, keep and print the mandatory residential lease form of the Ostrevane, "
                       "in French or in English.")));
    what->setWordWrap(true);
    auto *data = new QLabel(db::PickWorkText(QStringLiteral("Dossier des données :\n%1"), QStringLiteral("Data folder:\n%1"))
                                .arg(QDir::toNativeSeparators(dataDir)));
    data->setWordWrap(true);
    data->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *qt = new QLabel(db::PickWorkText(QStringLiteral("Construit avec Qt %1."), QStringLiteral("Built with Qt %1."))
                              .arg(QString::fromLatin1(qVersion())));

    auto *texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(version);
    texts->addSpacing(8);
    texts->addWidget(what);
    texts->addSpacing(8);
    texts->addWidget(data);
    texts->addWidget(qt);
    texts->addStretch(1);

    auto *top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setFixedWidth(620);
}

} // namespace app
