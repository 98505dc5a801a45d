#include "ui/QtCatalogue.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace ui {

namespace {

struct TCatalogue {
    std::unique_ptr<QTranslator> translator;
    QChar language; // of the installed translator; null: Qt's English
};

TCatalogue &Installed()
{
    static TCatalogue catalogue;
    return catalogue;
}

} // namespace

QString QtCatalogueFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool UseQtCatalogue(QChar language)
{
    TCatalogue &c = Installed();
    const bool french = language == QLatin1Char('F');
    if (french && c.language == QLatin1Char('F'))
        return true; // every installation makes all windows retranslate: only on a change
    if (c.translator) {
        QCoreApplication::removeTranslator(c.translator.get());
        c.translator.reset();
        c.language = QChar();
    }
    if (!french)
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_fr"), QtCatalogueFolder()))
        return false;
    QCoreApplication::installTranslator(translator.get());
    c.translator = std::move(translator);
    c.language = QLatin1Char('F');
    return true;
}

} // namespace ui
