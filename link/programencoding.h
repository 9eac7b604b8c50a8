#pragma once

#include "progparam.h"
