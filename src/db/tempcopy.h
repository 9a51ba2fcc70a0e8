#pragma once
// The program's own temporary files and folders. Each carries a name no user
// makes by chance: "." + the name of what it becomes + ".tavlinora-tmp-" +
// six letters or digits. A file is built beside its final place under such
// a name and moved into place when it is whole. It is held (a file lock)
// while it is being made, so that another copy of the program starting on
// the same folder removes only what nobody is making any more: what a run
// that was killed left. Whatever else is in a folder is the user's, and no
// tidying touches it.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tav::db {

// What every temporary name of the program carries.
inline const QString kOwnTempMarker = QStringLiteral(".tavlinora-tmp-");

// True for a name the program gives its temporary files and folders:
// ".NAME.tavlinora-tmp-XXXXXX" (X a letter or a digit).
bool isOwnTempName(const QString& fileName);

class TempCopy {
public:
    // A new, empty, held file in the folder of `finalPath`. Throws DbError.
    explicit TempCopy(const QString& finalPath);
    // Removes the copy unless it was moved into place. Close every engine
    // connection to the copy first: the release of the hold closes a file,
    // which drops the locks this process holds on it.
    ~TempCopy();
    TempCopy(const TempCopy&) = delete;
    TempCopy& operator=(const TempCopy&) = delete;

    QString path() const;
    // Writes the copy through to the disk. Throws DbError.
    void sync();
    // Moves the copy over `target`, replacing what is there. Throws DbError.
    void replace(const QString& target);
    // Moves the copy to `target` only when no entry of that name exists; false
    // (and the copy removed) when one does. Throws DbError.
    bool placeIfAbsent(const QString& target);

private:
    void release();
    int fd_ = -1;
    QString path_;
    bool placed_ = false;
};

// Removes from the folder the program's temporary files that no running copy
// holds, and the journals of those that are gone. Nothing of another name is
// touched. Returns the names removed.
QStringList removeStaleTempFiles(const QString& folder);

// A folder of this copy's own, ".NAME.tavlinora-tmp-XXXXXX" in `parent`, open
// to its owner alone and held (a file lock on the folder) while the object
// lives, so that another copy's start-up removes only the folders of copies
// that are gone.
class HeldFolder {
public:
    // Throws DbError.
    HeldFolder(const QString& parent, const QString& name);
    // Removes the folder with what it holds.
    ~HeldFolder();
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    QString path() const { return path_; }
    QString parent() const { return parent_; }

private:
    QString parent_;
    QString path_;
    int fd_ = -1;
};

// Removes the folders ".NAME.tavlinora-tmp-XXXXXX" of `parent` that no running
// copy holds and that hold nothing but plain files named in `contents`; a
// folder holding anything else stays whole. Returns the names removed.
QStringList removeStaleFolders(const QString& parent, const QString& name, const QStringList& contents);

// A file written whole or not at all, and readable by its owner alone: made
// 0600, also where it replaces a file of wider modes (a file system that
// keeps no modes keeps none, and the write goes on). It is written as a held
// temporary file of the program's own beside it, synced and moved over the
// old file at the commit; a link named as the file is followed to its
// target. Every failure is a DbError of `failure`, a full disk named as
// such; the old file then stays as it was, and the temporary one goes.
class WholeFile {
public:
    WholeFile(const QString& path, const QString& failure);
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    void write(const QByteArray& bytes);
    // Every byte written so far out to the file system.
    void flush();
    // Every byte on the disk, then in place of the old file.
    void commit();

private:
    [[noreturn]] void fail(int error);
    static constexpr qsizetype kWriteSize = 1 << 16;
    QByteArray pending_;
    QString target_;   // links followed
    QString shown_;    // as the caller named it
    QString failure_;
    QString temp_;
    int fd_ = -1;
    bool committed_ = false;
};

} // namespace tav::db
