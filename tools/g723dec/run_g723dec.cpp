// Dispatch between the single-file form and the output-directory form.
#include "run_g723dec.h"

#include <cstdio>
#include <thread>

#include "kit/version.h"
#include "options.h"
#include "parallel_driver.h"

namespace g723dec {

namespace {

void printReport(const JobResult& result) {
    std::fputs(result.report.c_str(), stderr);
    std::fflush(stderr);
}

Status planJobs(const Options& options, std::vector<JobSpec>& jobs) {
    if (!options.outputDir.empty()) {
        return planDirectoryJobs(options, jobs);
    }
    JobSpec job;
    job.input = options.inputs.front();
    job.output = options.output;
    job.wavOutput = !options.rawOutput && options.output != "-";
    job.framing = options.framing;
    job.loss = options.loss.empty() ? nullptr : &options.loss;
    job.stats = options.stats;
    jobs.push_back(job);
    return Status{};
}

}  // namespace

int runG723dec(const std::vector<std::string>& args) {
    Options options;
    Status status = parseOptions(args, options);
    if (status.ok() && options.help) {
        std::fputs(helpText().c_str(), stdout);
        return exitOk;
    }
    if (status.ok() && options.version) {
        std::fputs(kit::versionLine("g723dec").c_str(), stdout);
        return exitOk;
    }
    std::vector<JobSpec> jobs;
    if (status.ok()) {
        status = planJobs(options, jobs);
    }
    if (!status.ok()) {
        std::fprintf(stderr, "g723dec: %s\n", status.message.c_str());
        return status.exitCode;
    }
    return runJobs(jobs, std::thread::hardware_concurrency(), printReport);
}

}  // namespace g723dec
