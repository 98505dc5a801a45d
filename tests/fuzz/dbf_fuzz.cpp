// Feeds arbitrary bytes to the table reader as a .dbf without index.

#include "FuzzFile.h"
#include "dbase/Cursor.h"
#include "dbase/EngineError.h"
#include "dbase/Table.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = FuzzPath("t.dbf");
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (bytes.size() > 28)
        bytes[28] = 0; // no index: this target is about the table file
    WriteFuzzFile(path, reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    try {
        dbase::Table table(path, dbase::Table::Mode::ReadOnly);
        dbase::Cursor cursor(table);
        int rows = 0;
        for (bool ok = cursor.First(); ok && rows < 1000; ok = cursor.Next(), ++rows) {
            const dbase::Record &rec = cursor.Current();
            for (int f = 0; f < rec.FieldCount(); ++f) {
                (void)rec.AsString(f);
                (void)rec.AsDouble(f);
                (void)rec.AsBoolean(f);
                (void)rec.AsDate(f);
                (void)rec.IsNull(f);
            }
        }
        if (cursor.Last())
            cursor.Prior();
    } catch (const dbase::EDBEngineError &) {
    }
    return 0;
}
