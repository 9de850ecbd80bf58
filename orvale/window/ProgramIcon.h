#pragma once

#include <QIcon>

namespace orvale {

// The slide show maker's own icon, for its main window and its about box.
QIcon ProgramIcon();

}  // namespace orvale
