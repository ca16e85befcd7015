#pragma once
// The repair job: every listed file in turn is scanned, extracted into its work
// folder, marked and logged, on a worker thread.

#include "engine/JobUi.h"

#include <atomic>
#include <thread>

// The job side of the Repair command, on the window thread: clears the work area,
// sets the hint, controls and flags, sets the job-running flag, clears the log and
// the bars, and starts the worker. The caller keeps the thread (joining it only
// once the job has ended) and sets its own repair-has-run flag.
std::thread StartRepairJob(IJobUi& view, const JobThreadParams& params);

// The worker procedure; returns 1.
int RepairJobProc(JobThreadParams params);

// The Stop command, on the window thread: asks for confirmation and, on Yes,
// disables Stop and clears the job-running flag. Returns whether it did.
bool StopJob(IJobUi& view, std::atomic<bool>& jobRunning);
