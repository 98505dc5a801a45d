#pragma once
// The application-wide exception handler: every exception that reaches the event loop ends
// here and is shown to the user; nothing is retried or rolled back.

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <exception>

namespace app {

// The box shown for one exception, in the working language.
struct TErrorBox {
    QMessageBox::Icon icon = QMessageBox::Critical;
    QString caption;
    QString text; // "\r" marks line breaks, as in the system's messages
    bool silent = false; // a silent abort shows nothing
};

// Chooses the box: the five engine codes the users meet when sharing data, the
// out-of-resources case, and every other exception with its own message.
TErrorBox DescribeException(std::exception_ptr error);
// Shows the box for error (through ui::ShowMessageBox, so tests can answer it).
void ShowException(std::exception_ptr error);

// The process's QApplication: its notify() is the one place where an exception leaves an
// event handler. Constructing it also hands bound widgets' exceptions to ShowException.
class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    ~TApplication() override;
    bool notify(QObject *receiver, QEvent *event) override;
};

// Routes exceptions caught in the dataset layer's event handlers to ShowException.
void InstallExceptionHandler();

} // namespace app
