#pragma once

class frmList;
class frmMain;

// Makes the two windows known to each other and to the helpers, and keeps the menu items
// they share in step. Until disconnectWindows the windows must outlive the connection.
void connectWindows(frmMain& player, frmList& list);
void disconnectWindows();
