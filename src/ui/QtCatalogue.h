#pragma once
// Qt's own texts (standard buttons of message boxes and dialogs, the file and print
// dialogs) in the working language: Qt ships them in English and keeps the other languages
// in catalogues installed with it.

#include <QChar>
#include <QString>

namespace ui {

// Installs Qt's catalogue for language ('F' French; anything else English, Qt's own texts)
// in place of the one installed before; open windows retranslate their standard texts.
// False when the French catalogue cannot be read: Qt's texts then stay in English.
bool UseQtCatalogue(QChar language);
// The folder Qt's catalogues are read from.
QString QtCatalogueFolder();

} // namespace ui
