#pragma once

// Moments of a rewrite at which a test stops the program, as a kill or a
// power cut would, to see what the files on disk hold then. Nothing but a
// test ever sets the hook.
enum class FaultPoint {
    NewFileWritten,   // the new file is whole, not yet named
    NewFileRenamed,   // the new file has replaced the old one
    CopyNamed,        // in place: the old content stands named beside the file
    FirstOverwrite,   // in place: the first new bytes are written over the old
    Overwritten,      // in place: all new bytes written, the copy still named
};

using FaultHook = void (*)(FaultPoint);

// Sets the function called at each fault point (nullptr: none).
void setFaultHook(FaultHook hook);

void reachFaultPoint(FaultPoint point);

// Makes every file system answer as one without files that have no name
// (FUSE, NFS), so that tests meet the named new files those get.
void refuseUnnamedFiles(bool refuse);
bool unnamedFilesRefused();
