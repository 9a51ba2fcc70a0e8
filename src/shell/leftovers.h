#pragma once
// The start-up's tidying of the program folder: what a killed run of this or
// another copy left is removed or mended, what a running copy holds stays,
// and this copy's own work folder is made.

namespace tav {

// The program's own temporary files and work folders that nobody holds are
// removed (a work folder only while it holds nothing but the program's work
// database), and nothing else; a Report_UTF8.xml older than Report.xml is
// written anew from it. Never throws: what cannot be done now
// is done, or said, by the report that needs it.
void tidyProgramFolder();

// This copy's work folder, once the databases are there; a start that fails
// before leaves none. Never throws: the first report item tries again and
// says why it cannot.
void makeWorkFolder();

} // namespace tav
