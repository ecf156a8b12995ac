#pragma once

#include <QString>

#include "app/incident_report.h"

class QPainter;
class QPagedPaintDevice;
class QPrinter;

// The report laid out on the device's pages (A4, Letter, ...) from its first page on; the
// painter is active on the device.
void paintIncidentReport(const IncidentFacts& facts, QPainter& painter, QPagedPaintDevice& pages);

// The report on the printer as the print dialog left it set up. A PDF is made whole in
// memory and then saved over its name, so that a failed save leaves no part of one. Empty
// when printed, else why not.
QString printIncidentReport(const IncidentFacts& facts, QPrinter& printer);
