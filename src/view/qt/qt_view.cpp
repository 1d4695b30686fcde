#include "view/qt/qt_view.h"
