// The program's own icon for its windows and its notification-area icon.
#pragma once

#include <QIcon>

// Every size rendered from the icon's drawing, built into the program.
QIcon programIcon();
