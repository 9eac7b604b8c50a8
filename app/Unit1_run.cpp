// Main window: run monitor and run control.

#include "Unit1.h"
