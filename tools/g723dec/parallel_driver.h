// Runs decoding jobs on worker threads, each with its own decoder object,
// and plans the jobs of "-o DIR IN...".
#pragma once

#include <functional>
#include <vector>

#include "decode_job.h"
#include "options.h"
#include "status.h"

namespace g723dec {

// One job per input, writing DIR/NAME.wav (NAME.raw for raw output); creates
// DIR. Fails when two inputs would write the same output or DIR cannot be made.
Status planDirectoryJobs(const Options& options, std::vector<JobSpec>& jobs);

// Decodes the jobs on up to `threads` threads (the calling thread for one),
// calling report with each result as its job finishes, one call at a time.
// Returns the exit code of the first job, in job order, that failed.
int runJobs(const std::vector<JobSpec>& jobs, unsigned threads, const std::function<void(const JobResult&)>& report);

}  // namespace g723dec
