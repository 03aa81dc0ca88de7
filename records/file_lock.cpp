#include "records/file_lock.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>

// Byte-range locks are mandatory on Windows: lock one byte far past any
// record, so the lock guards the table without blocking its own writes.
LockResult lockFile(QFile &file, bool exclusive)
{
    HANDLE h = HANDLE(_get_osfhandle(file.handle()));
    OVERLAPPED ov = {};
    ov.Offset = 0xFFFFFFFE;
    ov.OffsetHigh = 0x7FFFFFFF;
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(h, flags, 0, 1, 0, &ov))
        return LockResult::Locked;
    return GetLastError() == ERROR_LOCK_VIOLATION ? LockResult::InUse : LockResult::Failed;
}
#else
#include <cerrno>
#include <sys/file.h>

LockResult lockFile(QFile &file, bool exclusive)
{
    if (flock(file.handle(), (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0)
        return LockResult::Locked;
    return errno == EWOULDBLOCK ? LockResult::InUse : LockResult::Failed;
}
#endif

bool fileInUse(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return lockFile(f, true) == LockResult::InUse;
}
