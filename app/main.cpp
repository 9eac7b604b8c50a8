// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/consolemain.h"

int main(int argc, char **argv)
{
    return ConsoleMain(argc, argv);
}
