#include "engine/glob.h"
