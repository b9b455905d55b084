#pragma once

#include <optional>

#include <QStringList>

// The program's one optional argument: "help" in any letter case asks for the
// usage text; a number picks the theme for this run (outside 0 to 3 means 0);
// anything else is as if no argument was given.
struct StartupArguments
{
    bool help = false;
    std::optional<int> theme;

    [[nodiscard]] static StartupArguments parse(const QStringList& arguments); // without the program name
    [[nodiscard]] static QString usage();
};
