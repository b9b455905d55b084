#include "store/ListWindowState.h"

#include "store/DbListHost.h"

ListWindowState::DockOutcome ListWindowState::dockingEnded(Host host)
{
    DockOutcome outcome;
    if (host == Host::PageControl || host == Host::ToolBarStrip) {
        outcome.autoSize = true;
        StartDocNum = 0;
        outcome.closeWindow = host == Host::ToolBarStrip;
    } else {
        ++StartDocNum;
    }
    if (StartDocNum >= 1) {
        outcome.storeSize = true;
    } else {
        outcome.applySize = true;
    }
    if (StartDocNum != 0) {
        outcome.autoSize = false;
    }
    return outcome;
}

void ListWindowState::resized(int width, int height)
{
    if (StartDocNum != 0) {
        LstWidth = width;
        LstHeight = height;
    }
}

bool ListWindowState::closeRequested(PmodeWord& mode)
{
    if ((mode.pmode() & PmodeWord::listUndocked) == 0) {
        return false;
    }
    mode.setPmode(mode.pmode() & ~PmodeWord::listUndocked);
    StartDocNum = 0;
    return true;
}

void ListWindowState::undockedFromPageControl(PmodeWord& mode, bool listOpen)
{
    mode.setPmode(listOpen ? (mode.pmode() | PmodeWord::listUndocked) : (mode.pmode() & ~PmodeWord::listUndocked));
}
