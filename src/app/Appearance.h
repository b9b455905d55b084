#pragma once

#include <QString>

// The five looks of the program. 0 is the platform's own; 1 to 4 are Fusion
// with palettes of their own, named after the looks they stand in for.
class Appearance final
{
public:
    static constexpr int kThemes = 5;

    [[nodiscard]] static QString styleName(int theme);
    // Applies the theme to the whole application; a number outside 0 to 4 changes nothing.
    static bool apply(int theme);
    [[nodiscard]] static int current();

private:
    static int s_current;
};
