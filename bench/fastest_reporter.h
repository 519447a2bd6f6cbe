// Keeps what a benchmark run measured so that a program can print ratios after it.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace vorlen::bench {

/// The fastest of a benchmark's repetitions: what a busy machine disturbs least.
inline double fastest(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}

/// Prints as the console reporter does and keeps the CPU and the real time of every
/// benchmark, in seconds: the fastest repetition when there are several (register the
/// statistic "min" with `fastest`), else the only run.
class FastestReporter : public benchmark::ConsoleReporter {
public:
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
        ConsoleReporter::ReportRuns(runs);
    }

    /// CPU seconds of `name`, or 0 when it was not run.
    double operator[](const std::string& name) const { return find(seconds, name); }
    /// Real (or manually timed) seconds of `name`, or 0 when it was not run.
    double real(const std::string& name) const { return find(realSeconds, name); }

private:
    static double find(const std::map<std::string, double>& times, const std::string& name) {
        const auto found = times.find(name);
        return found == times.end() ? 0.0 : found->second;
    }

    std::map<std::string, double> seconds;
    std::map<std::string, double> realSeconds;
};

} // namespace vorlen::bench
