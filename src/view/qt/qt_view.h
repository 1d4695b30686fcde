// The Qt view: the window manager, message boxes, dialogs and tray on Qt.
#pragma once

#include "view/qt/qt_dialogs.h"
#include "view/qt/qt_message_box.h"
#include "view/qt/qt_tray.h"
#include "view/qt/qt_window_manager.h"
