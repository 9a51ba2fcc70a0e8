#include "db/tempcopy.h"

#include "db/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tav::db {

namespace {

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

// A plain file, not a link, a folder or a device.
bool isPlainFile(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// The folder of a copy that is gone, when it holds nothing but the plain
// files `contents` names: those, then the folder. Anything else in it (a
// user's file, a folder, a link) keeps it whole.
bool removeFolderIfStale(const QString& path, const QStringList& contents)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    bool removed = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && sameFile(fd, path)) {
        const QDir dir(path);
        const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        const bool ours = std::all_of(entries.cbegin(), entries.cend(), [&](const QString& name) {
            return contents.contains(name) && isPlainFile(dir.filePath(name));
        });
        if (ours) {
            for (const QString& name : entries)
                ::unlink(QFile::encodeName(dir.filePath(name)).constData());
            removed = ::rmdir(QFile::encodeName(path).constData()) == 0;
        }
    }
    ::close(fd);
    return removed;
}

QString randomTail()
{
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString tail;
    for (int i = 0; i < 6; ++i)
        tail += QLatin1Char(kChars[QRandomGenerator::global()->bounded(int(sizeof kChars) - 1)]);
    return tail;
}

// Whether a file or folder just made is this copy's: held, and still the
// entry of its name. A start-up of another copy may take it for stale in the
// moment between its making and its lock. Where the file system has no such
// locks (a network folder) it goes unheld; nobody can take it for stale
// there either.
bool holdMade(int fd, const QString& path)
{
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
    return held && sameFile(fd, path);
}

struct Made {
    int fd = -1;
    QString path;
    int error = 0;
};

// A new, empty, held file ".NAME.tavlinora-tmp-XXXXXX" in `folder`, open for
// reading and writing, 0600; on failure the error number.
Made makeHeldFile(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = dir.filePath(QLatin1Char('.') + name + kOwnTempMarker + randomTail());
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                              S_IRUSR | S_IWUSR);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return {-1, path, errno};
        }
        if (holdMade(fd, path))
            return {fd, path, 0};
        ::close(fd);   // the name may be someone else's now
    }
    return {-1, dir.path(), EEXIST};
}

const QRegularExpression& ownTempName()
{
    static const QRegularExpression re(QStringLiteral("^\\..+") + QRegularExpression::escape(kOwnTempMarker)
                                       + QStringLiteral("[A-Za-z0-9]{6}$"));
    return re;
}

const QString kJournal = QStringLiteral("-journal");

} // namespace

bool isOwnTempName(const QString& fileName)
{
    return ownTempName().match(fileName).hasMatch();
}

TempCopy::TempCopy(const QString& finalPath)
{
    const QFileInfo target(finalPath);
    const Made made = makeHeldFile(target.absolutePath(), target.fileName());
    if (made.fd < 0)
        throw fileError(QStringLiteral("Временното копие не може да бъде създадено"), target.absolutePath(), made.error);
    fd_ = made.fd;
    path_ = made.path;
}

TempCopy::~TempCopy()
{
    if (!placed_ && !path_.isEmpty()) {
        QFile::remove(path_);
        QFile::remove(path_ + kJournal);
    }
    release();
}

void TempCopy::release()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

QString TempCopy::path() const
{
    return path_;
}

void TempCopy::sync()
{
    if (fd_ < 0 || ::fsync(fd_) != 0)
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

QStringList removeStaleTempFiles(const QString& folder)
{
    const QDir dir(folder);
    QStringList removed;
    const QString pattern = QStringLiteral(".*") + kOwnTempMarker + QStringLiteral("??????");
    for (const QString& name : dir.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System))
        if (isOwnTempName(name) && removeIfStale(dir.filePath(name)))
            removed << name;
    // Journals of copies that are gone.
    for (const QString& name : dir.entryList({pattern + kJournal}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QString base = name.chopped(kJournal.size());
        if (isOwnTempName(base) && !QFileInfo::exists(dir.filePath(base)) && isPlainFile(dir.filePath(name))
            && QFile::remove(dir.filePath(name)))
            removed << name;
    }
    return removed;
}

// ---------------------------------------------------------------- HeldFolder

HeldFolder::HeldFolder(const QString& parent, const QString& name) : parent_(QDir(parent).absolutePath())
{
    const QString failure = QStringLiteral("Работната папка на програмата не може да бъде създадена");
    const QByteArray pattern =
        QFile::encodeName(QDir(parent_).filePath(QLatin1Char('.') + name + kOwnTempMarker + QStringLiteral("XXXXXX")));
    for (int attempt = 0; attempt < 5; ++attempt) {
        QByteArray made = pattern;
        if (!::mkdtemp(made.data()))   // mode 0700
            throw fileError(failure, parent_, errno);
        const QString path = QFile::decodeName(made);
        const int fd = ::open(made.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0 && holdMade(fd, path)) {
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

QStringList removeStaleFolders(const QString& parent, const QString& name, const QStringList& contents)
{
    const QDir dir(parent);
    QStringList removed;
    const QString prefix = QLatin1Char('.') + name + kOwnTempMarker;
    const QStringList folders = dir.entryList({prefix + QStringLiteral("??????")},
                                              QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& folder : folders)
        if (isOwnTempName(folder) && removeFolderIfStale(dir.filePath(folder), contents))
            removed << folder;
    return removed;
}

// ---------------------------------------------------------------- WholeFile

WholeFile::WholeFile(const QString& path, const QString& failure) : shown_(path), failure_(failure)
{
    // A link named as the file is followed: its target is what gets replaced.
    QFileInfo info(path);
    target_ = info.absoluteFilePath();
    for (int hops = 0; info.isSymLink(); ++hops) {
        if (hops == 40)
            fail(ELOOP);
        target_ = info.symLinkTarget();
        info.setFile(target_);
    }
    if (info.isDir())
        fail(EISDIR);
    if (info.exists() && !info.isWritable())
        fail(EACCES);
    const Made made = makeHeldFile(info.absolutePath(), info.fileName());
    if (made.fd < 0)
        fail(made.error);
    fd_ = made.fd;
    temp_ = made.path;
    // Patients' names and EGNs: for the owner's eyes, whatever the umask; a
    // file system without modes refuses, and that is all.
    (void)::fchmod(fd_, S_IRUSR | S_IWUSR);
}

WholeFile::~WholeFile()
{
    if (!committed_ && !temp_.isEmpty())
        ::unlink(QFile::encodeName(temp_).constData());
    if (fd_ >= 0)
        ::close(fd_);
}

void WholeFile::fail(int error)
{
    const QString where = native(shown_);
    if (error == ENOSPC || error == EDQUOT)
        throw DbError(failure_, kMsgDiskFull + QStringLiteral(": ") + where);
    throw DbError(failure_, where + QStringLiteral(": ") + systemError(error));
}

void WholeFile::write(const QByteArray& bytes)
{
    // Gathered into large writes: a report comes in thousands of small parts.
    pending_ += bytes;
    if (pending_.size() >= kWriteSize)
        flush();
}

void WholeFile::flush()
{
    // A full disk may take part of a write without a word: the rest is
    // written again, which then says why it cannot be.
    qsizetype done = 0;
    while (done < pending_.size()) {
        const ssize_t n = ::write(fd_, pending_.constData() + done, size_t(pending_.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(errno);
        if (n == 0)
            fail(ENOSPC);
        done += n;
    }
    pending_.clear();
}

void WholeFile::commit()
{
    flush();
    // A file whose last bytes the disk refused is never put in place.
    if (::fsync(fd_) != 0)
        fail(errno);
    if (::rename(QFile::encodeName(temp_).constData(), QFile::encodeName(target_).constData()) != 0)
        fail(errno);
    committed_ = true;
    syncFolder(QFileInfo(target_).absolutePath());
    ::close(fd_);
    fd_ = -1;
}

} // namespace tav::db
