#pragma once
// Failures of the table engine: a list of entries, each with its own code and text.

#include <QString>
#include <exception>
#include <string>
#include <vector>

namespace dbase {

// Engine error codes the application distinguishes (decimal values as dBase engines report them).
enum ErrorCode : int {
    kIoError = 9986,            // 0x2702 a file-system read or write failed
    kRestructureFailed = 10009, // 0x2719 a restructure was refused
    kTableNotFound = 10024,     // 0x2728 a table file does not exist
    kRecordDeleted = 8708,      // 0x2204 the current row was deleted meanwhile
    kLockedByOther = 10241,     // 0x2801 row or file locked by another application or user
    kFileInUse = 10243,         // 0x2803 file open exclusively by this or another user
    kLockedHere = 10247,        // 0x2807 row already being edited in another window of this process
    kCorruptFile = 8961,        // 0x2301 a file's structure is damaged
    kInvalidField = 9988,       // 0x2704 unknown field or value that does not fit
    kInvalidOperation = 9989,   // 0x2705 operation not allowed in this state or on this table
    kTagNotFound = 9997,        // 0x270D no such index tag
};

struct EngineErrorEntry {
    int code = 0;
    QString message;
};

class EDBEngineError : public std::exception {
public:
    EDBEngineError(int code, const QString &message);
    explicit EDBEngineError(std::vector<EngineErrorEntry> entries);

    // Adds an entry at the end: the most specific cause is the last one.
    EDBEngineError &Add(int code, const QString &message);

    const std::vector<EngineErrorEntry> &Errors() const { return m_entries; }
    int ErrorCount() const { return int(m_entries.size()); }
    // Code of the last entry, the one callers test.
    int Code() const { return m_entries.empty() ? 0 : m_entries.back().code; }
    // All entries' messages, one per line.
    QString Message() const;
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    void UpdateWhat();

    std::vector<EngineErrorEntry> m_entries; // in the order they were added
    std::string m_what;                      // UTF-8 copy of Message() for what()
};

// Convenience throwers used across the engine.
[[noreturn]] void ThrowIo(const QString &path, const QString &action, int err);
[[noreturn]] void ThrowCorrupt(const QString &path, const QString &what);

} // namespace dbase
