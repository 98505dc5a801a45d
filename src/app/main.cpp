// The lease-form program. It takes no options: its data folder is the current directory.

#include "app/Program.h"

int main(int argc, char **argv)
{
    return app::RunProgram(argc, argv);
}
