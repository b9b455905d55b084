#pragma once

#include <QString>

// Where the Firebird engine and its tools come from, and the process environment
// the engine needs before the first connection.
//
// An engine folder "FB5(x64)" may ship beside the program. The client library is
// looked for relative to the working folder (the engine is then pointed at that
// folder through FIREBIRD), the repair tool relative to the program folder; when
// the folder is missing the system engine and its gfix are used.
class FirebirdEngine final
{
public:
    [[nodiscard]] static QString engineFolderName(); // "FB5(x64)"

    // Sets FIREBIRD_LOCK to a per-user folder (and creates it) unless it is set
    // already. Every process that opens the same embedded file must share the
    // lock folder; the engine's default /tmp/firebird may not be writable.
    // Returns the lock folder in force.
    static QString ensureLockFolder();
    [[nodiscard]] static QString perUserLockFolder();

    // Points FIREBIRD at <workingFolder>/FB5(x64) when that folder exists and
    // FIREBIRD is not set yet. Returns the folder used, or empty.
    static QString applyClientFolder(const QString& workingFolder);

    // <programFolder>/FB5(x64)/gfix when it exists, else "gfix" from the system.
    [[nodiscard]] static QString gfixPath(const QString& programFolder);

    // Both steps above that must run before the first connection of the process.
    static void prepare(const QString& workingFolder);
};
