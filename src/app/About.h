#pragma once
// The About box: what the program is, its version, and where it keeps its data.

#include <QDialog>

namespace app {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // Texts in the working language; dataDir is shown so users can tell which folder
    // they work in.
    TAboutBox(const QString &dataDir, QWidget *parent = nullptr);
};

} // namespace app
