#include "db/tempcopy.h"

#include "db/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tav::db {

namespace {

const QString kPart = QStringLiteral(".part-");

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The words for a failed write: a full disk is named as such.
DbError fileError(const QString& message, const QString& path, int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return DbError(kMsgDiskFull, native(path) + QStringLiteral(": ") + systemError(error));
    return DbError(message, native(path) + QStringLiteral(": ") + systemError(error));
}

bool sameFile(int fd, const QString& path)
{
    struct stat a {}, b {};
    return ::fstat(fd, &a) == 0 && ::stat(QFile::encodeName(path).constData(), &b) == 0 && a.st_dev == b.st_dev
        && a.st_ino == b.st_ino;
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Removes the file when nobody holds it; the file is held meanwhile, so a
// copy that begins to hold it just now keeps it.
bool removeIfStale(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    bool removed = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && sameFile(fd, path))
        removed = ::unlink(QFile::encodeName(path).constData()) == 0;
    ::close(fd);   // the lock goes with it
    return removed;
}

// The same for a folder of a copy that is gone, with what it holds.
bool removeFolderIfStale(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    bool removed = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && sameFile(fd, path))
        removed = QDir(path).removeRecursively();
    ::close(fd);
    return removed;
}

} // namespace

TempCopy::TempCopy(const QString& finalPath)
{
    const QFileInfo target(finalPath);
    const QString folder = target.absolutePath();
    const QString pattern = QDir(folder).filePath(QStringLiteral(".%1%2XXXXXX").arg(target.fileName(), kPart));
    // A start-up of another copy may take a file for stale in the moment
    // between its creation and its lock: then another one is made.
    for (int attempt = 0; attempt < 5; ++attempt) {
        auto f = std::make_unique<QTemporaryFile>(pattern);
        if (!f->open())
            throw DbError(QStringLiteral("Временното копие не може да бъде създадено"),
                          native(folder) + QStringLiteral(": ") + f->errorString());
        if (::flock(f->handle(), LOCK_EX | LOCK_NB) == 0 && sameFile(f->handle(), f->fileName())) {
            path_ = f->fileName();
            file_ = std::move(f);
            return;
        }
        f->setAutoRemove(false);   // the name may be someone else's now
    }
    throw DbError(QStringLiteral("Временното копие не може да бъде създадено"), native(folder));
}

TempCopy::~TempCopy()
{
    if (!placed_ && !path_.isEmpty()) {
        QFile::remove(path_);
        QFile::remove(path_ + QStringLiteral("-journal"));
    }
    release();
}

void TempCopy::release()
{
    if (file_) {
        file_->setAutoRemove(false);
        file_->close();
        file_.reset();
    }
}

QString TempCopy::path() const
{
    return path_;
}

void TempCopy::sync()
{
    if (!file_ || ::fsync(file_->handle()) != 0)
        throw fileError(QStringLiteral("Копието не може да бъде записано"), path_, errno);
}

void TempCopy::replace(const QString& target)
{
    if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(target).constData()) != 0)
        throw fileError(QStringLiteral("Копието не може да бъде поставено на мястото си"), target, errno);
    placed_ = true;
    syncFolder(QFileInfo(target).absolutePath());
    release();
}

bool TempCopy::placeIfAbsent(const QString& target)
{
    const QByteArray from = QFile::encodeName(path_);
    const QByteArray to = QFile::encodeName(target);
    // A hard link is made only where no entry of that name is, a dangling
    // link included; where the file system has none, a rename that will not
    // replace.
    int rc = ::link(from.constData(), to.constData());
    if (rc == 0) {
        ::unlink(from.constData());
    } else if (errno != EEXIST) {
        rc = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
            // A file system with neither: looked at, then renamed.
            struct stat there {};
            if (::lstat(to.constData(), &there) == 0) {
                errno = EEXIST;
            } else {
                rc = ::rename(from.constData(), to.constData());
            }
        }
        if (rc != 0 && errno != EEXIST)
            throw fileError(QStringLiteral("Копието не може да бъде поставено на мястото си"), target, errno);
    }
    if (rc != 0) {
        QFile::remove(path_);
        placed_ = true;   // nothing left to remove
        release();
        return false;
    }
    placed_ = true;
    syncFolder(QFileInfo(target).absolutePath());
    release();
    return true;
}

QStringList removeStalePartCopies(const QString& folder)
{
    const QDir dir(folder);
    QStringList removed;
    const QString part = QStringLiteral(".*") + kPart + QStringLiteral("??????");
    for (const QString& name : dir.entryList({part}, QDir::Files | QDir::Hidden | QDir::System))
        if (removeIfStale(dir.filePath(name)))
            removed << name;
    // Journals of copies that are gone.
    for (const QString& name : dir.entryList({part + QStringLiteral("-journal")}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QString base = name.chopped(int(QStringLiteral("-journal").size()));
        if (!QFileInfo::exists(dir.filePath(base)) && QFile::remove(dir.filePath(name)))
            removed << name;
    }
    return removed;
}

QStringList removeStaleCopies(const QString& folder)
{
    const QDir dir(folder);
    QStringList removed;
    const QStringList copies = dir.entryList({QStringLiteral("*.mdb.new"), QStringLiteral(".tavlinora.mdb.??????")},
                                             QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : copies)
        if (removeIfStale(dir.filePath(name)))
            removed << name;
    for (const QString& name : dir.entryList({QStringLiteral("*.mdb.new-journal")}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QString base = name.chopped(int(QStringLiteral("-journal").size()));
        if (!QFileInfo::exists(dir.filePath(base)) && QFile::remove(dir.filePath(name)))
            removed << name;
    }
    removed << removeStalePartCopies(folder);
    return removed;
}

// ---------------------------------------------------------------- HeldFolder

HeldFolder::HeldFolder(const QString& parent, const QString& name) : parent_(QDir(parent).absolutePath())
{
    const QString failure = QStringLiteral("Работната папка на програмата не може да бъде създадена");
    const QByteArray pattern = QFile::encodeName(QDir(parent_).filePath(QStringLiteral(".%1-XXXXXX").arg(name)));
    // As with the copies: a start-up of another copy may take the folder for
    // stale between its making and its lock; then another one is made.
    for (int attempt = 0; attempt < 5; ++attempt) {
        QByteArray made = pattern;
        if (!::mkdtemp(made.data()))   // mode 0700
            throw fileError(failure, parent_, errno);
        const QString path = QFile::decodeName(made);
        const int fd = ::open(made.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        // Where the file system has no such locks (a network folder) the
        // folder goes unheld; nobody can take it for stale there either.
        const bool held = fd >= 0 && (::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK);
        if (held && sameFile(fd, path)) {
            fd_ = fd;
            path_ = path;
            return;
        }
        if (fd >= 0)
            ::close(fd);
    }
    throw DbError(failure, native(parent_));
}

HeldFolder::~HeldFolder()
{
    // Removed while still held, so that nobody takes it meanwhile.
    QDir(path_).removeRecursively();
    ::close(fd_);
}

QStringList removeStaleFolders(const QString& parent, const QString& name)
{
    const QDir dir(parent);
    QStringList removed;
    const QStringList folders = dir.entryList({QStringLiteral(".%1-??????").arg(name)},
                                              QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& folder : folders)
        if (removeFolderIfStale(dir.filePath(folder)))
            removed << folder;
    return removed;
}

// ---------------------------------------------------------------- WholeFile

WholeFile::WholeFile(const QString& path, const QString& failure) : file_(path), path_(path), failure_(failure)
{
    if (!file_.open(QIODevice::WriteOnly))
        fail(errno);
    // Patients' names and EGNs: for the owner's eyes, whatever the old
    // file's modes were; a file system without modes refuses, and that is all.
    (void)::fchmod(file_.handle(), S_IRUSR | S_IWUSR);
    (void)::flock(file_.handle(), LOCK_EX | LOCK_NB);
}

void WholeFile::fail(int error)
{
    const bool full = file_.error() == QFileDevice::ResourceError || error == ENOSPC || error == EDQUOT;
    if (full)
        throw DbError(failure_, kMsgDiskFull + QStringLiteral(": ") + native(path_));
    const QString reason = file_.error() != QFileDevice::NoError || error == 0 ? file_.errorString() : systemError(error);
    throw DbError(failure_, native(path_) + QStringLiteral(": ") + reason);
}

void WholeFile::write(const QByteArray& bytes)
{
    // A full disk may take part of a write without a word: the rest is
    // written again, which then says why it cannot be.
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 n = file_.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            fail(errno);
        done += n;
    }
}

void WholeFile::flush()
{
    errno = 0;
    if (!file_.flush() || file_.error() != QFileDevice::NoError)
        fail(errno);
}

void WholeFile::commit()
{
    // QSaveFile would put in place a file whose last bytes the disk refused
    // at its closing: they are written out and checked first.
    flush();
    errno = 0;
    if (!file_.commit())
        fail(errno);
}

QStringList removeStaleSaveFiles(const QString& folder, const QStringList& names)
{
    const QDir dir(folder);
    QStringList removed;
    for (const QString& name : names) {
        const QRegularExpression own(QStringLiteral("^") + QRegularExpression::escape(name)
                                     + QStringLiteral("\\.[A-Za-z0-9]{6}$"));
        for (const QString& file : dir.entryList({name + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden | QDir::System))
            if (own.match(file).hasMatch() && removeIfStale(dir.filePath(file)))
                removed << file;
    }
    return removed;
}

} // namespace tav::db
