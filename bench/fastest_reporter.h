// Keeps what a benchmark run measured so that a program can print ratios after it.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace vorlen::bench {

/// The fastest of a benchmark's repetitions: what a busy machine disturbs least.
inline double fastest(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}

/// Reports as --benchmark_format asks (console, json or csv) and keeps the CPU and the
/// real time of every benchmark, in seconds: the fastest repetition when there are several
/// (register the statistic "min" with `fastest`), else the only run. Construct it after
/// benchmark::Initialize, which reads the flags.
class FastestReporter : public benchmark::BenchmarkReporter {
public:
    // The library owns the default reporter for the whole run.
    FastestReporter() : shown_(benchmark::CreateDefaultDisplayReporter()) {}

    bool ReportContext(const Context& context) override { return shown_->ReportContext(context); }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool aggregate = run.run_type == Run::RT_Aggregate;
            if (run.error_occurred || (aggregate && run.aggregate_name != "min")) {
                continue;
            }
            const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
            seconds[run.run_name.str()] = run.GetAdjustedCPUTime() / unit;
            realSeconds[run.run_name.str()] = run.GetAdjustedRealTime() / unit;
        }
        shown_->ReportRuns(runs);
    }

    void Finalize() override { shown_->Finalize(); }

    /// Whether the results go out as the console table, for people rather than tools.
    bool console() const { return dynamic_cast<benchmark::ConsoleReporter*>(shown_) != nullptr; }

    /// CPU seconds of `name`, or 0 when it was not run.
    double operator[](const std::string& name) const { return find(seconds, name); }
    /// Real (or manually timed) seconds of `name`, or 0 when it was not run.
    double real(const std::string& name) const { return find(realSeconds, name); }

private:
    static double find(const std::map<std::string, double>& times, const std::string& name) {
        const auto found = times.find(name);
        return found == times.end() ? 0.0 : found->second;
    }

    benchmark::BenchmarkReporter* shown_;
    std::map<std::string, double> seconds;
    std::map<std::string, double> realSeconds;
};

/// While alive, sends what the program prints on standard output to standard error
/// instead, unless `keep`: the program's own lines then stay out of JSON or CSV results.
class NotesToStderr {
public:
    explicit NotesToStderr(bool keep) {
        if (!keep) {
            std::fflush(stdout);
            saved_ = dup(STDOUT_FILENO);
            if (saved_ >= 0) {
                dup2(STDERR_FILENO, STDOUT_FILENO);
            }
        }
    }
    ~NotesToStderr() {
        if (saved_ >= 0) {
            std::fflush(stdout);
            dup2(saved_, STDOUT_FILENO);
            close(saved_);
        }
    }
    NotesToStderr(const NotesToStderr&) = delete;
    NotesToStderr& operator=(const NotesToStderr&) = delete;

private:
    int saved_ = -1;
};

} // namespace vorlen::bench
