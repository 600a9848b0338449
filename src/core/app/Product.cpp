#include "app/Product.h"

std::string g_helpUrl = TORVANE_HELP_URL;
