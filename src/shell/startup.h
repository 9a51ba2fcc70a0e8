#pragma once

namespace tav {

// The program: folder, databases, splash, first doctor, main window, event loop.
int runProgram(int argc, char** argv);

} // namespace tav
