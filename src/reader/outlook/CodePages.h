#pragma once

#include <QByteArray>

namespace CodePages {
// The charset name that our text decoder knows for a Windows code page; empty for unknown pages.
[[nodiscard]] QByteArray charsetName(int codePage);
} // namespace CodePages
