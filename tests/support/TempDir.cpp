#include "TempDir.h"
