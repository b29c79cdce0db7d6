// vireziriv: lists the users of a Velto presence board. Runs the command and exits with its status.
#include "listing/Program.h"
#include "platform/Console.h"

int main(int argc, char** argv) {
    vireziriv::platform::PrepareConsole();
    vireziriv::platform::RecordProcessArguments(argc, argv);
    return vireziriv::RunProgram();
}
