#pragma once
// Backup of the main database to a file of the user's choice, and restore
// from such a file, safe while other copies of the program work on the same
// database. A backup is one consistent snapshot taken under the engine's read
// lock into a temporary file beside the archive, checked, then moved over the
// archive. A restore checks the archive whole, then copies it into the live
// file under the engine's write lock and journal: another copy's write is
// waited for (or the restore refused), never cut off, and a link named
// tavlinora.mdb gets the data in its target. A failure leaves both files as
// they were.

#include <QString>
#include <functional>

class QWidget;

namespace tav::backup {

// The file dialog a backup or restore asks.
struct FileRequest {
    QString title;
    QString filter;       // Qt syntax, the first entry selected
    QString folder;       // where the dialog opens: an existing folder
    QString fileName;     // the name proposed in it; empty: none
    bool save = false;    // save dialog (backup) or open dialog (restore)
};
// The user's Documents folder, or the home folder when there is none: a
// folder that does not exist would be offered as a file name.
QString startFolder();
FileRequest backupRequest();
FileRequest restoreRequest();

// Shows the dialog; an empty name when the user cancelled. Tests replace it.
using FileChooser = std::function<QString(QWidget* owner, const FileRequest&)>;
QString chooseFile(QWidget* owner, const FileRequest& request);
void setFileChooser(FileChooser chooser);   // empty: the real dialog

// Copies tavlinora.mdb to `target`, replacing it (through a link, its
// target); first removes the temporary copies a killed backup left in that
// folder that no running copy is making. Throws db::DbError.
void backupDatabase(const QString& target);

// Refuses (throws db::DbError) a restore source that is missing, cannot be
// read (with the system's reason), is not a main database of this program, or
// was written by a newer version of it.
void checkRestoreSource(const QString& source);

// Copies `source` into tavlinora.mdb. Refuses, before anything is written, a
// file that is not a whole main database of this program, a database that is
// still open in this process, and one another copy keeps busy for longer than
// a few seconds. Throws db::DbError.
void restoreDatabase(const QString& source);

// True while a connection of this process is open on the file.
bool isOpenInProcess(const QString& path);

} // namespace tav::backup
