#pragma once

// The skinned play list; its header keeps QPointers to the scroll bars, which need the
// complete types wherever the list is used.
#include "skin_horizontal_scrollbar.h"
#include "skin_verticle_scrollbar.h"
#include "skin_list_ctrl.h"
