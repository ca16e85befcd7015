#pragma once
// The save job: every repaired file of the list is packed from its work folder
// into "NOVRAK_" plus its name in the destination folder, on a worker thread.

#include "engine/JobUi.h"

#include <filesystem>
#include <thread>

// The Save command, on the window thread: refused with a message while a job
// runs (the result is then not joinable); otherwise starts the worker.
std::thread StartSaveJob(IJobUi& view, const JobThreadParams& params);

// The worker procedure: 1 when the job ran, 0 when the destination was refused.
int SaveJobProc(JobThreadParams params);

// Packs workFolder into containerPath through a temporary file in the same
// folder that replaces containerPath only once it is complete, so a failed save
// leaves an earlier file of that name as it was. False when it failed.
bool WriteContainer(const std::filesystem::path& workFolder, const std::filesystem::path& containerPath);
