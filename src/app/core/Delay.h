#pragma once

// Waits the given number of milliseconds while the event loop keeps running, so
// the window stays alive and timers fire during the wait. Tests, and the
// command line (which has no window), may scale every delay down with
// setScale(); nothing else may. Set the scale before any other thread runs.
class Delay final
{
public:
    static void wait(int milliseconds);
    static void setScale(double scale);
    [[nodiscard]] static double scale();
    [[nodiscard]] static int scaled(int milliseconds);
};
