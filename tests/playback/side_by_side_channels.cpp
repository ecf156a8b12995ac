#include "tests/playback/side_by_side_channels.h"

#include "playback/video_widget.h"

#include <QHBoxLayout>

SideBySideChannels::SideBySideChannels(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

std::vector<VideoWidget*> SideBySideChannels::showChannels(const QStringList& labels)
{
    for (VideoWidget* widget : m_channels) {
        delete widget;
    }
    m_channels.clear();
    m_notes.clear();
    for (int i = 0; i < labels.size(); ++i) {
        auto* widget = new VideoWidget(this);
        layout()->addWidget(widget);
        widget->show();
        m_channels.push_back(widget);
        m_notes << QString();
    }
    return m_channels;
}

void SideBySideChannels::setChannelNote(int index, const QString& note)
{
    if (index >= 0 && index < m_notes.size()) {
        m_notes[index] = note;
    }
}

bool SideBySideChannels::isChannelShown(int index) const
{
    return index >= 0 && index < static_cast<int>(m_channels.size());
}

void SideBySideChannels::setFullScreen(bool on)
{
    m_fullScreen = on;
    if (on) {
        showFullScreen();
    } else {
        showNormal();
    }
}

VideoWidget* SideBySideChannels::channel(int index) const
{
    return isChannelShown(index) ? m_channels[static_cast<size_t>(index)] : nullptr;
}

QString SideBySideChannels::note(int index) const
{
    return index >= 0 && index < m_notes.size() ? m_notes[index] : QString();
}
