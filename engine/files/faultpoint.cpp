#include "faultpoint.h"

namespace {

FaultHook s_hook = nullptr;

}   // namespace

void setFaultHook(FaultHook hook)
{
    s_hook = hook;
}

void reachFaultPoint(FaultPoint point)
{
    if (s_hook)
        s_hook(point);
}
