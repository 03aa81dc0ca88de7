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

bool lockAppend(QFile &file, bool on)
{
    HANDLE h = HANDLE(_get_osfhandle(file.handle()));
    OVERLAPPED ov = {};
    ov.Offset = 0xFFFFFFFD;
    ov.OffsetHigh = 0x7FFFFFFF;
    if (on)
        return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &ov);
    return UnlockFileEx(h, 0, 1, 0, &ov);
}

// A file no one may share while the program runs, gone when it ends.
qintptr lockFolder(const QString &folder)
{
    const std::wstring name = (folder + QStringLiteral("/TAVO.lock")).toStdWString();
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE)
        return qintptr(h);
    return GetLastError() == ERROR_SHARING_VIOLATION ? -1 : -2;
}

void releaseFolder(qintptr handle)
{
    if (handle >= 0)
        CloseHandle(HANDLE(handle));
}
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

LockResult lockFile(QFile &file, bool exclusive)
{
    if (flock(file.handle(), (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0)
        return LockResult::Locked;
    return errno == EWOULDBLOCK ? LockResult::InUse : LockResult::Failed;
}
// A record lock of its own open file (not of the process), far past any
// record: independent of the flock() above, and not lost when this program
// closes another handle of the same file.
bool lockAppend(QFile &file, bool on)
{
    struct flock l = {};
    l.l_type = on ? F_WRLCK : F_UNLCK;
    l.l_whence = SEEK_SET;
    l.l_start = off_t(0x7FFFFFFF0000LL);
    l.l_len = 1;
#ifdef F_OFD_SETLKW
    const int command = F_OFD_SETLKW;
#else
    const int command = F_SETLKW;
#endif
    int r;
    do
        r = fcntl(file.handle(), command, &l);
    while (r != 0 && errno == EINTR);
    return r == 0;
}

qintptr lockFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -2;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? -1 : -2;
}

void releaseFolder(qintptr handle)
{
    if (handle >= 0)
        ::close(int(handle));
}
#endif

bool fileInUse(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return lockFile(f, true) == LockResult::InUse;
}
