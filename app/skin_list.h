#pragma once

// The skinned play list; its header keeps QPointers to the scroll bars, which need the
// complete types wherever the list is used.
#include "horizontal_scroll_bar.h"
#include "playlist_view.h"
#include "vertical_scroll_bar.h"
