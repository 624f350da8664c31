#include "analysis/core/qrvfile.h"
