#include "platform/runtime/Exception.h"

void Abort()
{
    throw EAbort();
}
