// Files to remove if the process is stopped by SIGINT, SIGTERM or SIGHUP
// before it can remove them itself: a save's temporary file must not outlive
// a Ctrl-C. The handlers are installed only while a file is registered and
// only over signals left at their default action, so a program that handles
// or ignores these signals itself keeps its own behaviour; after removing the
// files the signal takes its default action as before.
#pragma once

// Registers path for removal on interruption. Returns the entry to release,
// or -1 when the path cannot be kept (too long, or too many at once), in
// which case an interruption leaves it behind as before.
int RegisterInterruptCleanup(const char* path);
void ReleaseInterruptCleanup(int entry);
