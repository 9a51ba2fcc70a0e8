// Backup of the practice to an archive and restore of it, as the menu's
// "Съхраняване на данни" and "Зареждане на данни" do them.

#include "bench.h"

#include "db/paths.h"
#include "shell/backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

QString archiveOf(const bench::Practice& p)
{
    return QDir(p.folder).filePath(QStringLiteral("bench-backup.arh"));
}

void reportSize()
{
    static bool told = false;
    if (told)
        return;
    told = true;
    std::printf("%-50s %10.1f MB\n", "practice database", QFileInfo(tav::DatabasePath).size() / 1e6);
}

const bench::Register backup({
    QStringLiteral("backup of the practice"),
    [](const bench::Practice& p) {
        reportSize();
        QFile::remove(archiveOf(p));
    },
    [](const bench::Practice& p) { tav::backup::backupDatabase(archiveOf(p)); },
    5,
});

const bench::Register restore({
    QStringLiteral("restore of the practice"),
    [](const bench::Practice& p) {
        reportSize();
        if (!QFile::exists(archiveOf(p)))
            tav::backup::backupDatabase(archiveOf(p));
    },
    [](const bench::Practice& p) { tav::backup::restoreDatabase(archiveOf(p)); },
    5,
});

} // namespace
