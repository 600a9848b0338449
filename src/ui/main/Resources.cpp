#include "main/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
void InitTorvaneResources()
{
    Q_INIT_RESOURCE(torvane);
}
