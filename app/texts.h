#pragma once

#include "textpair.h"
