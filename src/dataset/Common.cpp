#include "dataset/Common.h"

namespace dataset {

namespace {

QChar g_language = QLatin1Char('F');
TEventExceptionHandler g_handler;

} // namespace

QChar WorkingLanguage()
{
    return g_language;
}

void SetWorkingLanguage(QChar language)
{
    g_language = language;
}

QString Pick(const char *french, const char *english)
{
    return Pick(g_language, french, english);
}

QString Pick(QChar language, const char *french, const char *english)
{
    return QString::fromUtf8(language == QLatin1Char('F') ? french : english);
}

void Abort()
{
    throw EAbort();
}

void SetEventExceptionHandler(TEventExceptionHandler handler)
{
    g_handler = std::move(handler);
}

void HandleEventException(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const EAbort &) {
        return;
    } catch (...) {
        if (!g_handler)
            throw;
    }
    g_handler(error);
}

} // namespace dataset
