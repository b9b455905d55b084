#pragma once

#include <QtGlobal>

class PmodeWord;

// The list window's placement rules, free of widgets: StartDocNum (0 while
// docked, counting up while floating), the remembered floating size
// (LstWidth/LstHeight, settings "LWindow"), and what closing and the end of a
// docking drag mean.
class ListWindowState final
{
public:
    enum class Host
    {
        PageControl,  // docked as a tab of the main window
        ToolBarStrip, // dropped on the tool-bar strip: closes the list window
        Other         // floating, or anything else
    };

    struct DockOutcome
    {
        bool closeWindow = false;
        bool autoSize = false;  // follow the host's size
        bool storeSize = false; // remember the window's current size
        bool applySize = false; // give the window LstWidth x LstHeight
    };

    int StartDocNum = 0;
    int LstWidth = 640;
    int LstHeight = 240;

    // The window was created: docked.
    void created() { StartDocNum = 0; }
    [[nodiscard]] bool isFloating() const { return StartDocNum != 0; }
    DockOutcome dockingEnded(Host host);
    // A resize while floating is remembered.
    void resized(int width, int height);
    // A close request: true when the window must dock back instead (pmode bit
    // 0x0100 set; the bit is cleared), false when it simply hides.
    bool closeRequested(PmodeWord& mode);
    // The main window's page control lost a page while "DB List View" was the
    // active page: remember whether the list was open when it was dragged out.
    static void undockedFromPageControl(PmodeWord& mode, bool listOpen);
};
