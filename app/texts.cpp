#include "texts.h"
