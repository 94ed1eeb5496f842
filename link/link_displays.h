// Where the monitor link shows its state in the main window; other windows follow its
// signals.
#pragma once

class StatusBox;
class StatusList;

// Built with designated initialisers, so that two boxes cannot be swapped unseen.
struct LinkDisplays {
    StatusList& List1;          // the main window's status list
    StatusBox& mainPortBox;     // the main window's Text1
    StatusBox& mainRealTimeBox; // the main window's Text2
};
