#pragma once

#include "core/jobs/JobRequest.h"
#include "core/jobs/ToolJob.h"

#include <functional>
#include <memory>

class QObject;

// What the job front needs of the program around it: whether a job runs, a player that
// stops playing, and the busy window that runs a job and reports its end.
class JobHost {
public:
    virtual ~JobHost() = default;
    virtual bool isRunningJob() const = 0;
    virtual void pausePlayer() = 0;
    // Runs job as operation op under the busy window over owner, and reports its end (the
    // completion report, the failure report, or nothing more after Break). True when the job
    // made its outputs.
    virtual bool runJob(ToolJob& job, QObject* owner, ToolOperation op) = 0;
};

// The one way a tool starts a job. Every tool gives its own three parts (what it checks,
// where it asks the outputs to go, the job it builds) and the front does the rest in the
// same order for all: nothing happens while another job runs; the player pauses; the tool
// checks its input; the user picks the destination; the destination policy refuses what
// would destroy a source or be removed by the clean-up; the job is built and run.
class JobFront {
public:
    struct Tool {
        ToolOperation kind = ToolOperation::Split;
        // The window the messages and the busy window belong to.
        QObject* owner = nullptr;
        // Checks the tool's input and says itself what is wrong; false stops.
        std::function<bool()> validate;
        // Asks where the outputs go and fills in the request's sources and outputs; false
        // when the user cancelled (nothing more is said).
        std::function<bool(JobRequest&)> choose;
        // The job for a request that passed every check.
        std::function<std::unique_ptr<ToolJob>(const JobRequest&)> build;
    };

    // True when the job ran and made its outputs.
    static bool run(JobHost& host, const Tool& tool);
};
