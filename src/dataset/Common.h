#pragma once
// What every part of the dataset layer shares: the working language its own texts and
// messages follow, the silent abort, and where exceptions raised inside widget event
// handlers go.

#include <QString>

#include <exception>
#include <functional>

namespace dataset {

// Working language of the dataset layer's own texts: 'F' French, anything else English.
// 'F' until the application sets the language it read from its configuration.
QChar WorkingLanguage();
void SetWorkingLanguage(QChar language);
// The French or the English text, by WorkingLanguage() or by the given language.
QString Pick(const char *french, const char *english);
QString Pick(QChar language, const char *french, const char *english);

// A silent abort: event handlers (BeforePost, a navigator's BeforeAction...) throw it to
// stop an operation without a message; the operation leaves everything as it was.
class EAbort : public std::exception {
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};
[[noreturn]] void Abort();

// Exceptions caught inside a bound widget's event handler (a lock refused while typing,
// a failed post from the navigator) are handed to this handler. Without one installed,
// HandleEventException rethrows, so the exception reaches the application's notify().
// An EAbort is always swallowed.
using TEventExceptionHandler = std::function<void(std::exception_ptr)>;
void SetEventExceptionHandler(TEventExceptionHandler handler);
void HandleEventException(std::exception_ptr error);

} // namespace dataset
