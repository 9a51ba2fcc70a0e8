#include "shell/leftovers.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/tempcopy.h"
#include "fund_report/exportxml.h"

namespace tav {

void tidyProgramFolder()
{
    db::removeStaleTempFiles(ProgramFolder);
    db::removeStaleFolders(ProgramFolder, kWorkFolderName, {kTempFileName, kTempFileName + QStringLiteral("-journal")});
    try {
        fund_report::mendReportPair(ProgramFolder);
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
