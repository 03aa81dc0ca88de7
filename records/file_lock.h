#pragma once
// Locks between programs on an open table file: shared while a table is open,
// exclusive for exclusive use. A lock lasts until its file is closed.

class QFile;
class QString;

enum class LockResult { Locked, InUse, Failed };

// Takes the lock without waiting; InUse when another holder prevents it.
LockResult lockFile(QFile &file, bool exclusive);
// True when anyone, this program included, holds the file at path open as a table.
bool fileInUse(const QString &path);
