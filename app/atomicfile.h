#pragma once
// Replacing a file so that a crash, a kill or a full disk never leaves it half
// written: the new contents go to a temporary file in the same folder, are
// synced, and only then renamed over the old file.
#include <QByteArray>
#include <QString>

namespace zv {

// Throws zv::Error when the file cannot be replaced; the old file is then untouched.
void writeFileAtomically(const QString& path, const QByteArray& contents);

// Tests only: makes the next writes fail after this many bytes, as a full disk
// would (negative: off).
void setWriteFailureAfterForTests(qint64 bytes);

} // namespace zv
