#pragma once

#include <QString>

// Removes a folder with everything in it. Returns false when anything of it is
// left behind (the caller tells the user); a folder that does not exist counts
// as removed.
class FolderTree final
{
public:
    [[nodiscard]] static bool remove(const QString& path);
};
