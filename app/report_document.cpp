#include "app/report_document.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextOption>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "repair/recording_repair.h"
#include "session/clock_text.h"
#include "session/trip_report.h"

namespace {

constexpr double kBodyPoints = 10.0;
constexpr double kHeadingPoints = 13.0;
constexpr double kTitlePoints = 18.0;
constexpr double kHashPoints = 8.5;
constexpr double kLinkPoints = 7.5;    // a link of 7-decimal coordinates fits across A4
constexpr double kFramesShare = 0.38;  // of the page's height, for the pictures
constexpr double kTrackShare = 0.42;
constexpr double kTrackShareLeast = 0.25;

QFont bodyFont(double points, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    // Any spacing turns ligatures off: "fi" stays two letters that a search in the PDF finds.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.0 / 64);  // the smallest step
    return font;
}

QFont hashFont(double points = kHashPoints)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamily(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(points);
    return font;
}

QString channelName(const QString& label)
{
    static const QHash<QString, QString> names = {{QStringLiteral("F"), QStringLiteral("Front")},
                                                  {QStringLiteral("R"), QStringLiteral("Rear")},
                                                  {QStringLiteral("I"), QStringLiteral("Interior")},
                                                  {QStringLiteral("T"), QStringLiteral("Tele")}};
    if (label.isEmpty()) {
        return QStringLiteral("Picture");
    }
    return QStringLiteral("%1 (%2)").arg(names.value(label, QStringLiteral("Channel")), label);
}

QString speedText(int kmh, SpeedUnit unit)
{
    return QStringLiteral("%1 %2")
        .arg(speedIn(unit, kmh))
        .arg(unit == SpeedUnit::Mph ? QStringLiteral("mph") : QStringLiteral("km/h"));
}

QString gText(double g)
{
    return QStringLiteral("%1 g").arg(g, 0, 'f', 2);
}

struct FactLine
{
    QString label;
    QString value;
    bool wide = false;  // the value on a line of its own below the label, whole
};

// The facts in the order the page lists them.
std::vector<FactLine> factLines(const IncidentFacts& facts)
{
    std::vector<FactLine> lines;
    const auto add = [&](const QString& label, const QString& value, bool wide = false) {
        lines.push_back({label, value, wide});
    };
    add(QStringLiteral("Recording"), facts.recording);
    add(QStringLiteral("In the recording"), clockText(facts.positionSeconds));
    const QString format = QStringLiteral("yyyy-MM-dd hh:mm:ss");
    if (facts.tags.fixTime.isValid()) {
        add(QStringLiteral("Date and time (UTC)"),
            facts.tags.fixTime.toUTC().toString(format) + QStringLiteral(" UTC"));
        add(QStringLiteral("Date and time (local)"),
            facts.tags.frameTime.toString(format) + QLatin1Char(' ') +
                facts.tags.frameTime.timeZoneAbbreviation());
    } else {
        add(QStringLiteral("Date and time (UTC)"), QStringLiteral("not logged"));
        add(QStringLiteral("Date and time (local)"),
            facts.tags.frameTime.isValid()
                ? facts.tags.frameTime.toString(format) +
                      QStringLiteral(" (the camera's clock, time zone unknown)")
                : QStringLiteral("not known"));
    }
    const std::optional<TelemetryEntry>& shown = facts.shown;
    if (shown && shown->position && isOnEarth(*shown->position)) {
        const Position& p = *shown->position;
        add(QStringLiteral("Position"), QStringLiteral("%1, %2 (degrees latitude, longitude)")
                                            .arg(QString::fromStdString(degreesText(p.latitude)),
                                                 QString::fromStdString(degreesText(p.longitude))));
        add(QStringLiteral("On the map"), openStreetMapLink(p.latitude, p.longitude), true);
        add(QStringLiteral("Speed"), speedText(shown->speedKmh, facts.unit));
        add(QStringLiteral("Heading"), QStringLiteral("%1°").arg(shown->course, 0, 'f', 0));
    } else {
        add(QStringLiteral("Position"), QStringLiteral("no fix logged at this moment"));
    }
    if (facts.g) {
        const GAround& g = *facts.g;
        add(QStringLiteral("G-sensor"),
            QStringLiteral("X %1, Y %2, Z %3 (%4 from rest)")
                .arg(gText(g.now.gX), gText(g.now.gY), gText(g.now.gZ), gText(g.nowFromRest)));
        add(QStringLiteral("Peak within ±%1 s").arg(kPeakWindowSeconds, 0, 'f', 0),
            QStringLiteral("%1 from rest at %2")
                .arg(gText(g.peakFromRest), clockText(g.peakSeconds)));
    } else {
        add(QStringLiteral("G-sensor"), QStringLiteral("not logged at this moment"));
    }
    return lines;
}

// Lays the report out from top to bottom, starting a new page when the next block does not fit.
class PageFlow
{
public:
    PageFlow(QPainter& painter, QPagedPaintDevice& pages)
        : m_painter(painter),
          m_pages(pages),
          m_area(QPointF(0, 0), pages.pageLayout().paintRectPixels(pages.logicalDpiY()).size())
    {}

    double width() const { return m_area.width(); }
    double left() const { return m_area.height() - m_y; }  // on this page
    double height() const { return m_area.height(); }
    double points(double pt) const { return pt * m_pages.logicalDpiY() / 72.0; }

    // Room for a block of this height, on a new page if need be; its top.
    double take(double blockHeight)
    {
        keepRoom(blockHeight);
        const double top = m_y;
        m_y += blockHeight;
        return top;
    }

    void space(double pt) { m_y += points(pt); }

    // A new page unless this much still fits on this one.
    void keepRoom(double blockHeight)
    {
        if (m_y + blockHeight > m_area.height() && m_y > 0) {
            m_pages.newPage();
            m_y = 0;
        }
    }

    // Text wrapped to the width (anywhere in a long word, such as a path or a link).
    void text(const QString& text, const QFont& font, double indent = 0)
    {
        m_painter.setFont(font);
        const QRectF width(indent, 0, m_area.width() - indent, 1e9);
        const QRectF needed = m_painter.boundingRect(width, text, wrapping());
        const double top = take(needed.height());
        m_painter.drawText(QRectF(indent, top, width.width(), needed.height()), text, wrapping());
    }

    void labelled(const QString& label, const QString& value, double labelWidth)
    {
        m_painter.setFont(bodyFont(kBodyPoints, true));
        const QRectF valueArea(labelWidth, 0, m_area.width() - labelWidth, 1e9);
        const double labelHeight =
            m_painter.boundingRect(QRectF(0, 0, labelWidth, 1e9), label, wrapping()).height();
        m_painter.setFont(bodyFont(kBodyPoints));
        const double height =
            std::max(labelHeight, m_painter.boundingRect(valueArea, value, wrapping()).height());
        const double top = take(height);
        m_painter.drawText(QRectF(labelWidth, top, valueArea.width(), height), value, wrapping());
        m_painter.setFont(bodyFont(kBodyPoints, true));
        m_painter.drawText(QRectF(0, top, labelWidth, height), label, wrapping());
    }

    QPainter& painter() { return m_painter; }

private:
    // Between words; a path or a hash longer than the line anywhere.
    static QTextOption wrapping()
    {
        QTextOption option(Qt::AlignLeft | Qt::AlignTop);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        return option;
    }

    QPainter& m_painter;
    QPagedPaintDevice& m_pages;
    QRectF m_area;
    double m_y = 0;
};

// The picture scaled into the box, keeping its shape, centred horizontally.
QRectF fitted(const QSizeF& picture, const QRectF& box)
{
    const QSizeF size = picture.scaled(box.size(), Qt::KeepAspectRatio);
    return QRectF(box.left() + (box.width() - size.width()) / 2, box.top(), size.width(),
                  size.height());
}

void paintFrames(const IncidentFacts& facts, PageFlow& flow)
{
    if (facts.frames.empty()) {
        flow.text(QStringLiteral("No picture could be taken of this moment."),
                  bodyFont(kBodyPoints));
        return;
    }
    // The main channel across the page, the others side by side below it.
    const double caption = flow.points(kBodyPoints * 1.6);
    const size_t others = facts.frames.size() - 1;
    const double mainShare = others == 0 ? 1.0 : 0.6;
    const double boxHeight = flow.height() * kFramesShare;
    const double mainHeight = boxHeight * mainShare;
    QPainter& painter = flow.painter();
    painter.setFont(bodyFont(kBodyPoints, true));
    const auto draw = [&](const ReportFrame& frame, const QRectF& box) {
        const QRectF placed = fitted(QSizeF(frame.picture.size()), box);
        painter.drawImage(placed, frame.picture);
        painter.drawText(QRectF(placed.left(), placed.bottom(), placed.width(), caption),
                         Qt::AlignLeft | Qt::AlignVCenter, channelName(frame.label));
        return placed.height();
    };
    double top = flow.take(mainHeight + caption);
    draw(facts.frames.front(), QRectF(0, top, flow.width(), mainHeight));
    if (others == 0) {
        return;
    }
    const double gap = flow.points(8);
    const double each =
        (flow.width() - gap * static_cast<double>(others - 1)) / static_cast<double>(others);
    top = flow.take(boxHeight - mainHeight + caption);
    for (size_t i = 1; i < facts.frames.size(); ++i) {
        const QRectF box(static_cast<double>(i - 1) * (each + gap), top, each,
                         boxHeight - mainHeight);
        draw(facts.frames[i], box);
    }
}

// The trip drawn from its points: a flat projection (fine at the scale of a drive), the
// recording shown stronger than the rest of the trip, and the car's place marked.
void drawTrack(const IncidentFacts& facts, QPainter& painter, const QRectF& box)
{
    double south = 90, north = -90, west = 180, east = -180;
    for (const auto& part : facts.track) {
        for (const GeoPoint& p : part) {
            south = std::min(south, p.latitude);
            north = std::max(north, p.latitude);
            west = std::min(west, p.longitude);
            east = std::max(east, p.longitude);
        }
    }
    painter.fillRect(box, QColor(245, 245, 240));
    painter.setPen(QPen(Qt::gray, 0));
    painter.drawRect(box);
    if (south > north) {
        painter.drawText(box, Qt::AlignCenter, QStringLiteral("No position logged on this trip."));
        return;
    }
    const double xScale = std::cos((south + north) / 2 * std::numbers::pi / 180.0);
    const double spanX = std::max((east - west) * xScale, 1e-6);
    const double spanY = std::max(north - south, 1e-6);
    const QRectF inner = box.adjusted(box.width() * 0.05, box.height() * 0.05, -box.width() * 0.05,
                                      -box.height() * 0.05);
    const double scale = std::min(inner.width() / spanX, inner.height() / spanY);
    const QPointF origin(inner.center().x() - spanX * scale / 2,
                         inner.center().y() + spanY * scale / 2);
    const auto at = [&](double latitude, double longitude) {
        return QPointF(origin.x() + (longitude - west) * xScale * scale,
                       origin.y() - (latitude - south) * scale);
    };
    const double line = box.width() / 150;
    painter.setRenderHint(QPainter::Antialiasing);
    for (size_t i = 0; i < facts.track.size(); ++i) {
        const bool playing = static_cast<int>(i) == facts.playingPart;
        painter.setPen(QPen(playing ? QColor(200, 80, 0) : QColor(110, 110, 110),
                            playing ? line * 1.6 : line, Qt::SolidLine, Qt::RoundCap,
                            Qt::RoundJoin));
        QPolygonF polyline;
        for (const GeoPoint& p : facts.track[i]) {
            polyline << at(p.latitude, p.longitude);
        }
        painter.drawPolyline(polyline);
    }
    if (facts.shown && facts.shown->position && isOnEarth(*facts.shown->position)) {
        const QPointF car =
            at(facts.shown->position->latitude.value, facts.shown->position->longitude.value);
        painter.setPen(QPen(Qt::black, line / 2));
        painter.setBrush(QColor(220, 0, 0));
        painter.drawEllipse(car, line * 2, line * 2);
        painter.setBrush(Qt::NoBrush);
    }
}

void paintTrack(const IncidentFacts& facts, PageFlow& flow)
{
    // As large as the rest of the page allows, within bounds.
    const double caption = flow.points(kBodyPoints * 1.6);
    const double height = std::clamp(flow.left() - caption, flow.height() * kTrackShareLeast,
                                     flow.height() * kTrackShare);
    const double top = flow.take(height + caption);
    const QRectF box(0, top, flow.width(), height);
    QPainter& painter = flow.painter();
    painter.save();
    QString note;
    if (!facts.mapPicture.isNull()) {
        painter.drawImage(fitted(QSizeF(facts.mapPicture.size()), box), facts.mapPicture);
        note = QStringLiteral("The map as the player showed it. Map data © OpenStreetMap "
                              "contributors.");
    } else {
        drawTrack(facts, painter, box);
        note = QStringLiteral("Drawn from the logged positions; the red dot is the moment shown.");
    }
    painter.restore();
    painter.setFont(bodyFont(kBodyPoints));
    painter.drawText(QRectF(0, box.bottom(), box.width(), caption),
                     Qt::AlignLeft | Qt::AlignVCenter, note);
}

void paintFiles(const IncidentFacts& facts, PageFlow& flow)
{
    for (const EvidenceFile& file : facts.files) {
        flow.space(4);
        const QFileInfo info(file.path);
        flow.text(info.fileName(), bodyFont(kBodyPoints, true));
        if (isRepairedCopyName(QFile::encodeName(file.path).toStdString())) {
            // Not what the camera wrote: its index was rebuilt from a recording cut off.
            flow.text(QStringLiteral("Repaired copy: made by this player from a recording that "
                                     "was cut off before its index; the camera's file is "
                                     "another one"),
                      bodyFont(kBodyPoints));
        }
        flow.text(QStringLiteral("Folder: %1").arg(info.absolutePath()), bodyFont(kBodyPoints));
        if (!file.problem.isEmpty()) {
            flow.text(QStringLiteral("Could not be read: %1").arg(file.problem),
                      bodyFont(kBodyPoints));
            continue;
        }
        flow.text(QStringLiteral("Size: %1 bytes").arg(file.size), bodyFont(kBodyPoints));
        flow.text(QStringLiteral("SHA-256: %1").arg(file.sha256), hashFont());
    }
}

// A heading kept on one page with the first `following` of what it heads.
void heading(PageFlow& flow, const QString& text, double following)
{
    flow.space(10);
    flow.keepRoom(flow.points(kHeadingPoints * 2) + following);
    flow.text(text, bodyFont(kHeadingPoints, true));
    flow.space(3);
}

}  // namespace

void paintIncidentReport(const IncidentFacts& facts, QPainter& painter, QPagedPaintDevice& pages)
{
    PageFlow flow(painter, pages);
    painter.setPen(Qt::black);
    flow.text(QStringLiteral("Incident report"), bodyFont(kTitlePoints, true));
    flow.text(QStringLiteral("%1 at %2").arg(facts.recording, clockText(facts.positionSeconds)),
              bodyFont(kBodyPoints));
    flow.space(8);
    paintFrames(facts, flow);
    heading(flow, QStringLiteral("The moment"), flow.points(kBodyPoints * 4));
    const double labelWidth = flow.points(kBodyPoints * 13);
    for (const FactLine& line : factLines(facts)) {
        if (line.wide) {
            flow.labelled(line.label, {}, labelWidth);
            flow.text(line.value, hashFont(kLinkPoints));
        } else {
            flow.labelled(line.label, line.value, labelWidth);
        }
    }
    heading(flow, QStringLiteral("The trip"), flow.height() * kTrackShareLeast);
    paintTrack(facts, flow);
    heading(flow, QStringLiteral("The recording's files"), flow.points(kBodyPoints * 8));
    flow.text(QStringLiteral("A copy is the same as these files when its size and SHA-256 "
                             "(for example by sha256sum) are the same."),
              bodyFont(kBodyPoints));
    paintFiles(facts, flow);
    flow.space(10);
    flow.text(
        QStringLiteral("Made by dashcam-player on %1 UTC.")
            .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))),
        bodyFont(kBodyPoints * 0.8));
}

QString printIncidentReport(const IncidentFacts& facts, QPrinter& printer)
{
    const QString title = QStringLiteral("Incident report: %1").arg(facts.recording);
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        {
            QPdfWriter pdf(&buffer);
            pdf.setPageLayout(printer.pageLayout());
            pdf.setResolution(printer.resolution());
            pdf.setTitle(title);
            pdf.setCreator(QStringLiteral("dashcam-player"));
            QPainter painter;
            if (!painter.begin(&pdf)) {
                return QStringLiteral("the PDF could not be made");
            }
            paintIncidentReport(facts, painter, pdf);
            painter.end();
        }
        return saveWhole(printer.outputFileName(), buffer.data().toStdString());
    }
    printer.setDocName(title);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return QStringLiteral("the printer could not be started");
    }
    paintIncidentReport(facts, painter, printer);
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        return QStringLiteral("the printer did not take the pages");
    }
    return {};
}
