#include "app/snapshot_target.h"

#include <sys/stat.h>

#include "telemetry/file_name.h"

std::string snapshotTargetProblem(const std::string& path)
{
    if (isRecordingExtension(upperExtension(path))) {
        return "it is a recording";
    }
    struct stat st
    {};
    if (::lstat(path.c_str(), &st) != 0) {
        return {};  // a new file
    }
    if (S_ISLNK(st.st_mode)) {
        return "it is a link to another file";
    }
    if (!S_ISREG(st.st_mode)) {
        return "it is not a regular file";
    }
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return "the file is read-only";
    }
    return {};
}
