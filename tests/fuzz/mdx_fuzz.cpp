// Feeds arbitrary bytes to the index reader, then walks, checks and changes every tag.

#include "FuzzFile.h"
#include "dbase/EngineError.h"
#include "dbase/File.h"
#include "dbase/Mdx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = FuzzPath("t.mdx");
    WriteFuzzFile(path, data, size);
    try {
        dbase::File file(path, dbase::File::Mode::ReadWrite);
        dbase::MdxFile mdx(file);
        (void)mdx.CheckStructure();
        for (int t = 0; t < int(mdx.Tags().size()); ++t) {
            dbase::IndexEntry e;
            int steps = 0;
            for (bool ok = mdx.First(t, e); ok && steps < 2000; ++steps) {
                dbase::IndexEntry n;
                ok = mdx.Next(t, e, n);
                e = n;
            }
            if (mdx.Last(t, e)) {
                dbase::IndexEntry p;
                mdx.Prior(t, e, p);
            }
            const dbase::KeyBytes key(size_t(mdx.Tags()[size_t(t)].keyLength), '5');
            mdx.SeekGE(t, key, e);
            mdx.Insert(t, {key, 7});
            mdx.Remove(t, {key, 7});
        }
    } catch (const dbase::EDBEngineError &) {
    }
    return 0;
}
