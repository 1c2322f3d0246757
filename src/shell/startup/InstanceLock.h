#pragma once
// Whether other instances of the program run for this user: each instance
// holds a shared lock on one file of the user's temporary folder for its
// whole run; an instance that can turn its lock into an exclusive one is the
// only one. The clean-up of temporary files asks it, so that it never deletes
// the files of an instance still running.
//
// Handing a command line to a running instance is the single-instance link's
// business; this only counts instances.

// Takes this instance's shared lock (once).
void AcquireInstanceLock();
void ReleaseInstanceLock();
// True when another instance holds the lock; also true when the lock cannot
// be had at all, since then nobody can tell.
bool OtherInstanceRunning();
