#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Each FOLDER argument replaced by its .MOV and .TS files in name order (not recursive);
// a folder that cannot be listed is reported on err and sets status to 1.
std::vector<std::string> expandFolders(const std::vector<std::string>& paths, std::ostream& err,
                                       int& status);

// Indices into recordings: each on its own in order, or with byTrip their trips as the
// player forms them (from each movie header's time and length).
std::vector<std::vector<int>> groupRecordings(const std::vector<std::string>& recordings,
                                              bool byTrip);

// "dashcam-telemetry: 1200/5000" on one terminal line, rewritten as work goes on, for runs
// long enough to need it; the line is ended when the run ends.
class DumpProgress
{
public:
    DumpProgress(std::ostream& err, bool enabled, int total);
    ~DumpProgress();
    DumpProgress(const DumpProgress&) = delete;
    DumpProgress& operator=(const DumpProgress&) = delete;
    void step();

private:
    std::ostream& m_err;
    bool m_enabled;
    int m_total;
    int m_done = 0;
};
