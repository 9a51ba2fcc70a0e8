#include "shell/leftovers.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/tempcopy.h"
#include "fund_report/exportxml.h"

namespace tav {

void tidyProgramFolder()
{
    db::removeStaleCopies(ProgramFolder);
    db::removeStaleFolders(ProgramFolder, kWorkFolderName);
    try {
        fund_report::tidyReportFiles(ProgramFolder);
    } catch (const db::DbError&) {
        // The next export mends the pair again, and says what stops it.
    }
}

void makeWorkFolder()
{
    try {
        openWorkFolder();
    } catch (const db::DbError&) {
    }
}

} // namespace tav
