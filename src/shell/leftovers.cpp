#include "shell/leftovers.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/tempcopy.h"

namespace tav {

void tidyProgramFolder()
{
    db::removeStaleCopies(ProgramFolder);
    db::removeStaleFolders(ProgramFolder, kWorkFolderName);
}

void makeWorkFolder()
{
    try {
        openWorkFolder();
    } catch (const db::DbError&) {
    }
}

} // namespace tav
