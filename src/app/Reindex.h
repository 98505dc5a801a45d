#pragma once
// The window that rebuilds the index files of the lease tables. It blocks its owner while
// shown and cannot be closed while an index file is missing.

#include <QWidget>

class QLabel;
class QPushButton;

namespace app {

class TReindexForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 8;

    // A window over the data folder dataDir, owned by owner, whose input it blocks until
    // this window is closed; texts in the working language. Deletes itself when closed.
    TReindexForm(const QString &dataDir, QWidget *owner);

    QPushButton *ReindexButton() const { return m_reindex; }
    QPushButton *CloseButton() const { return m_closeBtn; }
    QLabel *FileLabel() const { return m_fichierIndex; }
    // Whether the window may close now: every index file exists.
    bool CanClose() const;

public slots:
    void ReindexClick();
    void CloseBtnClick();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Clears the flags of lost indexes and opens the tables exclusively, asking whether to
    // retry while they are in use; then rebuilds. False when the user gave up.
    bool Rebuild();
    void Progress(const QString &table);

    QString m_dataDir;
    QLabel *m_infoReindex = nullptr;
    QPushButton *m_reindex = nullptr;
    QPushButton *m_closeBtn = nullptr;
    QLabel *m_labelFile = nullptr;
    QLabel *m_fichierIndex = nullptr;
};

} // namespace app
