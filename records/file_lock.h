#pragma once
// Locks between programs on an open table file: shared while a table is open,
// exclusive for exclusive use. A lock lasts until its file is closed.

#include <QtGlobal>

class QFile;
class QString;

enum class LockResult { Locked, InUse, Failed };

// Takes the lock without waiting; InUse when another holder prevents it.
LockResult lockFile(QFile &file, bool exclusive);
// True when anyone, this program included, holds the file at path open as a table.
bool fileInUse(const QString &path);

// The append lock between programs: one byte range, apart from the lock
// above, held while a program reads the record count and appends after it.
// Waits for another holder; false when the lock cannot be had at all.
bool lockAppend(QFile &file, bool on);

// One program per program folder: holds a lock on the folder itself for as
// long as the returned handle lives (closed by releaseFolder). Writes nothing.
// Returns -1 when another program holds it; -2 when it cannot be taken.
qintptr lockFolder(const QString &folder);
void releaseFolder(qintptr handle);
