#include "shell/startup.h"

int main(int argc, char** argv)
{
    return tav::runProgram(argc, argv);
}
