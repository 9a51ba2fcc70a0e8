#pragma once
// A fresh program folder with the delivered databases, removed afterwards.

#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace testing_support {

class TestFolder {
public:
    // createDatabases=false leaves the folder empty.
    explicit TestFolder(bool createDatabases = true);
    ~TestFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// A file's permission bits, -1 when it cannot be read.
inline int modeOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

} // namespace testing_support
