// Work sharing: workers take the next job index from a shared counter; the
// results are kept per job so the exit code follows the argument order.
#include "parallel_driver.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace g723dec {

namespace {

// Output names that the file system would treat as the same file.
std::string outputKey(const std::filesystem::path& path) {
    std::string key = path.lexically_normal().generic_string();
#ifdef _WIN32
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
#endif
    return key;
}

}  // namespace

Status planDirectoryJobs(const Options& options, std::vector<JobSpec>& jobs) {
    const std::filesystem::path dir(options.outputDir);
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec) && !std::filesystem::create_directories(dir, ec)) {
        return failure(exitOutputError, options.outputDir + ": cannot create the directory: " + ec.message());
    }
    std::map<std::string, std::string> inputOfOutput;
    for (const std::string& input : options.inputs) {
        std::filesystem::path output = dir / std::filesystem::path(input).stem();
        output += options.rawOutput ? ".raw" : ".wav";
        auto [it, added] = inputOfOutput.emplace(outputKey(output), input);
        if (!added) {
            return failure(exitUsage,
                           "inputs " + it->second + " and " + input + " would both be written to " + output.string());
        }
        JobSpec job;
        job.input = input;
        job.output = output.string();
        job.wavOutput = !options.rawOutput;
        job.framing = options.framing;
        job.loss = options.loss.empty() ? nullptr : &options.loss;
        job.stats = options.stats;
        jobs.push_back(job);
    }
    return Status{};
}

int runJobs(const std::vector<JobSpec>& jobs, unsigned threads, const std::function<void(const JobResult&)>& report) {
    std::vector<int> exitCodes(jobs.size(), exitOk);
    std::atomic<size_t> next{0};
    std::mutex reportMutex;
    auto work = [&]() {
        FrameDecoder decoder;
        for (size_t i = next++; i < jobs.size(); i = next++) {
            JobResult result = decodeFile(jobs[i], decoder);
            exitCodes[i] = result.exitCode;
            std::lock_guard<std::mutex> lock(reportMutex);
            report(result);
        }
    };
    size_t workers = std::min<size_t>(std::max(threads, 1u), jobs.size());
    if (workers <= 1) {
        work();
    } else {
        std::vector<std::thread> pool;
        for (size_t i = 0; i < workers; ++i) {
            pool.emplace_back(work);
        }
        for (std::thread& thread : pool) {
            thread.join();
        }
    }
    auto failed = std::find_if(exitCodes.begin(), exitCodes.end(), [](int code) { return code != exitOk; });
    return failed == exitCodes.end() ? exitOk : *failed;
}

}  // namespace g723dec
