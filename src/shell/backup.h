#pragma once
// Backup of the main database to a file of the user's choice, and restore
// from such a file. A copy goes to a temporary file in the destination's
// folder and is renamed over the destination only when it is complete, so a
// failed copy leaves both files as they were.

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

// Copies tavlinora.mdb to `target`, replacing it. Throws db::DbError.
void backupDatabase(const QString& target);

// Refuses (throws db::DbError) a restore source that is missing, is not a
// main database of this program, or was written by a newer version of it.
void checkRestoreSource(const QString& source);

// Copies `source` over tavlinora.mdb. Refuses, before anything is written, a
// file that is not a main database of this program, and a database that is
// still open in this process. Throws db::DbError.
void restoreDatabase(const QString& source);

// True while a connection of this process is open on the file.
bool isOpenInProcess(const QString& path);

} // namespace tav::backup
