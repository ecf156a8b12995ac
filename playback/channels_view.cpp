#include "playback/channels_view.h"

#include "playback/full_screen.h"
#include "playback/video_widget.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>
#include <numeric>
#include <utility>

namespace {

const QString kRearLabel = QStringLiteral("R");

struct InsetSize
{
    const char* text;
    int percent;
};
constexpr InsetSize kInsetSizes[] = {
    {"Small inset", 20}, {"Medium inset", 30}, {"Large inset", 40}};

}  // namespace

ChannelsView::ChannelsView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    showChannels({QString()});
}

ChannelsView::~ChannelsView() = default;

std::vector<VideoWidget*> ChannelsView::showChannels(const QStringList& labels)
{
    const auto count = static_cast<size_t>(labels.size());
    while (m_channels.size() > count) {
        delete m_channels.back();
        m_channels.pop_back();
    }
    while (m_channels.size() < count) {
        m_channels.push_back(newChannel());
    }
    m_labels = labels;
    m_order.resize(count);
    std::iota(m_order.begin(), m_order.end(), 0);
    for (size_t i = 0; i < count; ++i) {
        setChannelNote(static_cast<int>(i), {});
    }
    arrange();
    return m_channels;
}

VideoWidget* ChannelsView::newChannel()
{
    auto* video = new VideoWidget(this);
    connect(video, &VideoWidget::doubleClicked, this, &ChannelsView::doubleClicked);
    connect(video, &VideoWidget::clicked, this, [this, video] {
        const auto at = std::find(m_channels.begin(), m_channels.end(), video);
        const int place = channelPlace(static_cast<int>(at - m_channels.begin()));
        if (m_layout.arrangement == ChannelArrangement::PictureInPicture && place > 0) {
            makeMain(place);
        }
    });
    // The insets sit inside the main picture, which moves with its native size.
    connect(video, &VideoWidget::pictureMoved, this, [this, video] {
        if (!m_order.empty() && channel(m_order.front()) == video) {
            arrange();
        }
    });
    return video;
}

VideoWidget* ChannelsView::channel(int index) const
{
    return index >= 0 && index < channelCount() ? m_channels[static_cast<size_t>(index)] : nullptr;
}

int ChannelsView::channelAt(int place) const
{
    return place >= 0 && place < channelCount() ? m_order[static_cast<size_t>(place)] : -1;
}

int ChannelsView::channelPlace(int index) const
{
    const auto at = std::find(m_order.begin(), m_order.end(), index);
    return at == m_order.end() ? -1 : static_cast<int>(at - m_order.begin());
}

void ChannelsView::setChannelNote(int index, const QString& note)
{
    if (VideoWidget* video = channel(index)) {
        // One channel is the video area as it always was: no label.
        video->setCaption(channelCount() > 1 ? m_labels[index] : QString(), note);
    }
}

bool ChannelsView::isChannelShown(int index) const
{
    const VideoWidget* video = channel(index);
    return video != nullptr && !video->isHidden();
}

void ChannelsView::setFullScreen(bool on)
{
    if (on == m_fullScreen) {
        return;
    }
    m_fullScreen = on;
    switchFullScreen(this, on, m_normalGeometry, m_channels);
    arrange();
}

void ChannelsView::setChannelLayout(const ChannelLayout& layout)
{
    m_layout = layout;
    m_layout.insetPercent = std::clamp(layout.insetPercent, ChannelLayout::kMinInsetPercent,
                                       ChannelLayout::kMaxInsetPercent);
    arrange();
}

void ChannelsView::changeLayout(const ChannelLayout& layout)
{
    if (layout == m_layout) {
        return;
    }
    setChannelLayout(layout);
    emit channelLayoutChanged(m_layout);
}

void ChannelsView::cycleArrangement()
{
    ChannelLayout next = m_layout;
    next.arrangement = nextArrangement(m_layout.arrangement, channelCount());
    changeLayout(next);
}

void ChannelsView::swapChannels()
{
    if (m_order.size() > 1) {
        std::rotate(m_order.begin(), m_order.begin() + 1, m_order.end());
        arrange();
    }
}

void ChannelsView::makeMain(int place)
{
    std::swap(m_order[0], m_order[static_cast<size_t>(place)]);
    arrange();
}

void ChannelsView::arrange()
{
    if (m_channels.empty()) {
        return;
    }
    const int count = channelCount();
    std::vector<QRect> places = arrangeChannels(m_layout, count, size(), {});
    VideoWidget* main = channel(m_order.front());
    main->setGeometry(places.front());
    if (m_layout.arrangement == ChannelArrangement::PictureInPicture) {
        places = arrangeChannels(m_layout, count, size(),
                                 main->videoRect().translated(places.front().topLeft()));
    }
    for (int place = 0; place < count; ++place) {
        const int index = m_order[static_cast<size_t>(place)];
        VideoWidget* video = channel(index);
        const QRect& rect = places[static_cast<size_t>(place)];
        video->setGeometry(rect);
        video->setVisible(!rect.isEmpty());
        video->setMirrored(m_layout.mirrorRear && place > 0 && count > 1 &&
                           m_layout.arrangement == ChannelArrangement::PictureInPicture &&
                           m_labels[index] == kRearLabel);
    }
    stackAndMask(places);
}

// Later places lie above earlier ones (the insets over the main picture); a video surface
// is a native window over everything Qt paints, so each one leaves out what lies above it.
void ChannelsView::stackAndMask(const std::vector<QRect>& places)
{
    for (size_t place = 0; place < places.size(); ++place) {
        VideoWidget* video = channel(m_order[place]);
        video->raise();
        QRegion above;
        for (size_t later = place + 1; later < places.size(); ++later) {
            above += places[later] & places[place];
        }
        video->setOverlaidRegion(above.translated(-places[place].topLeft()));
    }
}

void ChannelsView::resizeEvent(QResizeEvent* event)
{
    arrange();
    QWidget::resizeEvent(event);
}

void ChannelsView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_fullScreen) {
        setFullScreen(false);  // and nothing more
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

// One channel has no menu: the video area is as it always was.
void ChannelsView::contextMenuEvent(QContextMenuEvent* event)
{
    if (channelCount() < 2) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    fillMenu(menu);
    menu.exec(event->globalPos());
}

void ChannelsView::fillMenu(QMenu& menu)
{
    const auto addChoice = [this](QMenu& into, QActionGroup* group, const QString& text,
                                  bool chosen, ChannelLayout changed) {
        QAction* action = into.addAction(text, this, [this, changed] { changeLayout(changed); });
        action->setCheckable(true);
        action->setChecked(chosen);
        if (group != nullptr) {
            group->addAction(action);
        }
    };
    auto* arrangements = new QActionGroup(&menu);
    const std::pair<ChannelArrangement, QString> shown[] = {
        {ChannelArrangement::PictureInPicture, QStringLiteral("Picture in picture")},
        {ChannelArrangement::SideBySide, QStringLiteral("Side by side")},
        {ChannelArrangement::Stacked, QStringLiteral("Stacked")},
        {ChannelArrangement::Grid, QStringLiteral("Grid")},
        {ChannelArrangement::MainOnly, QStringLiteral("Main picture alone")}};
    for (const auto& [arrangement, text] : shown) {
        if (arrangement == ChannelArrangement::Grid && channelCount() < 3) {
            continue;
        }
        ChannelLayout changed = m_layout;
        changed.arrangement = arrangement;
        addChoice(menu, arrangements, text, m_layout.arrangement == arrangement, changed);
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("Swap channels"), this, &ChannelsView::swapChannels);
    menu.addSeparator();
    QMenu* corners = menu.addMenu(QStringLiteral("Inset corner"));
    auto* cornerGroup = new QActionGroup(corners);
    const std::pair<InsetCorner, QString> cornerTexts[] = {
        {InsetCorner::TopLeft, QStringLiteral("Top left")},
        {InsetCorner::TopRight, QStringLiteral("Top right")},
        {InsetCorner::BottomLeft, QStringLiteral("Bottom left")},
        {InsetCorner::BottomRight, QStringLiteral("Bottom right")}};
    for (const auto& [corner, text] : cornerTexts) {
        ChannelLayout changed = m_layout;
        changed.corner = corner;
        addChoice(*corners, cornerGroup, text, m_layout.corner == corner, changed);
    }
    QMenu* sizes = menu.addMenu(QStringLiteral("Inset size"));
    auto* sizeGroup = new QActionGroup(sizes);
    for (const InsetSize& size : kInsetSizes) {
        ChannelLayout changed = m_layout;
        changed.insetPercent = size.percent;
        addChoice(*sizes, sizeGroup, QString::fromLatin1(size.text),
                  m_layout.insetPercent == size.percent, changed);
    }
    ChannelLayout mirrored = m_layout;
    mirrored.mirrorRear = !m_layout.mirrorRear;
    addChoice(menu, nullptr, QStringLiteral("Mirror the rear inset"), m_layout.mirrorRear,
              mirrored);
}
