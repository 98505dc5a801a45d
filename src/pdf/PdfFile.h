#pragma once
// The output of one PDF document: buffered writes to a file descriptor, the line feed after
// every line, object numbers and the byte offset of each object for the cross-reference table.

#include <QByteArray>
#include <QString>

#include <vector>

namespace pdf {

class TPdfFile {
public:
    TPdfFile() = default;
    ~TPdfFile();
    TPdfFile(const TPdfFile &) = delete;
    TPdfFile &operator=(const TPdfFile &) = delete;

    // Creates (or truncates) path for writing; false when it cannot be created.
    bool Open(const QString &path);
    bool IsOpen() const { return m_fd >= 0; }
    // Writes the buffer out and closes; false when any write since Open failed.
    bool Close();
    // Closes without caring for errors (the file is about to be deleted).
    void Discard();
    // False once a write failed; the failure is reported by the next Close or Ok check.
    bool Ok() const { return !m_failed; }

    // Bytes as they are / followed by one line feed.
    void Write(const QByteArray &bytes);
    void Line(const QByteArray &line);
    qint64 Position() const { return m_position; }

    // Number the next object would get.
    int NextNumber() const { return int(m_offsets.size()) + 1; }
    // Takes the next number without writing it (its entry stays free until started).
    int Reserve();
    // Starts object number (already reserved) or a new one (0): records its offset and writes
    // "<n> 0 obj". Returns the number.
    int StartObject(int number = 0);
    // Entries for the cross-reference table, object 1 first; -1 for a number never written.
    const std::vector<qint64> &Offsets() const { return m_offsets; }

private:
    void Flush();

    int m_fd = -1;
    bool m_failed = false;
    qint64 m_position = 0;        // bytes written so far, buffered ones included
    QByteArray m_buffer;          // not yet handed to the system
    std::vector<qint64> m_offsets; // per object number - 1
};

} // namespace pdf
