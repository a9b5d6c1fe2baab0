// The playlist metafile reader over arbitrary files.
#include "portal/metafile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto entries = zv::MetafileEntries(bytes);
    const QUrl first = zv::FirstPlayableEntry(bytes, QUrl(QStringLiteral("http://h/a/list.asx")));
    if (!first.isEmpty() && (entries.empty() || first.isLocalFile() || first.host().isEmpty()))
        __builtin_trap();
    return 0;
}
