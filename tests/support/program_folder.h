#pragma once
// A fresh program folder with the delivered databases, removed afterwards.

#include <QTemporaryDir>

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

} // namespace testing_support
