// The Qt view: the window manager, message boxes, dialogs and tray on Qt.
#pragma once
