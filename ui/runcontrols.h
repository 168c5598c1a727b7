#pragma once

#include "edithost.h"

// What the window's controls show of the engine's state: Execute comes back
// as soon as Stop is pressed, while the run finishes its file; the pointer is
// busy, and the captions throttled, until the run or the undo has ended.
struct RunControls
{
    bool executeEnabled = true;
    bool stopEnabled = false;
    bool undoEnabled = false;
    bool working = false;
};

inline RunControls controlsFor(const RunState &state)
{
    const bool idle = state.activity == Activity::Idle;
    return {idle || state.stopRequested, !idle && !state.stopRequested, state.canUndo, !idle};
}
