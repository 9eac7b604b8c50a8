#include "programencoding.h"
