#include "consolemain.h"

int main(int argc, char **argv)
{
    return ConsoleMain(argc, argv);
}
