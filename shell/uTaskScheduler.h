#pragma once
// Our own IShellTaskScheduler, the stand-in where the platform's class cannot
// be created. Callers normally get it through CreateTaskScheduler.
//
// - One worker thread, single-threaded apartment, started on demand; it leaves
//   after the idle time set with Status (default one minute) and comes back
//   with the next task.
// - Tasks run one at a time, highest priority first, first in first out within
//   one priority. A running task is never pre-empted.
// - RemoveTasks and CountTasks select by owner (TOID_NULL: every owner);
//   RemoveTasks also by parameter (ITSAT_DEFAULT_LPARAM: any). Removed queued
//   tasks are released unrun; a matching running task gets Kill. With the wait
//   flag, RemoveTasks returns only when no matching task runs or waits any
//   more; matching tasks queued while it waits (by the running task, or by a
//   handler of the messages it sends) are removed unstarted. While it waits it
//   handles the messages other threads send to the calling thread, so a task
//   that hands its result over with SendMessageW cannot deadlock it. Posted
//   messages stay queued.
// - CountTasks counts queued tasks and the running one.
// - The last Release drops the queued tasks unrun, calls Kill on the running
//   one (unless Status asked for ITSSFLAG_COMPLETE_ON_DESTROY) and waits for
//   the worker to finish (handling sent messages, at most
//   ITSS_THREAD_DESTROY_DEFAULT_TIMEOUT). Released by a task on the worker
//   thread, it cannot wait for itself: the worker ends after that task.

#include "app/ComPtr.h"

#include <shobjidl.h>

ComPtr<IShellTaskScheduler> CreateOwnTaskScheduler();
