#include "faultpoint.h"

#include <atomic>

namespace {

FaultHook s_hook = nullptr;
std::atomic<bool> s_refuseUnnamed = false;   // read by worker threads

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

void refuseUnnamedFiles(bool refuse)
{
    s_refuseUnnamed = refuse;
}

bool unnamedFilesRefused()
{
    return s_refuseUnnamed;
}
