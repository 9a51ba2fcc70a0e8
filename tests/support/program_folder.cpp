#include "program_folder.h"

#include "db/paths.h"
#include "db/schema.h"
#include "db/values.h"
#include "services/globals.h"

namespace testing_support {

TestFolder::TestFolder(bool createDatabases)
{
    tav::setProgramFolder(dir_.path());
    tav::CurrentDoctorCode.clear();
    tav::CurrentDoctorName.clear();
    if (createDatabases)
        tav::db::ensureDatabases();
}

TestFolder::~TestFolder()
{
    tav::Clock::setToday(QDate());
}

} // namespace testing_support
