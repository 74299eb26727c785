#include "core/jobs/JobFront.h"

#include "core/files/DialogService.h"
#include "core/jobs/DestinationPolicy.h"

bool JobFront::run(JobHost& host, const Tool& tool) {
    if (host.isRunningJob()) {
        return false;
    }
    host.pausePlayer();
    if (tool.validate && !tool.validate()) {
        return false;
    }
    JobRequest request;
    request.kind = tool.kind;
    if (!tool.choose || !tool.choose(request) || request.outputs.isEmpty()) {
        return false;
    }
    const destinationPolicy::Verdict verdict = destinationPolicy::check(request);
    if (verdict.refused()) {
        msgBox(destinationPolicy::text(verdict), MsgButtons::Ok, titles::error(), MsgIcon::None,
               tool.owner);
        return false;
    }
    const std::unique_ptr<ToolJob> job = tool.build(request);
    return job != nullptr && host.runJob(*job, tool.owner, tool.kind);
}
