#pragma once
// Temporary copies of the program's own naming. A file is built beside its
// final place under a unique hidden name (".NAME.part-XXXXXX") and moved
// into place when it is whole. The copy is held (a file lock) while it is
// being made, so that another copy of the program starting on the same
// folder removes only copies nobody is making any more: those of a run that
// was killed.
// The same holds for the other things of one copy's run that a kill may
// leave: its work folder, and the temporary file of a file written whole.

#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <memory>

class QTemporaryFile;

namespace tav::db {

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
    std::unique_ptr<QTemporaryFile> file_;
    QString path_;
    bool placed_ = false;
};

// Removes from the folder the temporary copies (".NAME.part-XXXXXX") that no
// running copy holds, with their journals. Returns the names removed.
QStringList removeStalePartCopies(const QString& folder);

// The same, and the copies left by earlier versions ("tavlinora.mdb.new",
// ".tavlinora.mdb.XXXXXX"): for the program folder.
QStringList removeStaleCopies(const QString& folder);

// A folder of this copy's own, ".NAME-XXXXXX" in `parent`, open to its owner
// alone and held (a file lock on the folder) while the object lives, so that
// another copy's start-up removes only the folders of copies that are gone.
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

// Removes the folders ".NAME-XXXXXX" of `parent` that no running copy holds.
// Returns the names removed.
QStringList removeStaleFolders(const QString& parent, const QString& name);

// A file written whole or not at all (QSaveFile) and readable by its owner
// alone: made 0600, and 0600 also where it replaces a file of wider modes (a
// file system that keeps no modes keeps none, and the write goes on). Its
// temporary file, "NAME.XXXXXX" where the file system gives no unnamed one,
// is held while written, so that another copy's start-up leaves it. Every
// failure is a DbError of `failure`, a full disk named as such; the old file
// then stays as it was.
class WholeFile {
public:
    WholeFile(const QString& path, const QString& failure);
    void write(const QByteArray& bytes);
    // Every byte written so far out to the file system.
    void flush();
    // Every byte on the disk, then in place of the old file.
    void commit();

private:
    [[noreturn]] void fail(int error);
    QSaveFile file_;
    QString path_;
    QString failure_;
};

// Removes the temporary files of WholeFile ("NAME.XXXXXX") of `names` in the
// folder that nobody holds: those of a run that was killed. Returns the names
// removed.
QStringList removeStaleSaveFiles(const QString& folder, const QStringList& names);

} // namespace tav::db
