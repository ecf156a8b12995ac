#include "tools/dashcam-telemetry/library_command.h"

#include <QDateTime>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <ostream>

#include "library/library.h"
#include "tools/dashcam-telemetry/telemetry_dump.h"

const char kLibraryUsage[] =
    "\n"
    "Library: --library DB FOLDER... adds the recordings under the folders (and the files\n"
    "given) to the library database DB, created when missing; a recording already there\n"
    "with the same path, size and write time is not read again. A damaged DB is moved\n"
    "aside (DB.damaged-<time>) and a new one started; a read-only DB refuses imports.\n"
    "DB may be a PostgreSQL database with PostGIS shared by several machines instead:\n"
    "postgresql://[USER[:PASSWORD]@][HOST][:PORT]/DATABASE[?host=SOCKET-FOLDER&...].\n"
    "--passed LAT,LON,METRES lists every recording that passed within METRES of the place,\n"
    "newest first: path, UTC time of the closest approach (ISO 8601, or - when the\n"
    "recording's time is not known), latitude and longitude there, tab-separated.\n"
    "--at ISO-TIME (2024-06-11T08:15:30Z; without a zone it is UTC) lists the recordings\n"
    "running then, with the position: path, the time, latitude, longitude. No hit is not\n"
    "an error. Exit status 1 when the library cannot be opened or written (the import\n"
    "stops; what it stored stays) or a recording could not be read.\n";

namespace {

struct LibraryArgs
{
    std::string database;
    std::optional<std::string> passed;
    std::optional<std::string> at;
    QStringList folders;
};

// Takes the value after an option; false when there is none.
bool takeValue(const std::vector<std::string>& args, size_t& i, std::string& value)
{
    if (i + 1 >= args.size()) {
        return false;
    }
    value = args[++i];
    return true;
}

std::optional<std::string> parseArgs(const std::vector<std::string>& args, LibraryArgs& parsed)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.folders << QString::fromStdString(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--library" && takeValue(args, i, value)) {
            parsed.database = value;
        } else if (arg == "--passed" && takeValue(args, i, value)) {
            parsed.passed = value;
        } else if (arg == "--at" && takeValue(args, i, value)) {
            parsed.at = value;
        } else {
            return "unknown option or missing value: " + arg;
        }
    }
    const int asked = int(!parsed.folders.isEmpty()) + int(parsed.passed.has_value()) +
                      int(parsed.at.has_value());
    if (parsed.database.empty() || asked != 1) {
        return std::string("--library DB takes FOLDER..., --passed or --at (one of them)");
    }
    return std::nullopt;
}

struct Place
{
    double latitude, longitude, metres;
};

std::optional<Place> parsePlace(const std::string& text)
{
    const QStringList parts = QString::fromStdString(text).split(QLatin1Char(','));
    if (parts.size() != 3) {
        return std::nullopt;
    }
    bool ok[3];
    const Place place{parts[0].toDouble(&ok[0]), parts[1].toDouble(&ok[1]),
                      parts[2].toDouble(&ok[2])};
    if (!ok[0] || !ok[1] || !ok[2] || std::abs(place.latitude) > 90 ||
        std::abs(place.longitude) > 180 || !(place.metres >= 0) || place.metres > 1e6) {
        return std::nullopt;
    }
    return place;
}

std::optional<std::int64_t> parseTime(const std::string& text)
{
    QDateTime time = QDateTime::fromString(QString::fromStdString(text), Qt::ISODateWithMs);
    if (!time.isValid()) {
        return std::nullopt;
    }
    if (time.timeSpec() == Qt::LocalTime) {
        time.setTimeSpec(Qt::UTC);  // no zone given: the library's times are UTC
    }
    return time.toMSecsSinceEpoch();
}

void printHits(std::ostream& out, const std::vector<LibraryHit>& hits)
{
    for (const LibraryHit& hit : hits) {
        const std::string time = hit.utcMs ? QDateTime::fromMSecsSinceEpoch(*hit.utcMs, Qt::UTC)
                                                 .toString(Qt::ISODate)
                                                 .toStdString()
                                           : std::string("-");
        char position[64];
        std::snprintf(position, sizeof position, "%.6f\t%.6f", hit.latitude, hit.longitude);
        out << printableName(hit.path.toStdString()) << '\t' << time << '\t' << position << '\n';
    }
}

int importInto(Library& library, const QStringList& folders, std::ostream& err)
{
    const ImportSummary summary = library.importFolders(folders);
    for (const QString& problem : summary.problems) {
        err << "dashcam-telemetry: " << printableName(problem.toStdString()) << '\n';
    }
    if (!summary.error.isEmpty()) {
        err << "dashcam-telemetry: import stopped after " << summary.read
            << " recordings: " << summary.error.toStdString() << '\n';
        return 1;
    }
    err << "dashcam-telemetry: " << summary.found << " recordings found, " << summary.read
        << " read, " << summary.unchanged << " unchanged\n";
    return summary.problems.isEmpty() ? 0 : 1;
}

}  // namespace

int runLibraryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    LibraryArgs parsed;
    if (const auto problem = parseArgs(args, parsed)) {
        err << "dashcam-telemetry: " << *problem << '\n';
        return 2;
    }
    std::optional<Place> place;
    std::optional<std::int64_t> moment;
    if (parsed.passed && !(place = parsePlace(*parsed.passed))) {
        err << "dashcam-telemetry: --passed takes LAT,LON,METRES in decimal degrees and metres\n";
        return 2;
    }
    if (parsed.at && !(moment = parseTime(*parsed.at))) {
        err << "dashcam-telemetry: --at takes an ISO 8601 time (2024-06-11T08:15:30Z)\n";
        return 2;
    }
    Library library;
    const LibraryOpening opening = library.open(QString::fromStdString(parsed.database));
    if (!opening.note.isEmpty()) {
        err << "dashcam-telemetry: " << opening.note.toStdString() << '\n';
    }
    if (!opening.ok) {
        err << "dashcam-telemetry: cannot open the library " << parsed.database << ": "
            << opening.error.toStdString() << '\n';
        return 1;
    }
    if (!parsed.folders.isEmpty()) {
        return importInto(library, parsed.folders, err);
    }
    QString error;
    const std::vector<LibraryHit> hits =
        place ? library.passedHere(place->latitude, place->longitude, place->metres, error)
              : library.whereAt(*moment, error);
    if (!error.isEmpty()) {
        err << "dashcam-telemetry: " << error.toStdString() << '\n';
        return 1;
    }
    printHits(out, hits);
    return 0;
}
