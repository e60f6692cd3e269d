#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/Program.h"
#include "platform/ComApartment.h"

int main(int argc, char** argv) {
    corvane::cli::prepareHeapForUpdate(argc, argv);
    int status = 0;
    {
        // The XML component is a COM object on Windows.
        corvane::ComApartment apartment;
        corvane::cli::prepareConsole();
        status = corvane::cli::runProgram(corvane::cli::commandLineArguments(argc, argv));
    }
    corvane::cli::leaveProgram(status);
    return status;
}
